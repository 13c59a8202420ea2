// A temporary working directory for a test, holding the side files it asks
// for (copied from the project's assets), made current for the test's scope.
#pragma once

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

namespace platform {

class ScratchFolder {
public:
    explicit ScratchFolder(const QStringList& sideFiles = {})
    {
        previous_ = QDir::currentPath();
        for (const QString& name : sideFiles)
            QFile::copy(QStringLiteral(QUELMAR_ASSETS_DIR "/") + name, dir_.filePath(name));
        QDir::setCurrent(dir_.path());
    }
    ~ScratchFolder() { QDir::setCurrent(previous_); }

    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

    // Every side file the writing window and the settings window look for.
    static QStringList allSideFiles()
    {
        return {QStringLiteral("Backdrop.jpg"), QStringLiteral("ambience.mp3"), QStringLiteral("sound_on.png"),
                QStringLiteral("sound_off.png")};
    }

private:
    QTemporaryDir dir_;
    QString previous_;
};

} // namespace platform

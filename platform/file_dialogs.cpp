#include "platform/file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace platform {

namespace {

// "Text files (*.txt)|*.txt" -> "Text files (*.txt) (*.txt)"; "*.*" means
// every file, which on this platform is "*". Details are hidden, so the
// writer reads the descriptions as given.
QStringList nameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns)
            if (p.trimmed() == QLatin1String("*.*"))
                p = QStringLiteral("*");
        out << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out;
}

class DesktopFileDialogs final : public FileDialogs {
public:
    bool execute(FileDialog& d, QWidget* owner) override
    {
        QFileDialog dialog(owner);
        dialog.setOption(QFileDialog::HideNameFilterDetails, true);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        dialog.setAcceptMode(d.kind == FileDialog::Kind::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile);
        const QStringList filters = nameFilters(d.filter);
        dialog.setNameFilters(filters);
        if (d.filterIndex >= 1 && d.filterIndex <= filters.size())
            dialog.selectNameFilter(filters[d.filterIndex - 1]);
        if (!d.fileName.isEmpty())
            dialog.selectFile(d.fileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return false;
        d.fileName = QDir::cleanPath(QFileInfo(dialog.selectedFiles().first()).absoluteFilePath());
        d.filterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
        return true;
    }
};

FileDialogs* installed = nullptr;

} // namespace

bool FileDialog::Execute(QWidget* owner)
{
    if (!fileDialogs().execute(*this, owner))
        return false;
    const QString name = fileName.mid(fileName.lastIndexOf(QLatin1Char('/')) + 1);
    if (!defaultExt.isEmpty() && !name.isEmpty() && !name.contains(QLatin1Char('.')))
        fileName += QLatin1Char('.') + defaultExt.toLower();
    return true;
}

FileDialogs& fileDialogs()
{
    static DesktopFileDialogs desktop;
    return installed ? *installed : desktop;
}

void installFileDialogs(FileDialogs* fake) { installed = fake; }

} // namespace platform

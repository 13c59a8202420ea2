#include "app/application.h"

#include "forms/Dl.h"
#include "forms/Unit2.h"
#include "forms/Unit3.h"
#include "forms/resources.h"
#include "forms/step_runner.h"
#include "platform/message_boxes.h"
#include "platform/screen.h"

#include <QIcon>
#include <QSessionManager>

#include <exception>

namespace {

// At start-up a failed sound open is already reported; the player's follow-up
// complaint adds nothing.
const QString kNoDeviceOpen = QStringLiteral("No MCI device open");

} // namespace

QString ErrorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + QLatin1Char('.');
    return message;
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(Title);
    setApplicationDisplayName(Title);
    setDesktopFileName(QStringLiteral("quelmar"));
    InitResources();
    QIcon icon;
    for (int size : {16, 32, 128, 256})
        icon.addFile(QStringLiteral(":/icons/icon-%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);
    setQuitOnLastWindowClosed(false);
    // Log-off and shutdown go ahead without a question: nothing is asked,
    // nothing is saved, the session simply ends the loop.
    connect(this, &QGuiApplication::commitDataRequest, this, [](QSessionManager&) {});
    connect(this, &QGuiApplication::saveStateRequest, this, [](QSessionManager& m) {
        m.setRestartHint(QSessionManager::RestartNever);
    });
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowException(QString::fromUtf8(e.what()));
    }
    return true;
}

void TApplication::RunHandler(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        ShowException(QString::fromUtf8(e.what()));
    }
}

void TApplication::ShowException(const QString& message)
{
    if (startingUp_) {
        if (message == kNoDeviceOpen || shownAtStartUp_.contains(message))
            return;
        shownAtStartUp_.insert(message);
    }
    platform::messageBoxes().showError(activeWindow(), Title, ErrorBoxText(message));
}

void TApplication::CreateWindows()
{
    // Loader steps and handlers started inside controls fail one at a time,
    // each into its own error box.
    forms::setHandlerRunner([](const std::function<void()>& handler) {
        static_cast<TApplication*>(QCoreApplication::instance())->RunHandler(handler);
    });
    // The settings loader's last document reads and parses on a worker
    // while the windows are made.
    TForm2::ReadLastDocumentAhead();
    Form1 = new TForm1;
    RunHandler([] { Form1->FormCreate(); });
    Form2 = new TForm2;
    RunHandler([] { Form2->FormCreate(); });
    Form3 = new TForm3;
    RunHandler([] { Form3->FormCreate(); });
}

void TApplication::ShowMainWindow()
{
    startingUp_ = false;
    // Without a window manager the full-screen state alone leaves the window
    // at its size hint, so the geometry is set to the screen's first.
    Form1->setGeometry(0, 0, platform::screen().width(), platform::screen().height());
    Form1->showFullScreen();
}

int TApplication::Run()
{
    const int result = exec();
    DestroyWindows();
    return result;
}

void TApplication::DestroyWindows()
{
    delete Form3;
    Form3 = nullptr;
    delete Form2;
    Form2 = nullptr;
    delete Form1;
    Form1 = nullptr;
    CurrentFilePath.clear();
}

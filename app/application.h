// The application object: the title, the three windows in their fixed
// order, the error box for every failure that escapes a handler, the
// message loop and the teardown.
#pragma once

#include <QApplication>
#include <QSet>

#include <functional>

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    // Shown in the error box's caption and on the taskbar.
    const QString Title = QStringLiteral("Quelmar");

    // Start-up steps 3 to 6: the title and the three windows, each creation
    // handler run with its failures shown one box each, in order.
    void CreateWindows();
    // Step 7: the writing window covers the screen.
    void ShowMainWindow();
    // Steps 8 and 9: the message loop, then teardown in reverse order.
    int Run();
    void DestroyWindows();

    // The error box for a failure's message.
    void ShowException(const QString& message);
    // Runs a handler outside the message loop (creation handlers) under the
    // same failure convention.
    void RunHandler(const std::function<void()>& handler);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    bool startingUp_ = true;
    QSet<QString> shownAtStartUp_;
};

// The error box's text: a full stop is added after a last character above
// the full stop's own code.
QString ErrorBoxText(const QString& message);

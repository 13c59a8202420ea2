// The failure convention and the window set of the application object.
#include "app/application.h"
#include "forms/Dl.h"
#include "forms/Unit2.h"
#include "forms/Unit3.h"
#include "platform/fakes/fake_message_boxes.h"
#include "platform/fakes/scratch_folder.h"
#include "text/area/text_area.h"

#include <QAction>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <stdexcept>

class ApplicationTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fullStopRule_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Stream read error" << "Stream read error.";
        QTest::newRow("digit") << "JPEG error #42" << "JPEG error #42.";
        QTest::newRow("full stop") << "Done." << "Done.";
        QTest::newRow("comma") << "a," << "a,";
        QTest::newRow("hyphen") << "a-" << "a-";
        QTest::newRow("space") << "a " << "a ";
        QTest::newRow("parenthesis") << "(.gif)" << "(.gif)";
        QTest::newRow("quotation mark") << "\"x\"" << "\"x\"";
        QTest::newRow("slash (above the full stop)") << "a/" << "a/.";
        QTest::newRow("non-ASCII") << "\u0416" << "\u0416.";
        QTest::newRow("empty") << "" << "";
    }

    void fullStopRule()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(ErrorBoxText(message), shown);
    }

    void aFailingHandlerShowsTheBoxAndTheProgramGoesOn()
    {
        platform::ScopedMessageBoxes boxes;
        auto* app = static_cast<TApplication*>(QCoreApplication::instance());
        QWidget w;
        QAction failing(&w);
        int after = 0;
        connect(&failing, &QAction::triggered, &w, [] { throw std::runtime_error("Unknown picture file extension (.gif)"); });
        QTimer::singleShot(0, &failing, &QAction::trigger);
        QTimer::singleShot(0, &w, [&] { ++after; });
        QTRY_COMPARE(after, 1);
        QCOMPARE(boxes.fake.shown.size(), size_t(1));
        QCOMPARE(boxes.fake.shown[0].caption, app->Title);
        QCOMPARE(boxes.fake.shown[0].text, QStringLiteral("Unknown picture file extension (.gif)"));
    }

    void windowsAreCreatedInOrderAndCloseEndsTheLoop()
    {
        platform::ScopedMessageBoxes boxes;
        platform::ScratchFolder folder(platform::ScratchFolder::allSideFiles());
        auto* app = static_cast<TApplication*>(QCoreApplication::instance());
        app->CreateWindows();
        QCOMPARE(boxes.fake.errors(), QStringList());
        QVERIFY(!Form1->Memo1->IsTextModified());
        QVERIFY(Form1 && Form2 && Form3);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(Form1->size(), screen.size());
        app->ShowMainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(Form1));
        QCOMPARE(Form1->geometry(), screen);
        QCOMPARE(Form1->Memo1->x(), (screen.width() - 700) / 2);
        QVERIFY(!Form2->isVisible() && !Form3->isVisible());

        // Declining keeps everything; agreeing ends the loop.
        QTest::keyClicks(Form1->Memo1->focusProxy(), "words");
        boxes.fake.answers = {platform::Answer::No, platform::Answer::Yes};
        QTimer::singleShot(0, Form1, [] { Form1->Exit1->trigger(); });
        bool keptAfterNo = false;
        QTimer::singleShot(50, Form1, [&] {
            keptAfterNo = Form1->isVisible() && Form1->Memo1->IsTextModified();
            Form1->close();
        });
        QTimer::singleShot(5000, app, [] { QCoreApplication::exit(99); });
        QCOMPARE(app->exec(), 0);
        QVERIFY(keptAfterNo);
        QCOMPARE(boxes.fake.shown.size(), size_t(2));
        QCOMPARE(boxes.fake.shown[0].text,
                 QStringLiteral("There is an unsaved data in Untitled.txt, are you sure you want to exit?"));
        app->DestroyWindows();
        QVERIFY(!Form1 && !Form2 && !Form3);
        QVERIFY(CurrentFilePath.isEmpty());
    }
};

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    ApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "application_test.moc"

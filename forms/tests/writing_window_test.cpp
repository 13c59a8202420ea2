// The writing window on the offscreen platform: layout numbers, the popup
// menu, the shortcut rules and the settings marks.
#include "test_main.h"
#include "forms/Dl.h"
#include "forms/Unit2.h"
#include "forms/Unit3.h"
#include "platform/fakes/fake_screen.h"
#include "platform/fakes/scratch_folder.h"
#include "text/area/text_area.h"
#include "text/area/text_editor.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

class WritingWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        screen_ = std::make_unique<platform::FakeScreen>(1920, 1080);
        folder_ = std::make_unique<platform::ScratchFolder>(platform::ScratchFolder::allSideFiles());
        Form1 = new TForm1;
        Form1->FormCreate();
        Form2 = new TForm2; // its loader is not run: the design values stay
        Form3 = new TForm3;
        Form3->FormCreate();
    }

    void cleanup()
    {
        delete Form3;
        delete Form2;
        delete Form1;
        Form1 = nullptr;
        Form2 = nullptr;
        Form3 = nullptr;
        screen_.reset();
        folder_.reset();
    }

    void centresWithSignedDivision_data()
    {
        QTest::addColumn<int>("screenWidth");
        QTest::addColumn<int>("areaWidth");
        QTest::addColumn<int>("left");
        QTest::newRow("700 on 1920") << 1920 << 700 << 610;
        QTest::newRow("701 on 1920") << 1920 << 701 << 609;
        QTest::newRow("wider than the screen") << 1280 << 1300 << -10;
        QTest::newRow("one pixel wider") << 1280 << 1281 << 0;
    }

    void centresWithSignedDivision()
    {
        QFETCH(int, screenWidth);
        QFETCH(int, areaWidth);
        QFETCH(int, left);
        screen_->resize(screenWidth, 1080);
        Form1->Memo1->SetAreaWidth(areaWidth);
        Form1->FormResize();
        QCOMPARE(Form1->Memo1->x(), left);
        QCOMPARE(Form1->Label1->x(), left);
        QCOMPARE(Form1->Memo1->y(), 125);
        QCOMPARE(Form1->Label1->y(), 106);
    }

    void placesSmallWindows_data()
    {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QPoint>("place");
        QTest::newRow("settings on 1920x1080") << QSize(279, 346) << QPoint(820, 244);
        QTest::newRow("about on 1920x1080") << QSize(500, 234) << QPoint(710, 282);
        QTest::newRow("one pixel larger") << QSize(1921, 1081) << QPoint(0, 0);
        QTest::newRow("much larger") << QSize(1930, 1090) << QPoint(-5, -3);
    }

    void placesSmallWindows()
    {
        QFETCH(QSize, window);
        QFETCH(QPoint, place);
        QWidget w(nullptr, Qt::FramelessWindowHint);
        w.resize(window);
        TForm1::PlaceSmallWindow(&w);
        QCOMPARE(w.pos(), place);
    }

    void createsAtScreenSizeWithDesignedParts()
    {
        QCOMPARE(Form1->size(), QSize(1920, 1080));
        QVERIFY(!Form1->Memo1->IsTextModified());
        QCOMPARE(CurrentFilePath, QStringLiteral("Untitled.txt"));
        QCOMPARE(Form1->Caption(), QStringLiteral("Quelmar \u2014 Untitled.txt"));
        QCOMPARE(Form1->Memo1->geometry(), QRect(490, 125, 700, 550));
        QCOMPARE(Form1->palette().color(QPalette::Window), QColor(221, 235, 205));
        QStringList captions, shortcuts;
        for (QAction* a : Form1->PopupMenu1->actions()) {
            captions << a->text();
            shortcuts << a->shortcut().toString();
        }
        QCOMPARE(captions, (QStringList{"New file", "Open file", "Save file", "Save file as", "Settings", "About", "Exit"}));
        QCOMPARE(shortcuts, (QStringList{"Ctrl+N", "Ctrl+O", "Ctrl+S", "Ctrl+D", "F2", "F1", "Ctrl+Q"}));
    }

    void rightClickAnywhereOpensThePopupMenu()
    {
        showActive();
        Form1->Label1->show();
        QWidget* targets[] = {Form1, Form1->Label1, Form1->Memo1, Form1->Memo1->editor()->viewport()};
        for (QWidget* target : targets) {
            QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(2, 2), target->mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(target, &e);
            QVERIFY2(Form1->PopupMenu1->isVisible(), qPrintable(target->objectName()));
            Form1->PopupMenu1->hide();
        }
    }

    void windowShortcutsWinOverTheText()
    {
        showActive();
        auto* editor = Form1->Memo1->editor();
        QTest::keyClicks(editor, "ab");
        struct Key {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            QAction* action;
        } keys[] = {
            {Qt::Key_N, Qt::ControlModifier, Form1->New1},      {Qt::Key_O, Qt::ControlModifier, Form1->Openfile1},
            {Qt::Key_S, Qt::ControlModifier, Form1->Savefile1}, {Qt::Key_D, Qt::ControlModifier, Form1->Savefileas1},
            {Qt::Key_Q, Qt::ControlModifier, Form1->Exit1},     {Qt::Key_F1, Qt::NoModifier, Form1->About1},
            {Qt::Key_F2, Qt::NoModifier, Form1->Settings1},
        };
        for (const Key& k : keys) {
            // Only who receives the key is under test, not what the command does.
            QObject::disconnect(k.action, &QAction::triggered, Form1, nullptr);
            QSignalSpy spy(k.action, &QAction::triggered);
            QTest::keyClick(editor, k.key, k.modifiers);
            QCOMPARE(spy.count(), 1);
        }
        QTest::keyClick(editor, Qt::Key_Tab);
        QCOMPARE(editor->toPlainText(), QStringLiteral("ab"));
    }

    void f1OpensAboutAndShortcutsSleepInOtherWindows()
    {
        showActive();
        QTest::keyClick(Form1->Memo1->editor(), Qt::Key_F1);
        QVERIFY(Form3->isVisible());
        Form3->hide();
        QSignalSpy exit(Form1->Exit1, &QAction::triggered);
        Form2->show();
        Form2->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Form2));
        QTest::keyClick(Form2, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(exit.count(), 0);
    }

    void settingsMarksFollowTheSettingsWindow()
    {
        showActive();
        Form1->SetCaption(QStringLiteral("Quelmar - notes.rtf"));
        Form1->Settings1Click();
        QVERIFY(QTest::qWaitForWindowActive(Form2));
        QVERIFY(Form1->Memo1->IsFrameVisible());
        QVERIFY(Form1->Label1->isVisible());
        QCOMPARE(Form1->Label2->text(), QStringLiteral(" Quelmar - notes.rtf "));
        Form1->SetCaption(QStringLiteral("later"));
        QCOMPARE(Form1->Label2->text(), QStringLiteral(" Quelmar - notes.rtf "));
        Form2->close();
        QVERIFY(!Form1->Memo1->IsFrameVisible());
        QVERIFY(!Form1->Label1->isVisible());
        QVERIFY(!Form1->Label2->isVisible());
    }

    void frameKeepsOuterSizeTextCaretAndFlag()
    {
        showActive();
        auto* editor = Form1->Memo1->editor();
        QTest::keyClicks(editor, "hello");
        QTextCursor c = editor->textCursor();
        c.setPosition(2);
        editor->setTextCursor(c);
        const QRect outer = Form1->Memo1->geometry();
        const QRect inner = editor->geometry();
        Form1->Memo1->SetFrameVisible(true);
        QCOMPARE(Form1->Memo1->geometry(), outer);
        QCOMPARE(editor->geometry(), inner.adjusted(1, 1, -1, -1));
        QCOMPARE(inner.size(), outer.size() - QSize(2, 2));
        QCOMPARE(editor->toPlainText(), QStringLiteral("hello"));
        QCOMPARE(editor->textCursor().position(), 2);
        QVERIFY(Form1->Memo1->IsTextModified());
        Form1->Memo1->ClearModified();
        Form1->Memo1->SetFrameVisible(false);
        QVERIFY(!Form1->Memo1->IsTextModified());
    }

private:
    void showActive()
    {
        Form1->setGeometry(0, 0, 1920, 1080);
        Form1->show();
        Form1->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Form1));
        QTRY_VERIFY(Form1->Memo1->editor()->hasFocus());
    }

    std::unique_ptr<platform::FakeScreen> screen_;
    std::unique_ptr<platform::ScratchFolder> folder_;
};

FORMS_TEST(WritingWindowTest);
#include "writing_window_test.moc"

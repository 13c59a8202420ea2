// The text area's operations: font rules, the modified flag, clearing,
// loading and saving through the document files.
#include "platform/fakes/fake_screen.h"
#include "text/area/text_area.h"
#include "text/area/text_editor.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

class TextAreaTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fontSizeIsKeptAsPixelHeight_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("pixels");
        QTest::newRow("14 pt") << 14 << 19;
        QTest::newRow("9 pt") << 9 << 12;
        QTest::newRow("11 pt rounds up") << 11 << 15;
        QTest::newRow("1 pt") << 1 << 1;
        QTest::newRow("72 pt") << 72 << 96;
    }

    void fontSizeIsKeptAsPixelHeight()
    {
        QFETCH(int, points);
        QFETCH(int, pixels);
        platform::FakeScreen screen(1920, 1080);
        text::TextArea area;
        area.SetFontSize(points);
        QCOMPARE(area.editor()->font().pixelSize(), pixels);
        QCOMPARE(area.GetFontSize(), points);
    }

    void fontNameRules()
    {
        text::TextArea area;
        area.SetFontName(QStringLiteral("DejaVu Serif"));
        area.SetFontName(QString());
        QCOMPARE(area.GetFontName(), QStringLiteral("DejaVu Serif"));
        const QString longName = QStringLiteral("An Extraordinarily Long Face Name Indeed");
        area.SetFontName(longName);
        QCOMPARE(area.GetFontName(), longName);
        QCOMPARE(area.editor()->font().family(), longName.left(31));
    }

    void colourIsRgbOrTheWindowTextColour()
    {
        text::TextArea area;
        area.SetFontColor(0x000000FF); // red in the low byte
        QCOMPARE(area.editor()->palette().color(QPalette::Text), QColor(255, 0, 0));
        area.SetFontColor(text::kWindowTextColor);
        QCOMPARE(area.GetFontColor(), text::kWindowTextColor);
        QCOMPARE(area.editor()->palette().color(QPalette::Text), QPalette().color(QPalette::WindowText));
    }

    void modifiedOnlyByTheWritersEdits()
    {
        QTemporaryDir dir;
        const std::string path = (dir.path() + QStringLiteral("/doc.txt")).toStdString();
        std::ofstream(path) << "first line\nsecond line\n";
        text::TextArea area;
        QVERIFY(!area.IsTextModified());
        area.show();
        area.LoadDocument(path);
        QCOMPARE(area.editor()->toPlainText(), QStringLiteral("first line\nsecond line\n"));
        QVERIFY(!area.IsTextModified());
        QVERIFY(!area.editor()->document()->isUndoAvailable());
        area.SetFrameVisible(true);
        area.SetFontSize(20);
        area.SetFontName(QStringLiteral("Liberation Serif"));
        area.SetFontColor(0x00336699);
        area.SetAreaWidth(300);
        area.FocusText();
        QVERIFY(!area.IsTextModified());
        area.ClearDocument();
        area.SetFontSize(12);
        area.SetFontName(QStringLiteral("Carlito"));
        area.SetFontColor(text::kWindowTextColor);
        QVERIFY(!area.IsTextModified());
        QTest::keyClicks(area.editor(), "x");
        QVERIFY(area.IsTextModified());
        area.ClearDocument();
        QVERIFY(area.editor()->toPlainText().isEmpty());
        QVERIFY(!area.IsTextModified());
    }

    void savesAndReloadsFormattedText()
    {
        QTemporaryDir dir;
        const std::string path = (dir.path() + QStringLiteral("/doc.txt")).toStdString();
        text::TextArea area;
        QTextCursor c(area.editor()->document());
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        c.insertText(QStringLiteral("plain \u0416 "));
        c.insertText(QStringLiteral("bold"), bold);
        c.insertBlock();
        c.insertText(QStringLiteral("second \U0001F600"));
        area.SaveDocument(path);
        QVERIFY(area.IsTextModified()); // the caller clears it
        text::TextArea other;
        other.LoadDocument(path);
        QCOMPARE(other.editor()->toPlainText(), area.editor()->toPlainText());
        QTextCursor boldAt(other.editor()->document());
        boldAt.setPosition(10);
        QCOMPARE(boldAt.charFormat().fontWeight(), int(QFont::Bold));
    }

    void failedLoadLeavesTheText()
    {
        text::TextArea area;
        QTest::keyClicks(area.editor(), "kept");
        QVERIFY_THROWS_EXCEPTION(std::exception, area.LoadDocument("/nonexistent/folder/file.rtf"));
        QCOMPARE(area.editor()->toPlainText(), QStringLiteral("kept"));
        QVERIFY(area.IsTextModified());
    }

    void selectionHiddenWhileUnfocused()
    {
        QWidget window;
        auto* area = new text::TextArea(&window);
        auto* other = new QLineEdit(&window);
        other->move(0, 600);
        window.resize(800, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        area->FocusText();
        QTest::keyClicks(area->editor(), "hello");
        area->editor()->selectAll();
        other->setFocus();
        QVERIFY(!area->editor()->textCursor().hasSelection());
        area->FocusText();
        QCOMPARE(area->editor()->textCursor().selectedText(), QStringLiteral("hello"));
    }
};

int runTextAreaTests(int argc, char** argv)
{
    TextAreaTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "text_area_test.moc"

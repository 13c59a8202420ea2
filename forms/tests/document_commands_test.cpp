// New, Open, Save, Save as and the close confirmation: what each does to the
// path, the caption, the text and the modified flag.
#include "test_main.h"

#include "base/errors.h"
#include "forms/Dl.h"
#include "forms/Unit2.h"
#include "forms/Unit3.h"
#include "platform/fakes/fake_file_dialogs.h"
#include "platform/fakes/fake_message_boxes.h"
#include "platform/fakes/scratch_folder.h"
#include "text/area/text_area.h"
#include "text/area/text_editor.h"

#include <QCloseEvent>
#include <QFile>
#include <QTest>

namespace {

QString readAll(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
}

} // namespace

class DocumentCommandsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        folder_ = std::make_unique<platform::ScratchFolder>(platform::ScratchFolder::allSideFiles());
        writeFile(folder_->file("chapter.rtf"), "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Opened text\\par}");
        Form1 = new TForm1;
        Form1->FormCreate();
    }

    void cleanup()
    {
        delete Form1;
        Form1 = nullptr;
        folder_.reset();
    }

    void commandsChangeTheDocumentState_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("pick");      // the dialog's answer; empty: cancel
        QTest::addColumn<QString>("path");      // CurrentFilePath after, relative to the folder
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("modified");
        // Every row starts from typed, unsaved "draft" and answers "&Yes" to
        // the discard question.
        QTest::newRow("new") << "new" << "" << "Untitled.txt" << "Quelmar \u2014 Untitled.txt" << "" << false;
        QTest::newRow("open") << "open" << "chapter.rtf" << "chapter.rtf" << "Quelmar - chapter.rtf" << "Opened text" << false;
        QTest::newRow("open cancelled") << "open" << "" << "Untitled.txt" << "Quelmar \u2014 Untitled.txt" << "draft" << true;
        QTest::newRow("save") << "save" << "" << "Untitled.txt" << "Quelmar \u2014 Untitled.txt" << "draft" << false;
        QTest::newRow("save as") << "saveas" << "notes.txt" << "notes.txt" << "Quelmar \u2014 notes.txt" << "draft" << false;
        QTest::newRow("save as cancelled") << "saveas" << "" << "Untitled.txt" << "Quelmar \u2014 Untitled.txt" << "draft" << true;
    }

    void commandsChangeTheDocumentState()
    {
        QFETCH(QString, command);
        QFETCH(QString, pick);
        QFETCH(QString, path);
        QFETCH(QString, caption);
        QFETCH(QString, text);
        QFETCH(bool, modified);
        platform::ScopedFileDialogs dialogs;
        platform::ScopedMessageBoxes boxes;
        boxes.fake.answers = {platform::Answer::Yes};
        dialogs.fake.picks = {pick.isEmpty() ? QString() : folder_->file(pick)};
        type("draft");
        run(command);
        const QString expectedPath = path == QLatin1String("Untitled.txt") ? path : folder_->file(path);
        QCOMPARE(CurrentFilePath, expectedPath);
        // Forward slashes are no separators in the name part, so a full path
        // shows whole after the prefix.
        QCOMPARE(Form1->Caption(), caption.contains(QLatin1String("Untitled")) ? caption
                                                                               : caption.left(10) + expectedPath);
        QCOMPARE(Form1->Memo1->editor()->toPlainText(), text);
        QCOMPARE(Form1->Memo1->IsTextModified(), modified);
    }

    void saveWritesRtfWhereThePathPoints()
    {
        type("first words");
        Form1->Savefile1Click();
        QVERIFY(readAll(folder_->file("Untitled.txt")).startsWith(QLatin1String("{\\rtf1")));
        platform::ScopedFileDialogs dialogs;
        dialogs.fake.picks = {folder_->file("named")};
        Form1->Savefileas1Click();
        QCOMPARE(CurrentFilePath, folder_->file("named.txt")); // the default extension, in lower case
        QCOMPARE(dialogs.fake.shown[0].filter, QStringLiteral("Rich text format (*.txt)|*.txt|All files (*.*)|*.*"));
        QVERIFY(readAll(folder_->file("named.txt")).contains(QLatin1String("first words")));
        // Open then New, type, Save: the opened file takes the new text.
        dialogs.fake.picks = {folder_->file("chapter.rtf")};
        Form1->Openfile1Click();
        QCOMPARE(dialogs.fake.shown[1].filter,
                 QStringLiteral("Rich text format (*.rtf)|*.rtf|Text files (*.txt)|*.txt|All files (*.*)|*.*"));
        Form1->New1Click();
        type("replacement");
        Form1->Savefile1Click();
        QVERIFY(readAll(folder_->file("chapter.rtf")).contains(QLatin1String("replacement")));
        QVERIFY(Form1->Caption().endsWith(QLatin1String("chapter.rtf")));
    }

    void failuresEndTheCommandAtTheirStep()
    {
        platform::ScopedFileDialogs dialogs;
        platform::ScopedMessageBoxes boxes;
        boxes.fake.answers = {platform::Answer::Yes};
        type("kept");
        dialogs.fake.picks = {folder_->file("missing.rtf")};
        QVERIFY_THROWS_EXCEPTION(EFOpenError, Form1->Openfile1Click());
        QCOMPARE(Form1->Caption(), QStringLiteral("Quelmar \u2014 Untitled.txt"));
        QCOMPARE(CurrentFilePath, folder_->file("missing.rtf"));
        dialogs.fake.picks = {folder_->file("no/such/folder.txt")};
        QVERIFY_THROWS_EXCEPTION(EFCreateError, Form1->Savefileas1Click());
        QCOMPARE(Form1->Caption(), QStringLiteral("Quelmar \u2014 Untitled.txt"));
        QVERIFY(Form1->Memo1->IsTextModified());
        QVERIFY_THROWS_EXCEPTION(EFCreateError, Form1->Savefile1Click());
        QVERIFY(Form1->Memo1->IsTextModified());
    }

    void confirmationOutcomes_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("yes") << int(platform::Answer::Yes) << true;
        QTest::newRow("no") << int(platform::Answer::No) << false;
        QTest::newRow("dismissed") << int(platform::Answer::Dismissed) << false;
    }

    void confirmationOutcomes()
    {
        QFETCH(int, answer);
        QFETCH(bool, closes);
        platform::ScopedMessageBoxes boxes;
        TCloseAction action = TCloseAction::caHide;
        Form1->FormClose(action);
        QCOMPARE(action, TCloseAction::caHide); // unmodified: no question
        QVERIFY(boxes.fake.shown.empty());
        type("unsaved");
        boxes.fake.answers = {platform::Answer(answer)};
        Form1->FormClose(action);
        QCOMPARE(action, closes ? TCloseAction::caFree : TCloseAction::caNone);
        QCOMPARE(boxes.fake.shown.size(), size_t(1));
        QCOMPARE(boxes.fake.shown[0].caption, QStringLiteral("Confirm"));
        QCOMPARE(boxes.fake.shown[0].text,
                 QStringLiteral("There is an unsaved data in Untitled.txt, are you sure you want to exit?"));
        QCOMPARE(Form1->Memo1->editor()->toPlainText(), QStringLiteral("unsaved"));
        QVERIFY(Form1->Memo1->IsTextModified());
    }

    void discardingAsksFirst()
    {
        platform::ScopedMessageBoxes boxes;
        platform::ScopedFileDialogs dialogs;
        type("precious");
        boxes.fake.answers = {platform::Answer::No, platform::Answer::Dismissed};
        Form1->New1Click();
        Form1->Openfile1Click();
        QVERIFY(dialogs.fake.shown.empty()); // asked before the dialog
        QCOMPARE(Form1->Memo1->editor()->toPlainText(), QStringLiteral("precious"));
        QCOMPARE(boxes.fake.shown[0].text,
                 QStringLiteral("There is an unsaved data in Untitled.txt, are you sure you want to discard it?"));
    }

private:
    static void type(const char* text)
    {
        QTest::keyClicks(Form1->Memo1->editor(), text);
    }

    static void run(const QString& command)
    {
        if (command == QLatin1String("new"))
            Form1->New1Click();
        else if (command == QLatin1String("open"))
            Form1->Openfile1Click();
        else if (command == QLatin1String("save"))
            Form1->Savefile1Click();
        else
            Form1->Savefileas1Click();
    }

    std::unique_ptr<platform::ScratchFolder> folder_;
};

FORMS_TEST(DocumentCommandsTest);
#include "document_commands_test.moc"

// The settings window over the real writing window on the offscreen
// platform, with scripted dialogs, a fake sound service and a settings file
// in a folder of the test's own: the loader and its cascades, "Cancel",
// "Apply" and "OK", the handlers' failures and the keyboard rules.
#include "test_main.h"
#include "forms/Dl.h"
#include "forms/Unit2.h"
#include "forms/step_runner.h"
#include "media/picture_qt/image.h"
#include "platform/executable_dir.h"
#include "platform/fakes/fake_color_dialog.h"
#include "platform/fakes/fake_file_dialogs.h"
#include "platform/fakes/fake_media_service.h"
#include "platform/fakes/fake_screen.h"
#include "text/area/text_area.h"
#include "text/area/text_editor.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

namespace {

// What the application's runner would show, one message per failing handler.
QStringList failures;

void recordFailures(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        failures << QString::fromUtf8(e.what());
    }
}

class TestFolder final : public platform::ExecutableFolder {
public:
    std::string path() const override { return folder; }
    std::string folder;
};

// The sound commands that reach the device; status queries left out.
QStringList soundCommands(const platform::FakeMediaService& service, size_t from = 0)
{
    QStringList out;
    for (size_t i = from; i < service.log.size(); ++i)
        if (service.log[i].rfind("status", 0) != 0)
            out << QString::fromStdString(service.log[i]);
    return out;
}

// Side pictures of distinct sizes, so a test sees which one was loaded.
const int kBackdropSize = 4;
const int kStoredSize = 6;
const int kPickedSize = 8;
const int kSoundOnSize = 16;
const int kSoundOffSize = 12;

void writePicture(const QString& name, int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    if (!image.save(name))
        qFatal("cannot write %s", qPrintable(name));
}

} // namespace

class SettingsWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { forms::setHandlerRunner(&recordFailures); }
    void cleanupTestCase() { forms::setHandlerRunner(nullptr); }

    void init()
    {
        failures.clear();
        root_.emplace();
        QVERIFY(root_->isValid());
        QDir(root_->path()).mkdir(QStringLiteral("bin"));
        QDir(root_->path()).mkdir(QStringLiteral("work"));
        folder_.folder = (root_->path() + QStringLiteral("/bin/")).toStdString();
        platform::installExecutableFolder(&folder_);
        previousDir_ = QDir::currentPath();
        QDir::setCurrent(root_->path() + QStringLiteral("/work"));
        writePicture(QStringLiteral("Backdrop.jpg"), kBackdropSize);
        writePicture(QStringLiteral("stored.png"), kStoredSize);
        writePicture(QStringLiteral("picked.png"), kPickedSize);
        writePicture(QStringLiteral("sound_on.png"), kSoundOnSize);
        writePicture(QStringLiteral("sound_off.png"), kSoundOffSize);
        screen_ = std::make_unique<platform::FakeScreen>(1920, 1080);
        sound_.emplace();
        files_.emplace();
        colors_.emplace();
    }

    void cleanup()
    {
        delete Form2;
        delete Form1;
        Form2 = nullptr;
        Form1 = nullptr;
        colors_.reset();
        files_.reset();
        sound_.reset();
        screen_.reset();
        QDir::setCurrent(previousDir_);
        platform::installExecutableFolder(nullptr);
        root_.reset();
    }

    // A first start: no settings file, no "Untitled.txt". Every step runs,
    // so the defaults all apply and "Apply" writes the default file.
    void firstStartAppliesDefaultsAndApplyWritesThem()
    {
        start();
        QCOMPARE(failures, QStringList());
        QCOMPARE(Form2->Edit1->text(), QStringLiteral("700"));
        QCOMPARE(Form2->Edit2->text(), QStringLiteral("550"));
        QCOMPARE(Form2->ComboBox1->currentText(), QStringLiteral("Tahoma"));
        QCOMPARE(Form2->ComboBox2->currentText(), QStringLiteral("12"));
        QCOMPARE(Form2->Panel3->Color(), 0u);
        QCOMPARE(Form2->Edit3->text(), QStringLiteral("Backdrop.jpg"));
        QCOMPARE(Form2->Edit4->text(), QStringLiteral("ambience.mp3"));
        QCOMPARE(Form1->Color(), 13429469u);
        QCOMPARE(Form2->Panel19->Color(), 13429469u);
        QCOMPARE(Form1->Memo1->GetFontName(), QStringLiteral("Tahoma"));
        QCOMPARE(Form1->Memo1->GetFontSize(), 12);
        QCOMPARE(Form1->Memo1->editor()->toPlainText(), QString());
        QCOMPARE(Form1->Image1->Picture().Width(), kBackdropSize);
        QCOMPARE(Form2->Image1->size(), QSize(kSoundOnSize, kSoundOnSize));
        // The stored volume reaches the device the writing window opened; the
        // stored sound then opens anew and plays from its start.
        QCOMPARE(soundCommands(sound_->fake, afterWritingWindow_),
                 (QStringList{"play 1", "setaudio 1 volume 1000", "setaudio 1 volume 900", "close 1",
                              "open ambience.mp3", "play 2"}));

        Form2->Button2Click();
        QCOMPARE(settingsFile(), QByteArray("[Text]\nAreaWidth=700\nAreaHeight=550\nFontColor=0\n"
                                            "LoadLastFile=1\nFontName=Tahoma\nFontSize=12\n"
                                            "LastWorkingFilePath=Untitled.txt\n[Background]\n"
                                            "BackgroundPicturePath=Backdrop.jpg\nBackgroundPictureVisible=1\n"
                                            "BackgroundColor=13429469\n[Sound]\nSoundEnabled=1\n"
                                            "SoundFilePath=ambience.mp3\nSoundVolume=900\n"));
    }

    void storedWidthRunsItsHandler_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("left");
        // 700 is the field's designed text: no change, no handler, no centring.
        QTest::newRow("700") << QByteArray("AreaWidth=700") << "700" << 490;
        QTest::newRow("800 re-centres") << QByteArray("AreaWidth=800") << "800" << 560;
        QTest::newRow("12345 shows in full") << QByteArray("AreaWidth=12345") << "12345" << -5212;
    }

    void storedWidthRunsItsHandler()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, field);
        QFETCH(int, left);
        start("[Text]\n" + stored + "\n");
        QCOMPARE(Form2->Edit1->text(), field);
        QCOMPARE(Form1->Memo1->GetAreaWidth(), field.toInt());
        QCOMPARE(Form1->Memo1->x(), left);
    }

    void storedVolumeEqualToTheSliderSendsNothing()
    {
        sound_->fake.opened.volume = 640;
        start("[Sound]\nSoundVolume=640\n");
        QCOMPARE(soundCommands(sound_->fake, afterWritingWindow_).filter(QStringLiteral("setaudio")),
                 QStringList{"setaudio 1 volume 640"});
        QCOMPARE(Form2->ScrollBar1->Position(), 640);
    }

    // Switched off at start: paused, then stopped, the controls off. Turning
    // it on plays the file the writing window opened, not the stored one.
    void storedSoundOffPausesStopsAndKeepsTheFirstFile()
    {
        start("[Sound]\nSoundEnabled=0\nSoundFilePath=other.mp3\n");
        QCOMPARE(soundCommands(sound_->fake, afterWritingWindow_).mid(3),
                 (QStringList{"pause 1", "stop 1"}));
        QVERIFY(!Form2->CheckBox1->isChecked());
        for (QWidget* w : soundControls())
            QVERIFY(!w->isEnabled());
        QCOMPARE(Form2->Image1->size(), QSize(kSoundOffSize, kSoundOffSize));

        const size_t mark = sound_->fake.log.size();
        Form2->CheckBox1->click();
        QCOMPARE(soundCommands(sound_->fake, mark), QStringList{"play 1"});
        for (QWidget* w : soundControls())
            QVERIFY(w->isEnabled());
        QCOMPARE(Form2->Image1->size(), QSize(kSoundOnSize, kSoundOnSize));
    }

    void storedPictureHiddenHoldsTheBackdrop()
    {
        start("[Background]\nBackgroundPicturePath=stored.png\nBackgroundPictureVisible=0\n");
        QVERIFY(Form1->Image1->isHidden());
        QVERIFY(!Form2->Edit3->isEnabled());
        QVERIFY(!Form2->Button3->isEnabled());
        QCOMPARE(Form1->Image1->Picture().Width(), kBackdropSize);
        Form2->CheckBox2->click();
        QVERIFY(!Form1->Image1->isHidden());
        QCOMPARE(Form1->Image1->Picture().Width(), kBackdropSize);
        QCOMPARE(Form2->Edit3->text(), QStringLiteral("stored.png"));
    }

    // One missing file no longer leaves the later settings unapplied.
    void loaderGoesOnPastAFailingStep()
    {
        sound_->fake.results["open"] = {0, platform::media_error::kFileNotFound};
        sound_->fake.texts[platform::media_error::kFileNotFound] = "The specified file was not found.";
        start("[Background]\nBackgroundPicturePath=missing.png\nBackgroundColor=255\n"
              "BackgroundPictureVisible=0\n[Sound]\nSoundFilePath=gone.mp3\n");
        QCOMPARE(failures.size(), 2);
        QVERIFY2(failures[0].startsWith(QStringLiteral("Cannot open file \"")), qPrintable(failures[0]));
        QVERIFY(failures[0].contains(QStringLiteral("missing.png")));
        QCOMPARE(failures[1], QStringLiteral("The specified file was not found."));
        QCOMPARE(Form1->Color(), 255u);
        QVERIFY(Form1->Image1->isHidden());
    }

    // Without an open device the switch handler fails at its first step: the
    // switch shows its new state, the sound controls stay as they were.
    void soundSwitchWithoutADevice()
    {
        sound_->fake.results["open"] = {platform::media_error::kFileNotFound};
        sound_->fake.texts[platform::media_error::kFileNotFound] = "The specified file was not found.";
        start("[Sound]\nSoundEnabled=0\n");
        QCOMPARE(failures, (QStringList{"The specified file was not found.", "No MCI device open", "No MCI device open",
                                        "No MCI device open"}));
        QVERIFY(!Form2->CheckBox1->isChecked());
        for (QWidget* w : soundControls())
            QVERIFY(w->isEnabled());
        QVERIFY(Form2->Image1->Picture().Graphic() == nullptr);
    }

    // The document loaded at start-up is the current document from then on.
    void lastDocumentBecomesCurrentAndMarksShowItsCaption()
    {
        QFile doc(QStringLiteral("notes.txt"));
        QVERIFY(doc.open(QIODevice::WriteOnly));
        doc.write("last words");
        doc.close();
        start("[Text]\nLastWorkingFilePath=notes.txt\n");
        QCOMPARE(failures, QStringList());
        QCOMPARE(Form1->Memo1->editor()->toPlainText(), QStringLiteral("last words"));
        QCOMPARE(CurrentFilePath, QStringLiteral("notes.txt"));
        QCOMPARE(Form1->Caption(), QStringLiteral("Quelmar - notes.txt"));

        showSettings();
        QVERIFY(Form1->Memo1->IsFrameVisible());
        QVERIFY(Form1->Label1->isVisible());
        QVERIFY(Form1->Label2->isVisible());
        QCOMPARE(Form1->Label2->text(), QStringLiteral(" Quelmar - notes.txt "));
        Form2->Button4Click();
        QVERIFY(!Form2->isVisible());
        QVERIFY(!Form1->Memo1->IsFrameVisible());
        QVERIFY(!Form1->Label1->isVisible());
        QVERIFY(!Form1->Label2->isVisible());
        QVERIFY(settingsFile().contains("LastWorkingFilePath=notes.txt\n"));
    }

    // Unchanged paths: the picture is not read again (the file changed on
    // disk meanwhile would show) and the sound plays on undisturbed.
    void cancelWithUnchangedPathsReloadsNothing()
    {
        start("[Background]\nBackgroundPicturePath=stored.png\n");
        writePicture(QStringLiteral("stored.png"), kPickedSize);
        showSettings();
        Form2->Edit1->SetText(QStringLiteral("900"));
        const size_t mark = sound_->fake.log.size();
        Form2->Button1->click();
        QCOMPARE(failures, QStringList());
        QVERIFY(!Form2->isVisible());
        QCOMPARE(Form1->Memo1->GetAreaWidth(), 700);
        QCOMPARE(Form2->Edit1->text(), QStringLiteral("700"));
        QCOMPARE(Form1->Image1->Picture().Width(), kStoredSize);
        QCOMPARE(soundCommands(sound_->fake, mark), QStringList());
        QCOMPARE(sound_->fake.current()->mode, platform::MediaMode::Playing);
        QCOMPARE(Form1->focusWidget(), Form1->Memo1->editor());
    }

    // A picture picked with "…" is taken back; the field keeps the pick.
    void cancelAfterPickingAPictureLoadsTheStoredOne()
    {
        start("[Background]\nBackgroundPicturePath=stored.png\n");
        files_->fake.picks = {QDir::current().absoluteFilePath(QStringLiteral("picked.png"))};
        Form2->Button3->click();
        QCOMPARE(Form1->Image1->Picture().Width(), kPickedSize);
        QCOMPARE(files_->fake.shown.back().fileName, QStringLiteral("stored.png"));
        QVERIFY(files_->fake.shown.back().preview);
        Form2->Button1->click();
        QCOMPARE(Form1->Image1->Picture().Width(), kStoredSize);
        QCOMPARE(Form2->Edit3->text(), QDir::current().absoluteFilePath(QStringLiteral("picked.png")));
    }

    void cancelAfterSwitchingTheSoundOff_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<bool>("switchedOn");
        QTest::addColumn<platform::MediaMode>("mode");
        // Paused by the switch; Cancel plays on from where it paused (the
        // stored sound was opened anew at start, as device 2).
        QTest::newRow("stored 1") << QByteArray("SoundEnabled=1") << QStringList{"play 2"} << true
                                  << platform::MediaMode::Playing;
        QTest::newRow("stored 0") << QByteArray("SoundEnabled=0") << QStringList{"stop 1"} << false
                                  << platform::MediaMode::Stopped;
    }

    void cancelAfterSwitchingTheSoundOff()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QStringList, commands);
        QFETCH(bool, switchedOn);
        QFETCH(platform::MediaMode, mode);
        start("[Sound]\n" + stored + "\n");
        if (!Form2->CheckBox1->isChecked())
            Form2->CheckBox1->click();
        Form2->CheckBox1->click();
        const size_t mark = sound_->fake.log.size();
        Form2->Button1->click();
        QCOMPARE(failures, QStringList());
        QCOMPARE(soundCommands(sound_->fake, mark), commands);
        QCOMPARE(Form2->CheckBox1->isChecked(), switchedOn);
        QCOMPARE(sound_->fake.current()->mode, mode);
    }

    // Digits only, four typed characters; an emptied field raises the
    // integer error and leaves the text area as it was until a number comes.
    void widthFieldTypingAndTheIntegerError()
    {
        start();
        showSettings();
        forms::TEdit* width = Form2->Edit1;
        width->setFocus();
        width->end(false);
        QTest::keyClicks(width, "a5");
        QCOMPARE(width->text(), QStringLiteral("7005"));
        QTest::keyClicks(width, "6");
        QCOMPARE(width->text(), QStringLiteral("7005"));
        QCOMPARE(Form1->Memo1->GetAreaWidth(), 7005);
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(width, Qt::Key_Backspace);
        QCOMPARE(failures.last(), QStringLiteral("'''' is not a valid integer value"));
        QCOMPARE(Form1->Memo1->GetAreaWidth(), 7);
        QCOMPARE(Form1->Memo1->x(), (1920 - 7) / 2);
        QTest::keyClicks(width, "800");
        QCOMPARE(Form1->Memo1->GetAreaWidth(), 800);
        QCOMPARE(Form1->Memo1->x(), 560);
        // A text the text area did not take never reaches the file.
        width->selectAll();
        QTest::keyClick(width, Qt::Key_Backspace);
        Form2->Button2Click();
        QVERIFY(settingsFile().contains("AreaWidth=800\n"));
    }

    void fontBoxes()
    {
        start();
        showSettings();
        QLineEdit* size = Form2->ComboBox2->lineEdit();
        size->selectAll();
        QTest::keyClicks(size, "12pt");
        QCOMPARE(failures.last(), QStringLiteral("''12pt'' is not a valid integer value"));
        QCOMPARE(Form1->Memo1->GetFontSize(), 12);
        QCOMPARE(Form2->ComboBox2->currentText(), QStringLiteral("12pt"));
        QLineEdit* name = Form2->ComboBox1->lineEdit();
        name->selectAll();
        QTest::keyClick(name, Qt::Key_Delete);
        QCOMPARE(Form1->Memo1->GetFontName(), QStringLiteral("Tahoma"));
        QTest::keyClicks(name, "Verd");
        QCOMPARE(Form1->Memo1->GetFontName(), QStringLiteral("Verd"));
        // Code moves the list to "Tahoma" and runs nothing; the user's Down
        // picks "Verdana", which applies at once.
        Form2->ComboBox1->setCurrentIndex(Form2->ComboBox1->findText(QStringLiteral("Tahoma")));
        QCOMPARE(Form1->Memo1->GetFontName(), QStringLiteral("Verd"));
        QTest::keyClick(Form2->ComboBox1, Qt::Key_Down);
        QCOMPARE(Form1->Memo1->GetFontName(), QStringLiteral("Verdana"));
    }

    // Escape without modifiers anywhere is "Cancel", but an open drop-down
    // list takes it to close itself.
    void escapeCancels()
    {
        start();
        showSettings();
        Form2->ComboBox1->showPopup();
        QWidget* list = Form2->ComboBox1->view();
        QTRY_VERIFY(list->isVisible());
        // Through the list's own window, as the platform delivers it.
        QTest::keyClick(list->window()->windowHandle(), Qt::Key_Escape);
        QTRY_VERIFY(!list->isVisible());
        QVERIFY(Form2->isVisible());
        Form2->Edit2->SetText(QStringLiteral("300"));
        QTest::keyClick(Form2->Edit2, Qt::Key_Escape, Qt::ShiftModifier);
        QVERIFY(Form2->isVisible());
        QTest::keyClick(Form2->Edit2, Qt::Key_Escape);
        QVERIFY(!Form2->isVisible());
        QCOMPARE(Form1->Memo1->GetAreaHeight(), 550);
    }

    // Alt+F4 closes without storing or reverting.
    void platformCloseKeepsChangesUnstored()
    {
        start();
        showSettings();
        Form2->Edit2->SetText(QStringLiteral("300"));
        Form2->close();
        QVERIFY(!Form2->isVisible());
        QVERIFY(!Form1->Memo1->IsFrameVisible());
        QCOMPARE(Form1->Memo1->GetAreaHeight(), 300);
        QVERIFY(!QFile::exists(settingsPath()));
    }

    void soundPathAndDialog()
    {
        start("[Sound]\nSoundFilePath=rain.mp3\n");
        size_t mark = sound_->fake.log.size();
        QTest::keyClicks(Form2->Edit4, "x");
        QCOMPARE(soundCommands(sound_->fake, mark), QStringList());
        Form2->Edit4->SetText(QStringLiteral("rain.mp3"));
        QTest::keyClick(Form2->Edit4, Qt::Key_Return);
        QCOMPARE(soundCommands(sound_->fake, mark), (QStringList{"close 2", "open rain.mp3", "play 3"}));
        // "…" cancelled opens the current file again from its start.
        mark = sound_->fake.log.size();
        Form2->Edit4->SetText(QStringLiteral("typed.mp3"));
        Form2->Button5->click();
        QCOMPARE(soundCommands(sound_->fake, mark), (QStringList{"close 3", "open rain.mp3", "play 4"}));
        QCOMPARE(Form2->Edit4->text(), QStringLiteral("rain.mp3"));
        QCOMPARE(files_->fake.shown.back().filter,
                 QStringLiteral("All Files (*.*)|*.mp3; *.wav; *.wma; *.mid;|MP3 Files (*.mp3)|*.mp3|WAV Files (*.wav)"
                                "|*.wav|WMA Files (*.wma)|*.wma|MIDI Files (*.mid)|*.mid"));
    }

    void picturePathAndDialog()
    {
        start("[Background]\nBackgroundPicturePath=stored.png\n");
        Form2->Edit3->SetText(QStringLiteral("picked.png"));
        QCOMPARE(Form1->Image1->Picture().Width(), kStoredSize);
        QTest::keyClick(Form2->Edit3, Qt::Key_Return);
        QCOMPARE(Form1->Image1->Picture().Width(), kPickedSize);
        QCOMPARE(Form2->OpenPictureDialog1.fileName, QStringLiteral("picked.png"));
        // "…" cancelled loads nothing and drops the text typed without Enter.
        Form2->Edit3->SetText(QStringLiteral("stored.png"));
        Form2->Button3->click();
        QCOMPARE(Form1->Image1->Picture().Width(), kPickedSize);
        QCOMPARE(Form2->Edit3->text(), QStringLiteral("picked.png"));
        // A pick that cannot be loaded keeps the picture and the field.
        QFile::remove(QStringLiteral("picked.png"));
        files_->fake.picks = {QDir::current().absoluteFilePath(QStringLiteral("picked.png"))};
        Form2->Button3->click();
        QCOMPARE(failures.size(), 1);
        QCOMPARE(Form1->Image1->Picture().Width(), kPickedSize);
        QCOMPARE(Form2->Edit3->text(), QStringLiteral("picked.png"));
    }

    // Each colour dialog opens with the colour last chosen in it.
    void colourDialogsRememberTheirOwnChoice()
    {
        start();
        colors_->fake.picks = {0x0000FFu, std::nullopt, 0x00FF00u};
        Form2->Panel3Click();
        QCOMPARE(Form2->Panel3->Color(), 0x0000FFu);
        QCOMPARE(Form1->Memo1->GetFontColor(), 0x0000FFu);
        Form2->Button1Click();
        QCOMPARE(Form2->Panel3->Color(), 0u);
        Form2->Panel3Click();
        QCOMPARE(Form2->Panel3->Color(), 0u);
        Form2->Panel19Click();
        QCOMPARE(Form1->Color(), 0x00FF00u);
        QCOMPARE(colors_->fake.openedWith, (std::vector<uint32_t>{0, 0x0000FFu, 0}));
    }

    void refusedWriteKeepsOkOpen()
    {
        start();
        folder_.folder = (root_->path() + QStringLiteral("/missing/")).toStdString();
        showSettings();
        Form2->Button4->click();
        QCOMPARE(failures, QStringList{"Unable to write to " + root_->path() + "/missing/Settings.ini"});
        QVERIFY(Form2->isVisible());
    }

    // The margin drags the window; a press on a page does not.
    void dragByTheBackground()
    {
        start();
        showSettings();
        const QPoint before = Form2->pos();
        QTest::mousePress(Form2->TabSheet4, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(Form2->TabSheet4, QPoint(60, 60));
        QTest::mouseRelease(Form2->TabSheet4, Qt::LeftButton, {}, QPoint(60, 60));
        QCOMPARE(Form2->pos(), before);
        QTest::mousePress(Form2, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(Form2, QPoint(45, 35));
        QTest::mouseRelease(Form2, Qt::LeftButton, {}, QPoint(45, 35));
        QCOMPARE(Form2->pos(), before + QPoint(40, 30));
    }

    // The window's order, then each page's; swatches and strips take none.
    void tabOrderFollowsTheDesign()
    {
        start();
        TForm2* f = Form2;
        const QList<QWidget*> expected = {f->Button1, f->Button2,   f->Button4,  f->PageControl1, f->Edit1, f->ComboBox1,
                                          f->ComboBox2, f->Edit2,   f->CheckBox3, f->Edit3,       f->Button3, f->CheckBox2,
                                          f->CheckBox1, f->Edit4,   f->Button5,  f->ScrollBar1};
        QList<QWidget*> seen;
        QWidget* w = f->Button1;
        do {
            if (expected.contains(w) && !seen.contains(w))
                seen << w;
            w = w->nextInFocusChain();
        } while (w != f->Button1);
        QCOMPARE(seen, expected);
        for (QWidget* none : {f->Panel1, f->Panel2, f->Panel3, f->Panel4, f->Panel5, f->Panel19})
            QCOMPARE(none->focusPolicy(), Qt::NoFocus);
    }

private:
    void start(const QByteArray& settings = {})
    {
        if (!settings.isNull()) {
            QFile f(settingsPath());
            if (!f.open(QIODevice::WriteOnly) || f.write(settings) != settings.size())
                qFatal("cannot write the settings file");
        }
        Form1 = new TForm1;
        forms::runHandler([] { Form1->FormCreate(); });
        afterWritingWindow_ = sound_->fake.log.size();
        Form2 = new TForm2;
        Form2->FormCreate();
    }

    void showSettings()
    {
        Form1->setGeometry(0, 0, 1920, 1080);
        Form1->show();
        Form1->Settings1Click();
        QVERIFY(QTest::qWaitForWindowActive(Form2));
    }

    QString settingsPath() const { return QString::fromStdString(folder_.folder) + QStringLiteral("Settings.ini"); }

    QByteArray settingsFile() const
    {
        QFile f(settingsPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QList<QWidget*> soundControls() const { return {Form2->ScrollBar1, Form2->Edit4, Form2->Button5}; }

    std::optional<QTemporaryDir> root_;
    TestFolder folder_;
    QString previousDir_;
    std::unique_ptr<platform::FakeScreen> screen_;
    std::optional<platform::ScopedMediaService> sound_;
    std::optional<platform::ScopedFileDialogs> files_;
    std::optional<platform::ScopedColorDialogs> colors_;
    size_t afterWritingWindow_ = 0;
};

FORMS_TEST(SettingsWindowTest);
#include "settings_window_test.moc"

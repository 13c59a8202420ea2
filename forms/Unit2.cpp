#include "forms/Unit2.h"

#include "base/errors.h"
#include "base/message.h"
#include "forms/Dl.h"
#include "forms/step_runner.h"
#include "media/picture_qt/image.h"
#include "media/sound/media_player.h"
#include "platform/executable_dir.h"
#include "settings/integer_parse.h"
#include "settings/setting_keys.h"
#include "text/area/text_area.h"
#include "text/document_prefetch.h"

#include <QFileInfo>
#include <QPushButton>
#include <QRubberBand>

#include <functional>
#include <optional>

TForm2* Form2 = nullptr;

using settings::Setting;

namespace {

const char* const kNotAnInteger = "''%s'' is not a valid integer value";
const QString kSoundOn = QStringLiteral("sound_on.png");
const QString kSoundOff = QStringLiteral("sound_off.png");
const QString kDefaultPicture = QStringLiteral("Backdrop.jpg");
constexpr QChar kEnter = QChar(13);

// Computed afresh for each settings operation.
std::string settingsPath() { return settings::settingsFilePath(platform::executableDir()); }

sound::TMediaPlayer& player() { return Form1->MediaPlayer1; }

// A text read as an integer by the settings file's rule, except that a text
// that does not parse is an error rather than a default.
int readInteger(const QString& text)
{
    if (const std::optional<int32_t> value = settings::parseInteger(text.toStdU16String()))
        return *value;
    throw EConvertError(base::formatMessage(kNotAnInteger, text.toStdString()));
}

QString storedText(const settings::TCustomIniFile& ini, Setting key)
{
    return QString::fromStdU16String(settings::readText(ini, key));
}

void loadBackgroundPicture(const QString& fileName) { Form1->Image1->Picture().LoadPictureFile(fileName.toStdString()); }

// The player takes the sound dialog's file name, opens it and plays it.
void openAndPlay(const QString& fileName)
{
    player().FileName = fileName;
    player().Open();
    player().Play();
}

} // namespace

TForm2::TForm2() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool)
{
    buildWindow();
    connectHandlers();
}

// The drag outline is a window of its own, not a child.
TForm2::~TForm2() { delete dragOutline_; }

// Each step runs as a handler of its own, so one missing file leaves every
// other stored setting applied; the steps still run in their fixed order.
void TForm2::FormCreate()
{
    std::optional<settings::TIniFile> ini;
    const std::function<void()> steps[] = {
        [this] { TForm1::PlaceSmallWindow(this); },
        [this] {
            player().Play();
            switchSoundControls(true);
        },
        [this] { switchPictureControls(true); },
        [this] {
            ScrollBar1->SetRange(0, 1000);
            ScrollBar1->SetPosition(GetPlayerVolume(player()));
        },
        [&] { ini.emplace(settingsPath()); },
        [&] { applyStoredWidth(*ini); },
        [&] { applyStoredHeight(*ini); },
        [&] { applyStoredFontColor(*ini); },
        [&] { applyStoredFontName(*ini); },
        [&] { applyStoredFontSize(*ini); },
        [&] { CheckBox3->setChecked(settings::readFlag(*ini, Setting::LoadLastFile)); },
        [&] { loadLastDocument(*ini); },
        [&] {
            Edit3->SetText(storedText(*ini, Setting::BackgroundPicturePath));
            OpenPictureDialog1.fileName = Edit3->text();
            loadBackgroundPicture(Edit3->text());
        },
        [&] { applyStoredBackgroundColor(*ini); },
        [&] { Edit4->SetText(storedText(*ini, Setting::SoundFilePath)); },
        [&] { applyStoredVolume(*ini); },
        [&] { CheckBox1->SetChecked(settings::readFlag(*ini, Setting::SoundEnabled)); },
        [this] {
            if (!CheckBox1->isChecked()) {
                player().Stop();
                return;
            }
            OpenDialog1.fileName = Edit4->text();
            openAndPlay(OpenDialog1.fileName);
        },
        [&] { CheckBox2->SetChecked(settings::readFlag(*ini, Setting::BackgroundPictureVisible)); },
        [this] { followPictureSwitch(); },
        [&] {
            ini.reset();
            text::dropPrefetchedDocument();
        },
    };
    for (const auto& step : steps)
        forms::runHandler(step);
}

// A last document that no longer exists is no failure: a first start has
// none. One that loads becomes the current document, as Open file makes it,
// so that Save file writes back where it came from.
void TForm2::loadLastDocument(const settings::TCustomIniFile& ini)
{
    if (!CheckBox3->isChecked()) {
        Form1->Memo1->ClearDocument();
        return;
    }
    const QString path = storedText(ini, Setting::LastWorkingFilePath);
    if (!QFileInfo::exists(path)) {
        Form1->Memo1->ClearDocument();
        return;
    }
    Form1->Memo1->LoadDocument(path.toStdString());
    CurrentFilePath = path;
    Form1->SetCaption(QStringLiteral("Quelmar - ") + NamePart(path));
}

// The loader's rules for the last document, without its effects; whatever
// fails here is the loader's to report.
void TForm2::ReadLastDocumentAhead()
{
    try {
        const settings::TIniFile ini(settingsPath());
        if (!settings::readFlag(ini, Setting::LoadLastFile))
            return;
        const QString path = storedText(ini, Setting::LastWorkingFilePath);
        if (QFileInfo::exists(path))
            text::prefetchDocumentFile(path.toStdString());
    } catch (...) {
    }
}

void TForm2::applyStoredWidth(const settings::TCustomIniFile& ini)
{
    Form1->Memo1->SetAreaWidth(settings::readNumber(ini, Setting::AreaWidth));
    Edit1->SetText(QString::number(Form1->Memo1->GetAreaWidth()));
}

void TForm2::applyStoredHeight(const settings::TCustomIniFile& ini)
{
    Form1->Memo1->SetAreaHeight(settings::readNumber(ini, Setting::AreaHeight));
    Edit2->SetText(QString::number(Form1->Memo1->GetAreaHeight()));
}

void TForm2::applyStoredFontColor(const settings::TCustomIniFile& ini)
{
    Panel3->SetColor(uint32_t(settings::readNumber(ini, Setting::FontColor)));
    Form1->Memo1->SetFontColor(Panel3->Color());
}

void TForm2::applyStoredFontName(const settings::TCustomIniFile& ini)
{
    Form1->Memo1->SetFontName(storedText(ini, Setting::FontName));
    ComboBox1->SetText(Form1->Memo1->GetFontName());
}

void TForm2::applyStoredFontSize(const settings::TCustomIniFile& ini)
{
    Form1->Memo1->SetFontSize(settings::readNumber(ini, Setting::FontSize));
    ComboBox2->SetText(QString::number(Form1->Memo1->GetFontSize()));
}

void TForm2::applyStoredBackgroundColor(const settings::TCustomIniFile& ini)
{
    Form1->SetColor(uint32_t(settings::readNumber(ini, Setting::BackgroundColor)));
    Panel19->SetColor(Form1->Color());
}

void TForm2::applyStoredVolume(const settings::TCustomIniFile& ini)
{
    ScrollBar1->SetPosition(settings::readNumber(ini, Setting::SoundVolume));
}

void TForm2::followPictureSwitch()
{
    if (CheckBox2->isChecked())
        OpenPictureDialog1.fileName = Edit3->text();
    else
        loadBackgroundPicture(kDefaultPicture);
}

// "Cancel": the stored settings again, without the last document; a picture
// or sound is reloaded only when its path field differs from the stored one.
void TForm2::Button1Click()
{
    {
        settings::TIniFile ini(settingsPath());
        applyStoredWidth(ini);
        applyStoredHeight(ini);
        applyStoredFontColor(ini);
        applyStoredFontName(ini);
        applyStoredFontSize(ini);
        CheckBox3->setChecked(settings::readFlag(ini, Setting::LoadLastFile));
        const QString picture = storedText(ini, Setting::BackgroundPicturePath);
        if (Edit3->text() != picture) {
            OpenPictureDialog1.fileName = picture;
            loadBackgroundPicture(picture);
        }
        applyStoredBackgroundColor(ini);
        const QString sound = storedText(ini, Setting::SoundFilePath);
        if (Edit4->text() != sound) {
            OpenDialog1.fileName = sound;
            openAndPlay(OpenDialog1.fileName);
        }
        applyStoredVolume(ini);
        CheckBox1->SetChecked(settings::readFlag(ini, Setting::SoundEnabled));
        if (!CheckBox1->isChecked())
            player().Stop();
        CheckBox2->SetChecked(settings::readFlag(ini, Setting::BackgroundPictureVisible));
        followPictureSwitch();
    }
    close();
    Form1->Memo1->FocusText();
}

// "Apply": each key from where it lives. Width, height and font come from
// the text area, so a text in a field that did not apply never reaches the
// file.
void TForm2::Button2Click()
{
    const text::TextArea* area = Form1->Memo1;
    settings::SettingValues values;
    values[Setting::AreaWidth] = int32_t(area->GetAreaWidth());
    values[Setting::AreaHeight] = int32_t(area->GetAreaHeight());
    values[Setting::FontColor] = int32_t(area->GetFontColor());
    values[Setting::LoadLastFile] = CheckBox3->isChecked();
    values[Setting::FontName] = area->GetFontName().toStdU16String();
    values[Setting::FontSize] = int32_t(area->GetFontSize());
    values[Setting::LastWorkingFilePath] = CurrentFilePath.toStdU16String();
    values[Setting::BackgroundPicturePath] = Edit3->text().toStdU16String();
    values[Setting::BackgroundPictureVisible] = CheckBox2->isChecked();
    values[Setting::BackgroundColor] = int32_t(Form1->Color());
    values[Setting::SoundEnabled] = CheckBox1->isChecked();
    values[Setting::SoundFilePath] = Edit4->text().toStdU16String();
    values[Setting::SoundVolume] = int32_t(ScrollBar1->Position());
    settings::TIniFile ini(settingsPath());
    settings::writeSettings(ini, values);
}

void TForm2::Button4Click()
{
    Button2Click();
    close();
}

void TForm2::Button3Click()
{
    if (OpenPictureDialog1.Execute(this))
        loadBackgroundPicture(OpenPictureDialog1.fileName);
    Edit3->SetText(OpenPictureDialog1.fileName);
}

void TForm2::Button5Click()
{
    if (OpenDialog1.Execute(this))
        player().FileName = OpenDialog1.fileName;
    player().Open();
    player().Play();
    Edit4->SetText(OpenDialog1.fileName);
}

void TForm2::CheckBox1Click()
{
    const bool on = CheckBox1->isChecked();
    if (on)
        player().Play();
    else
        player().Pause();
    switchSoundControls(on);
}

void TForm2::switchSoundControls(bool on)
{
    ScrollBar1->setEnabled(on);
    Edit4->setEnabled(on);
    Button5->setEnabled(on);
    Image1->Picture().LoadPictureFile((on ? kSoundOn : kSoundOff).toStdString());
}

void TForm2::CheckBox2Click() { switchPictureControls(CheckBox2->isChecked()); }

// The hidden background picture keeps its picture.
void TForm2::switchPictureControls(bool on)
{
    Edit3->setEnabled(on);
    Button3->setEnabled(on);
    Form1->Image1->setVisible(on);
}

void TForm2::ComboBox1Change() { Form1->Memo1->SetFontName(ComboBox1->Text()); }

void TForm2::ComboBox2Change() { Form1->Memo1->SetFontSize(readInteger(ComboBox2->Text())); }

void TForm2::Edit1Change()
{
    Form1->Memo1->SetAreaWidth(readInteger(Edit1->text()));
    Form1->FormResize();
}

void TForm2::Edit2Change()
{
    Form1->Memo1->SetAreaHeight(readInteger(Edit2->text()));
    Form1->FormResize();
}

void TForm2::Edit3KeyPress(QChar key)
{
    if (key != kEnter)
        return;
    OpenPictureDialog1.fileName = Edit3->text();
    loadBackgroundPicture(Edit3->text());
}

void TForm2::Edit4KeyPress(QChar key)
{
    if (key != kEnter)
        return;
    OpenDialog1.fileName = Edit4->text();
    openAndPlay(OpenDialog1.fileName);
}

void TForm2::Panel3Click()
{
    if (!ColorDialog1.Execute(this))
        return;
    Panel3->SetColor(ColorDialog1.color);
    Form1->Memo1->SetFontColor(Panel3->Color());
}

void TForm2::Panel19Click()
{
    if (!ColorDialog2.Execute(this))
        return;
    Panel19->SetColor(ColorDialog2.color);
    Form1->SetColor(Panel19->Color());
}

void TForm2::ScrollBar1Change() { SetPlayerVolume(player(), ScrollBar1->Position()); }

void TForm2::FormActivate()
{
    if (isVisible())
        Form1->Memo1->SetFrameVisible(true);
    Form1->ShowAreaLabel(true);
    Form1->ShowCaptionBadge();
}

void TForm2::FormClose()
{
    Form1->Memo1->SetFrameVisible(false);
    Form1->ShowAreaLabel(false);
    Form1->Memo1->FocusText();
    Form1->HideCaptionBadge();
}

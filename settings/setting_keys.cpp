// The key table and the reads and writes that follow it.
#include "settings/setting_keys.h"

#include <cassert>

namespace settings {

namespace {

constexpr std::array<SettingKey, kSettingCount> kKeys{{
    {u"Text", u"AreaWidth", ValueForm::Integer, 700, {}},
    {u"Text", u"AreaHeight", ValueForm::Integer, 550, {}},
    {u"Text", u"FontColor", ValueForm::Colour, 0, {}},
    {u"Text", u"LoadLastFile", ValueForm::Boolean, 1, {}},
    {u"Text", u"FontName", ValueForm::String, 0, u"Tahoma"},
    {u"Text", u"FontSize", ValueForm::Integer, 12, {}},
    {u"Text", u"LastWorkingFilePath", ValueForm::String, 0, u"Untitled.txt"},
    {u"Background", u"BackgroundPicturePath", ValueForm::String, 0, u"Backdrop.jpg"},
    {u"Background", u"BackgroundPictureVisible", ValueForm::Boolean, 1, {}},
    {u"Background", u"BackgroundColor", ValueForm::Colour, 0x00CCEADD, {}},
    {u"Sound", u"SoundEnabled", ValueForm::Boolean, 1, {}},
    {u"Sound", u"SoundFilePath", ValueForm::String, 0, u"ambience.mp3"},
    {u"Sound", u"SoundVolume", ValueForm::Integer, 900, {}},
}};

bool isNumber(ValueForm form) { return form == ValueForm::Integer || form == ValueForm::Colour; }

} // namespace

const SettingKey& settingKey(Setting setting) { return kKeys[static_cast<size_t>(setting)]; }

SettingValues::SettingValues()
{
    for (size_t i = 0; i < kSettingCount; ++i) {
        const SettingKey& key = kKeys[i];
        if (isNumber(key.form))
            values_[i] = key.defaultNumber;
        else if (key.form == ValueForm::Boolean)
            values_[i] = key.defaultNumber != 0;
        else
            values_[i] = std::u16string(key.defaultText);
    }
}

int32_t readNumber(const TCustomIniFile& ini, Setting setting)
{
    const SettingKey& key = settingKey(setting);
    assert(isNumber(key.form));
    return ini.ReadNumber(key.section, key.name, key.defaultNumber);
}

bool readFlag(const TCustomIniFile& ini, Setting setting)
{
    const SettingKey& key = settingKey(setting);
    assert(key.form == ValueForm::Boolean);
    return ini.ReadFlag(key.section, key.name, key.defaultNumber != 0);
}

std::u16string readText(const TCustomIniFile& ini, Setting setting)
{
    const SettingKey& key = settingKey(setting);
    assert(key.form == ValueForm::String);
    return ini.ReadText(key.section, key.name, key.defaultText);
}

void writeSettings(TCustomIniFile& ini, const SettingValues& values)
{
    for (size_t i = 0; i < kSettingCount; ++i) {
        const SettingKey& key = kKeys[i];
        const SettingValue& value = values[static_cast<Setting>(i)];
        if (isNumber(key.form))
            ini.WriteNumber(key.section, key.name, std::get<int32_t>(value));
        else if (key.form == ValueForm::Boolean)
            ini.WriteFlag(key.section, key.name, std::get<bool>(value));
        else
            ini.WriteText(key.section, key.name, std::get<std::u16string>(value));
    }
}

std::string settingsFilePath(std::string_view executableFolder)
{
    std::string path(executableFolder);
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path + "Settings.ini";
}

} // namespace settings

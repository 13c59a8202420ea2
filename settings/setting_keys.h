// The thirteen keys of "Settings.ini": where each lives, its value form and
// its default, in the order "Apply" and "OK" write them. The settings
// window reads and writes through these instead of spelling keys itself:
//
//     settings::TIniFile ini(settings::settingsFilePath(platform::executableDir()));
//     SetAreaWidth(settings::readNumber(ini, settings::Setting::AreaWidth));
//     ...
//     settings::SettingValues values;
//     values[settings::Setting::AreaWidth] = GetAreaWidth();   // all thirteen
//     settings::writeSettings(ini, values);
#pragma once

#include "settings/ini_file.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace settings {

// In the write order.
enum class Setting {
    AreaWidth, AreaHeight, FontColor, LoadLastFile, FontName, FontSize, LastWorkingFilePath,
    BackgroundPicturePath, BackgroundPictureVisible, BackgroundColor,
    SoundEnabled, SoundFilePath, SoundVolume,
};
inline constexpr size_t kSettingCount = 13;

// Integer and colour go through ReadNumber/WriteNumber (a colour is a
// 0x00BBGGRR value stored as signed decimal), boolean through
// ReadFlag/WriteFlag, string through ReadText/WriteText.
enum class ValueForm { Integer, Colour, Boolean, String };

struct SettingKey {
    std::u16string_view section;
    std::u16string_view name;
    ValueForm form;
    int32_t defaultNumber;           // integer and colour; 1 or 0 for boolean
    std::u16string_view defaultText; // string
};

const SettingKey& settingKey(Setting setting);

// A key's value: int32_t for integer and colour, bool, std::u16string.
using SettingValue = std::variant<int32_t, bool, std::u16string>;

// One value per key, indexed by Setting; starts as the thirteen defaults.
class SettingValues {
public:
    SettingValues();
    SettingValue& operator[](Setting s) { return values_[static_cast<size_t>(s)]; }
    const SettingValue& operator[](Setting s) const { return values_[static_cast<size_t>(s)]; }

private:
    std::array<SettingValue, kSettingCount> values_;
};

// Each read passes the key's own default; the form must match.
int32_t readNumber(const TCustomIniFile& ini, Setting setting);
bool readFlag(const TCustomIniFile& ini, Setting setting);
std::u16string readText(const TCustomIniFile& ini, Setting setting);

// One write per key in the write order, each in its key's form. A refused
// write raises EIniFileException there: the keys before it stay written,
// the later ones are not written.
void writeSettings(TCustomIniFile& ini, const SettingValues& values);

// The settings file in the executable's folder ("/opt/quelmar/" gives
// "/opt/quelmar/Settings.ini"). Callers compute it afresh for each
// operation from platform::executableDir().
std::string settingsFilePath(std::string_view executableFolder);

} // namespace settings

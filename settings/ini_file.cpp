// TCustomIniFile's typed operations and TIniFile over the profile service.
#include "settings/ini_file.h"

#include "base/message.h"
#include "base/utf.h"
#include "settings/integer_parse.h"
#include "settings/profile_service.h"

namespace settings {

int32_t TCustomIniFile::ReadNumber(std::u16string_view section, std::u16string_view key, int32_t defaultValue) const
{
    return parseInteger(ReadText(section, key, u"")).value_or(defaultValue);
}

void TCustomIniFile::WriteNumber(std::u16string_view section, std::u16string_view key, int32_t value)
{
    WriteText(section, key, base::utf8ToUtf16(std::to_string(value)));
}

bool TCustomIniFile::ReadFlag(std::u16string_view section, std::u16string_view key, bool defaultValue) const
{
    return ReadNumber(section, key, defaultValue ? 1 : 0) != 0;
}

void TCustomIniFile::WriteFlag(std::u16string_view section, std::u16string_view key, bool value)
{
    WriteText(section, key, value ? u"1" : u"0");
}

TIniFile::~TIniFile() { flushProfile(FileName()); }

std::u16string TIniFile::ReadText(std::u16string_view section, std::u16string_view key,
                                  std::u16string_view defaultValue) const
{
    return readProfileString(section, key, defaultValue, FileName());
}

void TIniFile::WriteText(std::u16string_view section, std::u16string_view key, std::u16string_view value)
{
    if (!writeProfileString(section, key, value, FileName()))
        throw EIniFileException(base::formatMessage("Unable to write to %s", FileName()));
}

} // namespace settings

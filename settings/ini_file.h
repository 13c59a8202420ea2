// The settings-file object: one per settings operation, created on the
// file's full path, used for a few reads or writes, then released.
//
//     settings::TIniFile ini(settings::settingsFilePath(platform::executableDir()));
//     const int32_t width = ini.ReadNumber(u"Text", u"AreaWidth", 700);
//     ini.WriteNumber(u"Text", u"AreaWidth", width);   // EIniFileException when refused
//     // leaving the scope releases it: the file is flushed
//
// Reads never fail; each read and each write goes to the file at once.
#pragma once

#include "base/exception.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

// A write the profile service refused: "Unable to write to PATH".
QUELMAR_EXCEPTION(EIniFileException, base::Exception);

namespace settings {

// The typed operations over two string operations a derived class provides.
class TCustomIniFile {
public:
    explicit TCustomIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
    virtual ~TCustomIniFile() = default;
    TCustomIniFile(const TCustomIniFile&) = delete;
    TCustomIniFile& operator=(const TCustomIniFile&) = delete;

    const std::string& FileName() const { return fileName_; }

    // The stored text, or `defaultValue` when the file, the section or the
    // key is missing; at most 2047 characters.
    virtual std::u16string ReadText(std::u16string_view section, std::u16string_view key,
                                    std::u16string_view defaultValue) const = 0;
    // Stores the text unchanged; EIniFileException when the write is refused.
    virtual void WriteText(std::u16string_view section, std::u16string_view key, std::u16string_view value) = 0;
    // The stored text through parseInteger; `defaultValue` when it is
    // missing, empty or unparsable.
    virtual int32_t ReadNumber(std::u16string_view section, std::u16string_view key, int32_t defaultValue) const;
    // Decimal, "-" before a negative value and nothing else: "-20", "700".
    virtual void WriteNumber(std::u16string_view section, std::u16string_view key, int32_t value);
    // ReadNumber with default 1 or 0; any non-zero number is true.
    virtual bool ReadFlag(std::u16string_view section, std::u16string_view key, bool defaultValue) const;
    // "1" or "0".
    virtual void WriteFlag(std::u16string_view section, std::u16string_view key, bool value);

private:
    std::string fileName_;
};

// The settings-file object over the profile service. Creating it touches
// nothing on disk; destroying it is the release, which flushes the file.
class TIniFile final : public TCustomIniFile {
public:
    explicit TIniFile(std::string fileName) : TCustomIniFile(std::move(fileName)) {}
    ~TIniFile() override;

    std::u16string ReadText(std::u16string_view section, std::u16string_view key,
                            std::u16string_view defaultValue) const override;
    void WriteText(std::u16string_view section, std::u16string_view key, std::u16string_view value) override;
};

} // namespace settings

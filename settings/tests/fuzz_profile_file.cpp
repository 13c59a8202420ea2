// Profile file reading: any bytes parse; UTF-8 files come back byte for byte;
// a value written from the input's tail reads back and disturbs no other key.
#include "settings/profile_file.h"

#include "base/utf.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void require(bool holds)
{
    if (!holds)
        std::abort();
}

// Up to 24 trailing bytes, made valid UTF-8 and fit for one line.
std::string valueFrom(std::string_view bytes)
{
    std::string value = base::utf16ToUtf8(base::utf8ToUtf16(bytes.substr(bytes.size() - std::min<size_t>(bytes.size(), 24))));
    std::erase_if(value, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    settings::ProfileFile file = settings::ProfileFile::parse(bytes);
    const auto encoding = file.encoding();
    if (encoding == settings::ProfileEncoding::Utf8 || encoding == settings::ProfileEncoding::Utf8WithBom)
        require(file.bytes() == bytes);

    const auto other = file.find("Sound", "SoundVolume");
    const std::string otherValue(other.value_or(""));
    const std::string value = valueFrom(bytes);
    file.set("Text", "AreaWidth", value);

    const settings::ProfileFile reread = settings::ProfileFile::parse(file.bytes());
    require(reread.encoding() == encoding);
    require(reread.find("tEXT", "areaWIDTH") == std::string_view(value));
    require(reread.find("Sound", "SoundVolume").has_value() == other.has_value());
    require(std::string(reread.find("Sound", "SoundVolume").value_or("")) == otherValue);
    return 0;
}

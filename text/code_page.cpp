// Code page tables filled from iconv, and the locale's ANSI code page.
#include "text/code_page.h"

#include "base/utf.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iconv.h>

namespace text {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

std::string iconvName(uint32_t codePage)
{
    switch (codePage) {
    case 10000: return "MACINTOSH";
    case 10001: return "SHIFT_JIS";
    case 10007: return "MAC-CYRILLIC";
    case 10029: return "MAC-CENTRALEUROPE";
    case 20127: return "ASCII";
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 51932: return "EUC-JP";
    case 54936: return "GB18030";
    case 65001: return "UTF-8";
    default: break;
    }
    if (codePage >= 28591 && codePage <= 28606)
        return "ISO-8859-" + std::to_string(codePage - 28590);
    return "CP" + std::to_string(codePage);
}

iconv_t openDecoder(uint32_t& codePage)
{
    iconv_t cd = iconv_open("UTF-32LE", iconvName(codePage).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        codePage = kWindowsLatin1;
        cd = iconv_open("UTF-32LE", "CP1252");
    }
    return cd;
}

// The language part of a locale name ("ru" of "ru_RU.UTF-8"), and its territory.
uint32_t codePageForLocale(std::string_view locale)
{
    const std::string_view language = locale.substr(0, locale.find_first_of("_.@"));
    const size_t underscore = locale.find('_');
    const std::string_view territory =
        underscore == std::string_view::npos ? std::string_view() : locale.substr(underscore + 1, 2);
    struct Entry {
        const char* languages;
        uint32_t codePage;
    };
    static constexpr Entry kTable[] = {
        {" ja ", 932}, {" ko ", 949}, {" th ", 874}, {" vi ", 1258}, {" el ", 1253},
        {" tr az ", 1254}, {" he yi ", 1255}, {" ar fa ur ", 1256}, {" et lt lv ", 1257},
        {" pl cs sk hu sl hr ro sq bs hsb dsb ", 1250},
        {" ru uk be bg mk sr kk ky tt mn ba cv os ", 1251},
    };
    if (language == "zh")
        return territory == "TW" || territory == "HK" || territory == "MO" ? 950 : 936;
    if (language == "sr" && locale.find("@latin") != std::string_view::npos)
        return 1250;
    if (language.empty())
        return kWindowsLatin1;
    const std::string key = " " + std::string(language) + " ";
    for (const Entry& entry : kTable) {
        if (std::strstr(entry.languages, key.c_str()))
            return entry.codePage;
    }
    return kWindowsLatin1;
}

} // namespace

uint32_t codePageForCharset(int charset)
{
    switch (charset) {
    // The ANSI character set is Windows-1252 whatever the document's code
    // page: writers mark Western fonts so inside East Asian documents.
    case 0: return kWindowsLatin1;
    case 77: return 10000;
    case 78: return 10001;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    // Symbol fonts have no code page of their own; their bytes read as
    // Windows-1252, which is what the letters of such text are.
    case 2: return kWindowsLatin1;
    default: return 0;
    }
}

uint32_t systemAnsiCodePage()
{
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return codePageForLocale(value);
    }
    return kWindowsLatin1;
}

CodePageDecoder::CodePageDecoder(uint32_t codePage)
    : codePage_(codePage), iconv_(openDecoder(codePage_)), rows_(256)
{
    for (size_t b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        bool incomplete = false;
        const char32_t c = convert(&byte, 1, incomplete);
        lead_[b] = incomplete;
        single_[b] = c == kReplacement && !incomplete ? static_cast<char32_t>(b) : c;
    }
}

CodePageDecoder::~CodePageDecoder()
{
    if (iconv_ != reinterpret_cast<void*>(-1))
        iconv_close(static_cast<iconv_t>(iconv_));
}

// One character from `length` bytes; U+FFFD when they do not make exactly
// one. `incomplete` tells that the bytes begin a longer character.
char32_t CodePageDecoder::convert(const char* bytes, size_t length, bool& incomplete)
{
    incomplete = false;
    if (iconv_ == reinterpret_cast<void*>(-1))
        return length == 1 ? static_cast<unsigned char>(bytes[0]) : kReplacement;
    auto cd = static_cast<iconv_t>(iconv_);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char input[4];
    std::memcpy(input, bytes, length);
    char32_t output[4] = {};
    char* in = input;
    size_t inLeft = length;
    char* out = reinterpret_cast<char*>(output);
    size_t outLeft = sizeof output;
    const size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
    if (result == static_cast<size_t>(-1) && errno == EINVAL)
        incomplete = true;
    // Converters that compose combining marks hold the last character back.
    iconv(cd, nullptr, nullptr, &out, &outLeft);
    const size_t produced = (sizeof output - outLeft) / sizeof(char32_t);
    if (inLeft != 0 || produced != 1)
        return kReplacement;
    return output[0];
}

void CodePageDecoder::buildRow(uint8_t lead)
{
    auto row = std::make_unique<std::array<char32_t, 256>>();
    for (int t = 0; t < 256; ++t) {
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(t)};
        bool incomplete = false;
        (*row)[static_cast<size_t>(t)] = convert(pair, 2, incomplete);
    }
    rows_[lead] = std::move(row);
}

char32_t CodePageDecoder::decodePair(uint8_t lead, uint8_t trail)
{
    if (!rows_[lead])
        buildRow(lead);
    return (*rows_[lead])[trail];
}

void CodePageDecoder::decode(std::string_view bytes, std::u16string& out)
{
    out.reserve(out.size() + bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<uint8_t>(bytes[i]);
        char32_t c = 0;
        if (!lead_[b]) {
            c = single_[b];
        } else if (i + 1 < bytes.size()) {
            // A lead byte with a trail that does not fit is a character of
            // its own, and the trail byte begins the next one.
            c = decodePair(b, static_cast<uint8_t>(bytes[i + 1]));
            if (c != kReplacement)
                ++i;
        } else {
            c = kReplacement;
        }
        base::appendUtf16(out, c);
    }
}

} // namespace text

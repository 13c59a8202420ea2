// Windows code pages (the RTF \ansicpg, \fcharset and \cpg values, and the
// system's ANSI code page for plain text) decoded through iconv. Each byte's
// meaning is asked of iconv once and kept in a table, so decoding a long text
// costs a table look-up per byte.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace text {

inline constexpr uint32_t kWindowsLatin1 = 1252;

// The code page a font's \fcharset stands for; 0 for the default character
// set (1), which takes the document's own code page.
uint32_t codePageForCharset(int charset);

// The ANSI code page of the user's locale (LC_ALL, LC_CTYPE, LANG): the
// legacy Windows code page of its language where it has one, else 1252.
uint32_t systemAnsiCodePage();

class CodePageDecoder {
public:
    // An unknown code page decodes as Windows-1252.
    explicit CodePageDecoder(uint32_t codePage);
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;

    uint32_t codePage() const { return codePage_; }
    // A lead byte needs the next byte to make a character (double-byte code pages).
    bool isLeadByte(uint8_t byte) const { return lead_[byte]; }
    // A byte the code page leaves undefined decodes as U+0080..U+00FF of the
    // same value, as the system's own conversion does.
    char32_t decodeByte(uint8_t byte) const { return single_[byte]; }
    // U+FFFD for a pair the code page does not define.
    char32_t decodePair(uint8_t lead, uint8_t trail);

    // Decodes a whole text; an incomplete pair at the end becomes U+FFFD.
    void decode(std::string_view bytes, std::u16string& out);

private:
    char32_t convert(const char* bytes, size_t length, bool& incomplete);
    void buildRow(uint8_t lead);

    uint32_t codePage_;
    void* iconv_; // iconv_t, opened for the decoder's lifetime
    std::array<char32_t, 256> single_{};
    std::array<bool, 256> lead_{};
    std::vector<std::unique_ptr<std::array<char32_t, 256>>> rows_;
};

} // namespace text

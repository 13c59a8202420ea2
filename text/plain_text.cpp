// Plain-text decoding: the whole file to UTF-16 first, then cut at line
// breaks, so no character can be split wherever it lies.
#include "text/plain_text.h"

#include "base/utf.h"
#include "text/code_page.h"

#include <limits>

namespace text {

namespace {

// An odd byte at the end of UTF-16 text is a broken character: U+FFFD.
std::u16string decodeUtf16(std::string_view bytes, bool bigEndian)
{
    std::u16string out;
    out.resize(bytes.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) {
        const auto a = static_cast<unsigned char>(bytes[2 * i]);
        const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
        out[i] = static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    }
    if (bytes.size() % 2 != 0)
        out += u'\uFFFD';
    return out;
}

std::u16string decode(std::string_view bytes, uint32_t ansiCodePage)
{
    if (bytes.starts_with("\xFF\xFE"))
        return decodeUtf16(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF"))
        return decodeUtf16(bytes.substr(2), true);
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return base::utf8ToUtf16(bytes.substr(3));
    if (base::isValidUtf8(bytes))
        return base::utf8ToUtf16(bytes);
    std::u16string out;
    CodePageDecoder(ansiCodePage).decode(bytes, out);
    return out;
}

} // namespace

std::optional<Document> readPlainText(std::string_view bytes)
{
    return readPlainText(bytes, systemAnsiCodePage());
}

std::optional<Document> readPlainText(std::string_view bytes, uint32_t ansiCodePage)
{
    const std::u16string text = decode(bytes, ansiCodePage);
    Document document;
    document.paragraphs.clear();
    size_t start = 0;
    for (;;) {
        size_t end = text.find_first_of(u"\r\n", start);
        const size_t stop = end == std::u16string::npos ? text.size() : end;
        if (stop - start > std::numeric_limits<uint32_t>::max())
            return std::nullopt;
        Paragraph& p = document.paragraphs.emplace_back();
        p.text.assign(text, start, stop - start);
        if (!p.text.empty())
            p.runs.push_back(Run{static_cast<uint32_t>(p.text.size()), CharFormat{}, Run::kNoPicture});
        if (end == std::u16string::npos)
            break;
        start = end + 1;
        if (text[end] == u'\r' && start < text.size() && text[start] == u'\n')
            ++start;
    }
    return document;
}

} // namespace text

// Fuzz target for plain-text decoding: any bytes decode without a crash, in
// the code page chosen by the last byte, and every run covers its text.
#include "text/plain_text.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static constexpr uint32_t kCodePages[] = {1252, 1251, 932, 936, 949, 950, 1258, 874, 65001, 12345};
    const uint32_t codePage = size > 0 ? kCodePages[data[size - 1] % std::size(kCodePages)] : 1252;
    const auto document = text::readPlainText(std::string_view(reinterpret_cast<const char*>(data), size), codePage);
    if (!document || document->paragraphs.empty())
        std::abort();
    for (const text::Paragraph& p : document->paragraphs) {
        if (p.text.find_first_of(u"\r\n") != std::u16string::npos)
            std::abort();
        if ((p.runs.empty() ? 0 : p.runs[0].length) != p.text.size() || p.runs.size() > 1)
            std::abort();
    }
    return 0;
}

// A generated novel for the document storage benchmarks: 80,000 paragraphs,
// about 5 MB of RTF, a formatting change every few words, some Cyrillic.
// Deterministic, so every run and every benchmark measures the same bytes.
#pragma once

#include "base/utf.h"
#include "text/document.h"
#include "text/rtf_writer.h"

#include <cstdint>
#include <string>

namespace bench {

inline text::Document makeNovelDocument()
{
    static const char* const kWords[] = {
        "the", "night", "was", "long", "and", "quiet", "she", "wrote", "letters", "to", "nobody", "in",
        "particular", "while", "rain", "kept", "falling", "over", "harbour", "town", "of", "grey", "stone",
        "\xD0\xB4\xD0\xBE\xD0\xB6\xD0\xB4\xD1\x8C", "\xD0\xBD\xD0\xBE\xD1\x87\xD1\x8C", "\xD0\xB3\xD0\xBE\xD1\x80\xD0\xBE\xD0\xB4",
    };
    constexpr size_t kWordCount = sizeof kWords / sizeof kWords[0];
    constexpr size_t kCyrillic = 3; // the last three words
    uint32_t seed = 12345;
    auto random = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    text::Document document;
    document.fonts = {text::Font{u"Calibri", 204}, text::Font{u"Georgia", 0}};
    document.paragraphs.clear();
    document.paragraphs.reserve(80000);
    for (int p = 0; p < 80000; ++p) {
        text::Paragraph& paragraph = document.paragraphs.emplace_back();
        if (p % 20 == 0)
            paragraph.format.alignment = text::Alignment::Center;
        paragraph.format.firstLineIndent = p % 20 == 0 ? 0 : 360;
        text::CharFormat format;
        const uint32_t words = 4 + random(6);
        for (uint32_t w = 0; w < words; ++w) {
            if (w % 4 == 0) {
                format.bold = random(3) == 0;
                format.italic = random(4) == 0;
                format.font = static_cast<int32_t>(random(2));
                format.hasColor = random(8) == 0;
                format.color = format.hasColor ? 0x2020A0 : 0;
            }
            // About one word in twenty is Cyrillic.
            const size_t index = random(20) == 0 ? kWordCount - 1 - random(kCyrillic) : random(kWordCount - kCyrillic);
            std::u16string word = base::utf8ToUtf16(kWords[index]);
            if (w + 1 < words)
                word += u' ';
            else
                word += u'.';
            paragraph.text += word;
            auto& runs = paragraph.runs;
            if (!runs.empty() && runs.back().format == format)
                runs.back().length += static_cast<uint32_t>(word.size());
            else
                runs.push_back(text::Run{static_cast<uint32_t>(word.size()), format, text::Run::kNoPicture});
        }
    }
    return document;
}

inline std::string makeNovelRtf()
{
    return text::writeRtf(makeNovelDocument());
}

} // namespace bench

// Helpers shared by the document storage tests: a document's text as UTF-8
// with '|' between paragraphs, and small documents built in place.
#pragma once

#include "base/utf.h"
#include "text/document.h"

#include <string>

namespace text::testing {

inline std::string joinedText(const Document& document)
{
    std::string out;
    for (size_t i = 0; i < document.paragraphs.size(); ++i) {
        if (i > 0)
            out += '|';
        out += base::utf16ToUtf8(document.paragraphs[i].text);
    }
    return out;
}

// One paragraph of runs, each a UTF-8 text with its format.
struct RunSpec {
    std::string text;
    CharFormat format;
};

inline Paragraph makeParagraph(std::initializer_list<RunSpec> runs, ParagraphFormat format = {})
{
    Paragraph p;
    p.format = format;
    for (const RunSpec& piece : runs) {
        const std::u16string text = base::utf8ToUtf16(piece.text);
        p.text += text;
        // Adjacent runs of one format are one run, as the reader gives them.
        if (!p.runs.empty() && p.runs.back().format == piece.format)
            p.runs.back().length += static_cast<uint32_t>(text.size());
        else
            p.runs.push_back(Run{static_cast<uint32_t>(text.size()), piece.format, Run::kNoPicture});
    }
    return p;
}

} // namespace text::testing

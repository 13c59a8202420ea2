// The RTF writer: the document model as an RTF 1.x file that this reader and
// other word processors read back to the same text and formatting.
#pragma once

#include "text/document.h"
#include "text/rtf_output.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace text {

// Plain ASCII output: every other character as \uN with a '?' fallback. No
// byte-order mark, nothing before "{\rtf1" or after the closing brace.
std::string writeRtf(const Document& document);
// The same, in the writer's own buffer, sparing a copy.
RtfFile writeRtfFile(const Document& document);

// The same writer fed a paragraph at a time, for a source that is not a
// Document (the text area walks its own). The font and colour tables are
// written by finish(), so `fonts` may grow while the body is written, as the
// source meets new faces; formats index it as CharFormat::font does.
class RtfStreamWriter {
public:
    RtfStreamWriter(const std::vector<Font>& fonts, size_t sizeHint);
    ~RtfStreamWriter();
    RtfStreamWriter(const RtfStreamWriter&) = delete;
    RtfStreamWriter& operator=(const RtfStreamWriter&) = delete;

    // A caller that names its formats with small numbers (one number for
    // one format, always) passes them as `formatId`: the control words
    // between two named formats are then worked out once, not at every run.
    static constexpr uint32_t kUnnamedFormat = UINT32_MAX;

    void beginParagraph(const ParagraphFormat& format);
    void text(std::u16string_view text, const CharFormat& format, uint32_t formatId = kUnnamedFormat);
    void picture(const Picture& picture, const CharFormat& format);
    void endParagraph();
    // The whole file. The writer is spent afterwards.
    RtfFile finish();

private:
    class Body;
    std::unique_ptr<Body> body_;
};

} // namespace text

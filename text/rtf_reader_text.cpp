// The RTF reader's body text: bytes decoded in the current font's code page,
// characters gathered into runs of one format, paragraphs ended.
#include "text/rtf_reader_state.h"

#include "base/utf.h"

namespace text {

namespace {
constexpr char32_t kReplacement = 0xFFFD;
}

void RtfReader::handleText(std::string_view bytes, bool highBytes)
{
    switch (state_.destination) {
    case RtfDestination::Text:
        break;
    case RtfDestination::FontTable:
        fontTableText(bytes);
        return;
    case RtfDestination::ColorTable:
        colorTableText(bytes);
        return;
    case RtfDestination::Picture:
        pictureHex(bytes);
        return;
    default:
        return;
    }
    if (!highBytes && leadByte_ < 0) {
        appendAscii(bytes);
        return;
    }
    size_t i = 0;
    while (i < bytes.size()) {
        if (leadByte_ < 0 && static_cast<unsigned char>(bytes[i]) < 0x80) {
            size_t end = i + 1;
            while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) < 0x80)
                ++end;
            appendAscii(bytes.substr(i, end - i));
            i = end;
        } else {
            handleByte(static_cast<uint8_t>(bytes[i++]));
        }
    }
}

void RtfReader::handleByte(uint8_t byte)
{
    if (state_.destination == RtfDestination::FontTable) {
        fontTableByte(byte);
        return;
    }
    if (state_.destination != RtfDestination::Text)
        return;
    CodePageDecoder& d = decoder(bodyCodePage());
    if (leadByte_ >= 0) {
        const char32_t c = d.decodePair(static_cast<uint8_t>(leadByte_), byte);
        leadByte_ = -1;
        appendCharacter(c);
        // A trail byte that does not fit begins a character of its own.
        if (c != kReplacement)
            return;
    }
    if (d.isLeadByte(byte))
        leadByte_ = byte;
    else
        appendCharacter(d.decodeByte(byte));
}

void RtfReader::flushLeadByte()
{
    if (leadByte_ < 0)
        return;
    leadByte_ = -1;
    if (state_.destination == RtfDestination::Text)
        appendCharacter(kReplacement);
}

CodePageDecoder& RtfReader::decoder(uint32_t codePage)
{
    if (lastDecoder_ && lastDecoder_->codePage() == codePage)
        return *lastDecoder_;
    for (CachedDecoder& cached : decoders_) {
        if (cached.codePage == codePage) {
            lastDecoder_ = cached.decoder.get();
            return *lastDecoder_;
        }
    }
    decoders_.push_back({codePage, std::make_unique<CodePageDecoder>(codePage)});
    lastDecoder_ = decoders_.back().decoder.get();
    return *lastDecoder_;
}

Run& RtfReader::currentRun(int32_t picture)
{
    std::vector<Run>& runs = paragraph_.runs;
    if (runs.empty() || picture != Run::kNoPicture || runs.back().picture != Run::kNoPicture ||
        !(runs.back().format == state_.chars)) {
        runs.push_back(Run{0, state_.chars, picture});
    }
    return runs.back();
}

void RtfReader::appendAscii(std::string_view bytes)
{
    Run& run = currentRun(Run::kNoPicture);
    std::u16string& text = paragraph_.text;
    const size_t old = text.size();
    text.resize(old + bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i)
        text[old + i] = static_cast<char16_t>(bytes[i]);
    run.length += static_cast<uint32_t>(bytes.size());
}

void RtfReader::appendCharacter(char32_t c)
{
    Run& run = currentRun(Run::kNoPicture);
    run.length += c >= 0x10000 ? 2 : 1;
    base::appendUtf16(paragraph_.text, c);
}

// The paragraph is built in buffers that keep their capacity, and copied
// out at its exact size: one allocation for its text, one for its runs.
void RtfReader::endParagraph()
{
    flushLeadByte();
    Paragraph& p = document_.paragraphs.emplace_back();
    p.text.assign(paragraph_.text);
    p.runs.assign(paragraph_.runs.begin(), paragraph_.runs.end());
    p.format = state_.paragraph;
    paragraph_.text.clear();
    paragraph_.runs.clear();
    endedParagraph_ = true;
}

} // namespace text

// The RTF reader's dispatch: groups and the state stack, destinations, and
// control words routed to the handler of the current destination.
#include "text/rtf_reader.h"

#include "text/rtf_reader_state.h"

#include <algorithm>

namespace text {

namespace {

// Lengths in twips beyond this are a broken file; clamping keeps the
// layout arithmetic of every later user far from overflow.
constexpr int32_t kMaxTwips = 1000000;

int32_t twips(const RtfToken& token)
{
    return std::clamp(token.parameter, -kMaxTwips, kMaxTwips);
}

bool isOn(const RtfToken& token) { return !token.hasParameter || token.parameter != 0; }

bool isDestination(RtfAction action)
{
    switch (action) {
    case RtfAction::FontTable:
    case RtfAction::ColorTable:
    case RtfAction::Picture:
    case RtfAction::Skip:
    case RtfAction::Upr:
    case RtfAction::ReadGroup:
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<Document> readRtf(std::string_view bytes)
{
    if (!bytes.starts_with("{\\rtf"))
        return std::nullopt;
    return RtfReader(bytes).read();
}

Document RtfReader::read()
{
    document_.paragraphs.clear();
    document_.paragraphs.reserve(input_.size() / 64 + 1);
    while (!finished_) {
        const RtfToken token = tokens_.next();
        if (token.kind == RtfToken::Kind::End)
            break;
        handleToken(token);
    }
    flushLeadByte();
    // A picture cut off by the end of the file is dropped: its group could
    // not be written back whole.
    pictureOpen_ = false;
    // A final \par ends the last paragraph; it does not begin an empty one.
    if (!paragraph_.text.empty() || !endedParagraph_)
        endParagraph();
    return std::move(document_);
}

void RtfReader::handleToken(const RtfToken& token)
{
    using Kind = RtfToken::Kind;
    if (overflowDepth_ > 0) {
        skipOverflowed(token);
        return;
    }
    // \* marks only the control word straight after it.
    if (token.kind != Kind::ControlWord)
        ignorableNext_ = false;
    if (token.kind == Kind::GroupStart || token.kind == Kind::GroupEnd) {
        skipLeft_ = 0;
        flushLeadByte();
        if (token.kind == Kind::GroupStart)
            openGroup();
        else
            closeGroup(token.offset + 1);
        return;
    }
    if (token.kind == Kind::Text) {
        handleTextToken(token);
        return;
    }
    if (skipLeft_ > 0 && token.kind == Kind::HexByte) {
        --skipLeft_;
        return;
    }
    // Fallback text is bytes; a control word after \uN ends it (writers
    // that give no fallback write \u8226\tab).
    skipLeft_ = 0;
    if (token.kind == Kind::HexByte)
        handleByte(token.byte);
    else if (token.kind == Kind::ControlWord)
        handleWord(token);
    else if (token.kind == Kind::ControlSymbol)
        handleSymbol(token.symbol);
}

// Groups past the depth bound are counted, not followed; only \bin data
// must still be stepped over, since it may hold braces.
void RtfReader::skipOverflowed(const RtfToken& token)
{
    if (token.kind == RtfToken::Kind::GroupStart)
        ++overflowDepth_;
    else if (token.kind == RtfToken::Kind::GroupEnd)
        --overflowDepth_;
    else if (token.kind == RtfToken::Kind::ControlWord && token.text == "bin")
        tokens_.takeBinary(token.parameter);
}

void RtfReader::handleTextToken(const RtfToken& token)
{
    std::string_view bytes = token.text;
    if (skipLeft_ > 0) {
        const size_t skipped = std::min(bytes.size(), static_cast<size_t>(skipLeft_));
        skipLeft_ -= static_cast<int32_t>(skipped);
        bytes.remove_prefix(skipped);
    }
    if (!bytes.empty())
        handleText(bytes, token.highBytes);
}

void RtfReader::openGroup()
{
    if (stack_.size() >= kMaxGroupDepth) {
        ++overflowDepth_;
        return;
    }
    stack_.push_back(state_);
}

void RtfReader::closeGroup(size_t endOffset)
{
    if (state_.destination == RtfDestination::FontTable)
        finishFontEntry();
    if (pictureOpen_ && stack_.size() == pictureDepth_)
        finishPicture(endOffset);
    if (stack_.size() <= 1) {
        // The outermost group has ended: whatever follows is not RTF.
        finished_ = true;
        return;
    }
    state_ = stack_.back();
    stack_.pop_back();
}

void RtfReader::handleWord(const RtfToken& token)
{
    const bool ignorable = ignorableNext_;
    ignorableNext_ = false;
    flushLeadByte();
    const RtfControlWord* word = findControlWord(token.text);
    if (word && word->action == RtfAction::Binary) {
        const std::string_view data = tokens_.takeBinary(token.parameter);
        if (state_.destination == RtfDestination::Picture)
            picture_.data.append(data);
        return;
    }
    if (state_.destination == RtfDestination::Skip)
        return;
    if (!word || (ignorable && !isDestination(word->action))) {
        // An unknown word after \* names a destination this reader does not
        // read: the whole group goes. Any other unknown word is ignored.
        if (ignorable)
            state_.destination = RtfDestination::Skip;
        return;
    }
    if (isDestination(word->action) && applyDestination(*word, token.offset))
        return;
    dispatchWord(*word, token);
}

// A word that is not a destination, to the handler of the current one.
void RtfReader::dispatchWord(const RtfControlWord& word, const RtfToken& token)
{
    switch (state_.destination) {
    case RtfDestination::Text:
        // The actions are declared by kind: body words first, then
        // paragraph formatting, then the document's own words.
        if (word.action <= RtfAction::Color) {
            applyBodyWord(word.action, token, word);
            return;
        }
        if (word.action <= RtfAction::LineMultiple) {
            applyParagraphFormat(word.action, token, word);
            return;
        }
        break;
    case RtfDestination::FontTable:
        fontTableWord(word.action, token);
        break;
    case RtfDestination::ColorTable:
        colorTableWord(word.action, token);
        break;
    case RtfDestination::Picture:
        pictureWord(word.action, token, word);
        return;
    default:
        break;
    }
    applyDocumentWord(word.action, token);
}

// True when the word was a destination and has been dealt with.
bool RtfReader::applyDestination(const RtfControlWord& word, size_t offset)
{
    // Tables and pictures stand in the body only; inside a picture every
    // group is part of its data, kept with it and not read.
    const bool inBody = state_.destination == RtfDestination::Text;
    if (!inBody && (word.action == RtfAction::FontTable || word.action == RtfAction::ColorTable ||
                    state_.destination == RtfDestination::Picture)) {
        state_.destination = RtfDestination::Skip;
        return true;
    }
    switch (word.action) {
    case RtfAction::FontTable:
        state_.destination = RtfDestination::FontTable;
        fontEntry_ = FontEntry{};
        return true;
    case RtfAction::ColorTable:
        state_.destination = RtfDestination::ColorTable;
        return true;
    case RtfAction::Picture:
        if (!pictureOpen_) {
            state_.destination = RtfDestination::Picture;
            startPicture(offset);
        } else {
            state_.destination = RtfDestination::Skip;
        }
        return true;
    case RtfAction::Skip:
        state_.destination = RtfDestination::Skip;
        return true;
    case RtfAction::Upr:
        state_.beforeUpr = state_.destination;
        state_.destination = RtfDestination::Upr;
        return true;
    case RtfAction::ReadGroup:
        // \ud inside \upr holds the Unicode form; \listtext, \pntext and
        // \shppict are read like any group.
        if (state_.destination == RtfDestination::Upr)
            state_.destination = state_.beforeUpr;
        return true;
    default:
        return false;
    }
}

void RtfReader::handleSymbol(char symbol)
{
    if (symbol == '*') {
        ignorableNext_ = true;
        return;
    }
    ignorableNext_ = false;
    flushLeadByte();
    char32_t c = 0;
    switch (symbol) {
    case '~': c = 0x00A0; break;
    case '-': c = 0x00AD; break;
    case '_': c = 0x2011; break;
    case '\\':
    case '{':
    case '}': c = static_cast<unsigned char>(symbol); break;
    case '\n':
    case '\r':
        if (state_.destination == RtfDestination::Text)
            endParagraph();
        return;
    default: return;
    }
    if (state_.destination == RtfDestination::Text)
        appendCharacter(c);
    else if (state_.destination == RtfDestination::FontTable)
        fontTableCharacter(c);
}

void RtfReader::applyBodyWord(RtfAction action, const RtfToken& token, const RtfControlWord& word)
{
    CharFormat& chars = state_.chars;
    switch (action) {
    case RtfAction::Character: appendCharacter(word.value); break;
    case RtfAction::Paragraph:
    case RtfAction::Cell: endParagraph(); break;
    case RtfAction::LineBreak: appendCharacter(0x2028); break;
    case RtfAction::SectionBreak:
    case RtfAction::Row:
        // Breaks that end a paragraph only when one is under way, so a
        // \par before them gives no empty paragraph.
        if (!paragraph_.text.empty())
            endParagraph();
        break;
    case RtfAction::Unicode: {
        int32_t value = token.parameter;
        if (value < 0)
            value += 65536;
        appendCharacter(value >= 0 && value <= 0x10FFFF ? static_cast<char32_t>(value) : 0xFFFD);
        skipLeft_ = state_.unicodeSkip - tokens_.skipText(state_.unicodeSkip);
        break;
    }
    case RtfAction::Plain:
        chars = CharFormat{};
        state_.codePage = 0;
        break;
    case RtfAction::Bold: chars.bold = isOn(token); break;
    case RtfAction::Italic: chars.italic = isOn(token); break;
    case RtfAction::Underline: chars.underline = isOn(token); break;
    case RtfAction::UnderlineNone: chars.underline = false; break;
    case RtfAction::Strike: chars.strikeOut = isOn(token); break;
    case RtfAction::Font: selectFont(token.parameter); break;
    case RtfAction::FontSize: {
        const int32_t size = token.hasParameter ? token.parameter : 24;
        chars.sizeHalfPoints = size <= 0 ? 0 : std::min(size, 3276);
        break;
    }
    case RtfAction::Color: selectColor(token.parameter); break;
    default: break;
    }
}

void RtfReader::applyParagraphFormat(RtfAction action, const RtfToken& token, const RtfControlWord& word)
{
    ParagraphFormat& paragraph = state_.paragraph;
    switch (action) {
    case RtfAction::ParagraphDefault: paragraph = ParagraphFormat{}; break;
    case RtfAction::Align: paragraph.alignment = static_cast<Alignment>(word.value); break;
    case RtfAction::LeftIndent: paragraph.leftIndent = twips(token); break;
    case RtfAction::RightIndent: paragraph.rightIndent = twips(token); break;
    case RtfAction::FirstIndent: paragraph.firstLineIndent = twips(token); break;
    case RtfAction::SpaceBefore: paragraph.spaceBefore = twips(token); break;
    case RtfAction::SpaceAfter: paragraph.spaceAfter = twips(token); break;
    case RtfAction::LineSpacing: paragraph.lineSpacing = twips(token); break;
    case RtfAction::LineMultiple: paragraph.lineSpacingMultiple = isOn(token); break;
    default: break;
    }
}

void RtfReader::applyDocumentWord(RtfAction action, const RtfToken& token)
{
    switch (action) {
    case RtfAction::CodePageAnsi: ansiCodePage_ = kWindowsLatin1; break;
    case RtfAction::CodePageMac: ansiCodePage_ = 10000; break;
    case RtfAction::CodePagePc: ansiCodePage_ = 437; break;
    case RtfAction::CodePagePca: ansiCodePage_ = 850; break;
    case RtfAction::AnsiCodePage:
        if (token.parameter > 0 && token.parameter < 65536)
            ansiCodePage_ = static_cast<uint32_t>(token.parameter);
        break;
    case RtfAction::UnicodeSkip: state_.unicodeSkip = std::clamp(token.parameter, 0, 64); break;
    default: break;
    }
}

} // namespace text

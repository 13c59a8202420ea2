// The RTF reader's working state, shared by its source files: the group
// stack, the document being built and the tables it refers to.
#pragma once

#include "text/code_page.h"
#include "text/document.h"
#include "text/rtf_control_words.h"
#include "text/rtf_reader.h"
#include "text/rtf_tokenizer.h"

#include <memory>
#include <optional>
#include <vector>

namespace text {

enum class RtfDestination : uint8_t { Text, FontTable, ColorTable, Picture, Skip, Upr };

// Everything a group saves on `{` and gets back on `}`.
struct RtfGroupState {
    CharFormat chars;
    ParagraphFormat paragraph;
    RtfDestination destination = RtfDestination::Text;
    RtfDestination beforeUpr = RtfDestination::Text; // what \ud returns to
    int32_t unicodeSkip = 1;  // \ucN
    uint32_t codePage = 0;    // of the current font; 0: the document's
};

class RtfReader {
public:
    explicit RtfReader(std::string_view input) : input_(input), tokens_(input) {}
    Document read();

private:
    void handleToken(const RtfToken& token);
    void skipOverflowed(const RtfToken& token);
    void handleTextToken(const RtfToken& token);
    void openGroup();
    void closeGroup(size_t endOffset);
    void handleWord(const RtfToken& token);
    void dispatchWord(const RtfControlWord& word, const RtfToken& token);
    void handleSymbol(char symbol);
    bool applyDestination(const RtfControlWord& word, size_t offset);
    void applyBodyWord(RtfAction action, const RtfToken& token, const RtfControlWord& word);
    void applyParagraphFormat(RtfAction action, const RtfToken& token, const RtfControlWord& word);
    void applyDocumentWord(RtfAction action, const RtfToken& token);

    // Text of the body.
    void handleText(std::string_view bytes, bool highBytes);
    void handleByte(uint8_t byte);
    void appendCharacter(char32_t c);
    void appendAscii(std::string_view bytes);
    void flushLeadByte();
    Run& currentRun(int32_t picture);
    uint32_t bodyCodePage() const { return state_.codePage ? state_.codePage : ansiCodePage_; }
    void endParagraph();
    CodePageDecoder& decoder(uint32_t codePage);

    // Font and colour tables (rtf_tables.cpp).
    void fontTableWord(RtfAction action, const RtfToken& token);
    void fontTableText(std::string_view bytes);
    void fontTableByte(uint8_t byte);
    void fontTableCharacter(char32_t c);
    void finishFontEntry();
    void colorTableWord(RtfAction action, const RtfToken& token);
    void colorTableText(std::string_view bytes);
    void selectFont(int32_t number);
    void selectColor(int32_t index);

    // Pictures (rtf_picture.cpp).
    void startPicture(size_t wordOffset);
    void pictureWord(RtfAction action, const RtfToken& token, const RtfControlWord& word);
    void pictureHex(std::string_view bytes);
    void finishPicture(size_t endOffset);

    std::string_view input_;
    RtfTokenizer tokens_;
    std::vector<RtfGroupState> stack_;
    RtfGroupState state_;
    size_t overflowDepth_ = 0;   // groups opened beyond kMaxGroupDepth, skipped
    bool ignorableNext_ = false; // after \*
    int32_t skipLeft_ = 0;       // fallback characters still to skip after \uN
    bool finished_ = false;

    Document document_;
    Paragraph paragraph_;
    bool endedParagraph_ = false;
    uint32_t ansiCodePage_ = kWindowsLatin1;
    struct CachedDecoder {
        uint32_t codePage; // as asked for: an unknown one decodes as 1252
        std::unique_ptr<CodePageDecoder> decoder;
    };
    std::vector<CachedDecoder> decoders_;
    CodePageDecoder* lastDecoder_ = nullptr;
    int leadByte_ = -1;

    // The font table: RTF font numbers to model indices.
    struct FontNumber {
        int32_t number;
        int32_t index;
    };
    std::vector<FontNumber> fontNumbers_;
    std::vector<uint32_t> fontCodePages_; // by model index
    struct FontEntry {
        int32_t number = -1;
        Font font;
        uint32_t codePage = 0;
        bool open = false;
    } fontEntry_;
    int fontLeadByte_ = -1;

    // The colour table; nullopt marks the automatic colour.
    std::vector<std::optional<uint32_t>> colors_;
    uint32_t red_ = 0, green_ = 0, blue_ = 0;
    bool colorSet_ = false;

    // The picture being read.
    Picture picture_;
    size_t pictureStart_ = 0; // offset of the \pict word
    size_t pictureDepth_ = 0;
    bool pictureOpen_ = false;
    int pendingNibble_ = -1;
};

} // namespace text

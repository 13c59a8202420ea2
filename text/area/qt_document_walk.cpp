// Reading a QTextDocument back, into the model or straight to RTF, in one
// walk over the document's own piece table: its fragments in order, their
// text in the document's buffer, every format resolved to the model's once. Qt's public block and fragment
// iterators find each block's first fragment by a search from the root of
// the tree, which costs more for a novel than writing the whole file.
#include "text/area/qt_document_walk.h"

#include "text/area/fragment_order.h"
#include "text/area/qt_formats.h"
#include "text/rtf_writer.h"

#include <QtGui/private/qtextdocument_p.h>

#include <optional>
#include <unordered_map>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace text {

namespace {

// A block ends at its separator: a paragraph separator, or the mark that
// begins or ends a frame (a table's cells are frames).
bool isBlockSeparator(char16_t c) { return c == u'\u2029' || (c & 0xFFFE) == 0xFDD0; }

// The offset of the first separator, or `count`; eight units at a time,
// since a fragment is mostly text.
size_t findBlockSeparator(const char16_t* units, size_t count)
{
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i paragraph = _mm_set1_epi16(static_cast<short>(0x2029));
    const __m128i frame = _mm_set1_epi16(static_cast<short>(0xFDD0));
    const __m128i frameMask = _mm_set1_epi16(static_cast<short>(0xFFFE));
    const auto firstHit = [&](size_t at) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + at));
        const __m128i hit = _mm_or_si128(_mm_cmpeq_epi16(v, paragraph),
                                         _mm_cmpeq_epi16(_mm_and_si128(v, frameMask), frame));
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
        return mask ? at + static_cast<size_t>(__builtin_ctz(mask)) / 2 : count;
    };
    if (count >= 8) {
        for (; i + 8 <= count; i += 8) {
            if (const size_t at = firstHit(i); at != count)
                return at;
        }
        // The last few units, read as the last eight.
        return i == count ? count : firstHit(count - 8);
    }
#endif
    while (i < count && !isBlockSeparator(units[i]))
        ++i;
    return i;
}

// Calls, in reading order, sink.beginParagraph(format), then for its runs
// sink.text(text, format, formatId) (consecutive calls may carry equal
// formats; the same formatId always comes with the same format) and
// sink.picture(loaded, format) for each image character (`loaded` is its
// picture's index among those of the last load, or -1), then
// sink.endParagraph(). Faces met are added to `fonts`, which the formats
// index. The sink is a template argument: a call a run costs no dispatch.
template <class Sink>
class Walk {
public:
    Walk(const QTextDocument& source, const DefaultFont& font, int dotsPerInch, std::vector<Font>& fonts, Sink& sink)
        : document_(*QTextDocumentPrivate::get(&source)), formats_(source.allFormats()), dotsPerInch_(dotsPerInch),
          chars_(fonts, font), sink_(sink)
    {
    }

    void run();

private:
    struct Resolved {
        CharFormat format;
        uint32_t id = 0; // Qt's index of the format
        bool image = false;
        int loaded = -1;
    };

    const Resolved& charFormat(int index);
    ParagraphFormat paragraphFormat(int index);
    void nextBlock();
    void beginParagraph();
    void piece(std::u16string_view text, const Resolved& format);
    size_t separatorIn(const char16_t* units, size_t from, size_t length, size_t position);

    const QTextDocumentPrivate& document_;
    const QList<QTextFormat> formats_; // by index, as fragments and blocks name them
    const int dotsPerInch_;
    ModelCharFormats chars_;
    Sink& sink_;
    // A book has a few dozen distinct formats over a million fragments:
    // each is resolved once.
    std::vector<std::optional<Resolved>> resolved_;
    std::vector<std::optional<ParagraphFormat>> paragraphs_;
    std::optional<InReadingOrder<QTextBlockData>> block_;
    // The current block's format and where its separator is in the text;
    // once the blocks and the text disagree, which a sound document never
    // does, separators are searched for instead.
    int blockFormat_ = -1;
    size_t blockEnd_ = 0;
    size_t nextBlockStart_ = 0;
    bool search_ = false;
    bool open_ = false;
};

template <class Sink>
const typename Walk<Sink>::Resolved& Walk<Sink>::charFormat(int index)
{
    const auto i = static_cast<size_t>(std::max(index, 0));
    if (i >= resolved_.size())
        resolved_.resize(i + 1);
    if (!resolved_[i]) {
        const QTextCharFormat f = index < formats_.size() ? formats_[index].toCharFormat() : QTextCharFormat();
        Resolved r;
        r.format = chars_.fromQt(f);
        r.id = static_cast<uint32_t>(i);
        r.image = f.isImageFormat();
        r.loaded = r.image && f.hasProperty(kPictureProperty) ? f.intProperty(kPictureProperty) : -1;
        resolved_[i] = r;
    }
    return *resolved_[i];
}

template <class Sink>
ParagraphFormat Walk<Sink>::paragraphFormat(int index)
{
    const auto i = static_cast<size_t>(std::max(index, 0));
    if (i >= paragraphs_.size())
        paragraphs_.resize(i + 1);
    if (!paragraphs_[i]) {
        const QTextBlockFormat f = index < formats_.size() ? formats_[index].toBlockFormat() : QTextBlockFormat();
        paragraphs_[i] = fromQtBlockFormat(f, dotsPerInch_);
    }
    return *paragraphs_[i];
}

template <class Sink>
void Walk<Sink>::nextBlock()
{
    // Blocks and separators match one for one; a block map that ran out
    // early would be Qt's fault, and the text still goes out, unformatted.
    if (block_->atEnd()) {
        blockFormat_ = -1;
        search_ = true;
        return;
    }
    const QTextBlockData& block = **block_;
    blockFormat_ = block.format;
    const size_t length = block.size_array[0];
    if (length == 0)
        search_ = true;
    blockEnd_ = nextBlockStart_ + length - 1;
    nextBlockStart_ += length;
    block_->next();
}

template <class Sink>
void Walk<Sink>::beginParagraph()
{
    sink_.beginParagraph(blockFormat_ >= 0 ? paragraphFormat(blockFormat_) : ParagraphFormat{});
    open_ = true;
}

// The offset of the next separator from `from` in a fragment at `position`
// in the text, or `length`: where the current block ends, checked.
template <class Sink>
size_t Walk<Sink>::separatorIn(const char16_t* units, size_t from, size_t length, size_t position)
{
    if (!search_) {
        if (blockEnd_ >= position + length)
            return length;
        if (blockEnd_ >= position + from && isBlockSeparator(units[blockEnd_ - position]))
            return blockEnd_ - position;
        search_ = true;
    }
    return from + findBlockSeparator(units + from, length - from);
}

template <class Sink>
void Walk<Sink>::piece(std::u16string_view text, const Resolved& format)
{
    if (text.empty())
        return;
    if (!open_)
        beginParagraph();
    if (format.image && text.front() == u'\uFFFC') {
        for (size_t i = 0; i < text.size(); ++i)
            sink_.picture(format.loaded, format.format);
        return;
    }
    sink_.text(text, format.format, format.id);
}

template <class Sink>
void Walk<Sink>::run()
{
    const QString buffer = document_.buffer();
    const auto* all = reinterpret_cast<const char16_t*>(buffer.utf16());
    const auto size = static_cast<size_t>(buffer.size());
    block_.emplace(document_.blockMap());
    nextBlock();
    beginParagraph();
    size_t position = 0;
    for (InReadingOrder<QTextFragmentData> fragment(document_.fragmentMap()); !fragment.atEnd(); fragment.next()) {
        const auto start = static_cast<size_t>(fragment->stringPosition);
        const size_t length = fragment->size_array[0];
        const size_t at = position;
        position += length;
        if (start > size || length > size - start)
            continue; // never so in a sound document; nothing to read there
        const Resolved& format = charFormat(fragment->format);
        const char16_t* units = all + start;
        size_t from = 0;
        for (size_t i; (i = separatorIn(units, from, length, at)) < length;) {
            piece(std::u16string_view(units + from, i - from), format);
            if (!open_)
                beginParagraph();
            sink_.endParagraph();
            open_ = false;
            nextBlock();
            from = i + 1;
        }
        piece(std::u16string_view(units + from, length - from), format);
    }
    if (open_)
        sink_.endParagraph();
}

// Builds the model. Adjacent text of one format becomes one run.
class ModelSink {
public:
    ModelSink(Document& doc, const std::vector<Picture>& pictures) : doc_(doc), pictures_(pictures) {}

    void beginParagraph(const ParagraphFormat& format)
    {
        doc_.paragraphs.emplace_back().format = format;
    }

    void text(std::u16string_view text, const CharFormat& format, uint32_t)
    {
        Paragraph& p = doc_.paragraphs.back();
        if (!p.runs.empty() && p.runs.back().picture == Run::kNoPicture && p.runs.back().format == format)
            p.runs.back().length += static_cast<uint32_t>(text.size());
        else
            p.runs.push_back(Run{static_cast<uint32_t>(text.size()), format, Run::kNoPicture});
        p.text += text;
    }

    void picture(int loaded, const CharFormat& format)
    {
        const int32_t index = pictureIndex(loaded);
        // Pictures that did not come from a file (pasted ones) have no
        // stored form; they are left out rather than written wrongly.
        if (index == Run::kNoPicture)
            return;
        Paragraph& p = doc_.paragraphs.back();
        p.runs.push_back(Run{1, format, index});
        p.text += u'\uFFFC';
    }

    void endParagraph() {}

private:
    // The model's index for a picture of the last load, added once.
    int32_t pictureIndex(int loaded)
    {
        if (loaded < 0 || static_cast<size_t>(loaded) >= pictures_.size())
            return Run::kNoPicture;
        auto [it, added] = pictureMap_.try_emplace(loaded, static_cast<int32_t>(doc_.pictures.size()));
        if (added)
            doc_.pictures.push_back(pictures_[static_cast<size_t>(loaded)]);
        return it->second;
    }

    Document& doc_;
    const std::vector<Picture>& pictures_;
    std::unordered_map<int, int32_t> pictureMap_;
};

// Writes the file as the walk goes, with no model in between.
class RtfSink {
public:
    RtfSink(const std::vector<Font>& fonts, const std::vector<Picture>& pictures, size_t sizeHint)
        : writer_(fonts, sizeHint), pictures_(pictures) {}

    void beginParagraph(const ParagraphFormat& format) { writer_.beginParagraph(format); }
    void text(std::u16string_view text, const CharFormat& format, uint32_t formatId)
    {
        writer_.text(text, format, formatId);
    }
    void picture(int loaded, const CharFormat& format)
    {
        if (loaded >= 0 && static_cast<size_t>(loaded) < pictures_.size())
            writer_.picture(pictures_[static_cast<size_t>(loaded)], format);
    }
    void endParagraph() { writer_.endParagraph(); }
    RtfFile finish() { return writer_.finish(); }

private:
    RtfStreamWriter writer_;
    const std::vector<Picture>& pictures_;
};

} // namespace

Document readQtDocument(const QTextDocument& source, const std::vector<Picture>& pictures,
                        const DefaultFont& font, int dotsPerInch)
{
    Document doc;
    doc.paragraphs.clear();
    doc.paragraphs.reserve(static_cast<size_t>(source.blockCount()));
    ModelSink sink(doc, pictures);
    Walk(source, font, dotsPerInch, doc.fonts, sink).run();
    if (doc.paragraphs.empty())
        doc.paragraphs.emplace_back();
    return doc;
}

RtfFile writeQtDocumentRtf(const QTextDocument& source, const std::vector<Picture>& pictures,
                               const DefaultFont& font, int dotsPerInch)
{
    std::vector<Font> fonts;
    // Formatting takes room too: too little costs a copy of everything
    // written so far, room never written costs nothing.
    const auto characters = static_cast<size_t>(source.characterCount());
    RtfSink sink(fonts, pictures, 2 * characters + 65536);
    Walk(source, font, dotsPerInch, fonts, sink).run();
    return sink.finish();
}

bool walksFragmentsInArrayOrder(const QTextDocument& source)
{
    return InReadingOrder<QTextFragmentData>(QTextDocumentPrivate::get(&source)->fragmentMap()).inArray();
}

} // namespace text

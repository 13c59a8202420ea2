#include "text/area/qt_document.h"

#include "text/area/qt_document_walk.h"
#include "text/area/qt_formats.h"
#include "text/rtf_writer.h"


#include <unordered_map>

namespace text {

namespace {

// Builds the model. Adjacent text of one format becomes one run.
class ModelSink final : public QtDocumentSink {
public:
    ModelSink(Document& doc, const std::vector<Picture>& pictures) : doc_(doc), pictures_(pictures) {}

    void beginParagraph(const ParagraphFormat& format) override
    {
        doc_.paragraphs.emplace_back().format = format;
    }

    void text(std::u16string_view text, const CharFormat& format, uint32_t) override
    {
        Paragraph& p = doc_.paragraphs.back();
        if (!p.runs.empty() && p.runs.back().picture == Run::kNoPicture && p.runs.back().format == format)
            p.runs.back().length += static_cast<uint32_t>(text.size());
        else
            p.runs.push_back(Run{static_cast<uint32_t>(text.size()), format, Run::kNoPicture});
        p.text += text;
    }

    void picture(int loaded, const CharFormat& format) override
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

    void endParagraph() override {}

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
class RtfSink final : public QtDocumentSink {
public:
    RtfSink(const std::vector<Font>& fonts, const std::vector<Picture>& pictures, size_t sizeHint)
        : writer_(fonts, sizeHint), pictures_(pictures) {}

    void beginParagraph(const ParagraphFormat& format) override { writer_.beginParagraph(format); }
    void text(std::u16string_view text, const CharFormat& format, uint32_t formatId) override
    {
        writer_.text(text, format, formatId);
    }
    void picture(int loaded, const CharFormat& format) override
    {
        if (loaded >= 0 && static_cast<size_t>(loaded) < pictures_.size())
            writer_.picture(pictures_[static_cast<size_t>(loaded)], format);
    }
    void endParagraph() override { writer_.endParagraph(); }
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
    walkQtDocument(source, font, dotsPerInch, doc.fonts, sink);
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
    walkQtDocument(source, font, dotsPerInch, fonts, sink);
    return sink.finish();
}

} // namespace text

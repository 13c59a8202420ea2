#include "text/area/qt_document.h"

#include "text/area/qt_document_walk.h"
#include "text/area/qt_formats.h"
#include "text/rtf_writer.h"

#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextImageFormat>
#include <QUrl>

#include <unordered_map>

namespace text {

namespace {

void insertPicture(QTextDocument& target, QTextCursor& cursor, const Document& source, int32_t index,
                   const QTextCharFormat& around, int dpi)
{
    const Picture& pict = source.pictures[static_cast<size_t>(index)];
    QTextImageFormat f;
    f.merge(around);
    f.setProperty(kPictureProperty, index);
    const QString name = QStringLiteral("quelmar-picture:%1").arg(index);
    f.setName(name);
    QImage image;
    if (pict.kind != Picture::Kind::Other)
        image.loadFromData(reinterpret_cast<const uchar*>(pict.data.data()), static_cast<int>(pict.data.size()));
    double w = pict.widthGoal > 0 ? twipsToLayoutPixels(pict.widthGoal, dpi) : (image.isNull() ? 0 : image.width());
    double h = pict.heightGoal > 0 ? twipsToLayoutPixels(pict.heightGoal, dpi) : (image.isNull() ? 0 : image.height());
    w = w * pict.scaleX / 100.0;
    h = h * pict.scaleY / 100.0;
    if (image.isNull()) {
        // A picture we cannot show still holds its place, as a frame-sized gap.
        image = QImage(1, 1, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
    }
    target.addResource(QTextDocument::ImageResource, QUrl(name), image);
    if (w > 0)
        f.setWidth(w);
    if (h > 0)
        f.setHeight(h);
    cursor.insertImage(f);
}

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

void fillQtDocument(QTextDocument& target, const Document& source, const DefaultFont& font, int dotsPerInch)
{
    const bool undo = target.isUndoRedoEnabled();
    target.setUndoRedoEnabled(false);
    target.clear();
    const QtCharFormats formats(source.fonts, font);
    QTextCursor cursor(&target);
    cursor.beginEditBlock();
    bool first = true;
    for (const Paragraph& p : source.paragraphs) {
        const QTextBlockFormat bf = toQtBlockFormat(p.format, dotsPerInch);
        if (first)
            cursor.setBlockFormat(bf);
        else
            cursor.insertBlock(bf, QTextCharFormat());
        first = false;
        size_t offset = 0;
        for (const Run& run : p.runs) {
            const QTextCharFormat cf = formats.toQt(run.format);
            if (run.picture >= 0 && static_cast<size_t>(run.picture) < source.pictures.size()) {
                insertPicture(target, cursor, source, run.picture, cf, dotsPerInch);
            } else if (run.length > 0 && offset + run.length <= p.text.size()) {
                cursor.insertText(QString::fromUtf16(p.text.data() + offset, run.length), cf);
            }
            offset += run.length;
        }
        if (p.runs.empty() && !p.text.empty())
            cursor.insertText(QString::fromUtf16(p.text.data(), static_cast<qsizetype>(p.text.size())));
    }
    cursor.endEditBlock();
    target.setUndoRedoEnabled(undo);
    target.setModified(false);
}

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
    const auto characters = static_cast<size_t>(source.characterCount());
    RtfSink sink(fonts, pictures, characters + characters / 4 + 4096);
    walkQtDocument(source, font, dotsPerInch, fonts, sink);
    return sink.finish();
}

} // namespace text

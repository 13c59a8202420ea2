// Filling a QTextDocument from the model. Text goes straight into the
// document's piece table with each format's index looked up once: a novel
// has a few dozen formats over a hundred thousand runs, and a cursor would
// look the format and the block up again at every run.
#include "text/area/qt_document.h"

#include "text/area/qt_formats.h"

#include <QImage>
#include <QTextCursor>
#include <QTextImageFormat>
#include <QUrl>
#include <QtGui/private/qtextdocument_p.h>
#include <QtGui/private/qtextformat_p.h>

#include <algorithm>
#include <utility>

namespace text {

namespace {

// Characters the piece table holds only as block separators; a cursor turns
// them into paragraph breaks, as typing would.
bool breaksBlocks(char16_t c) { return c == u'\n' || c == u'\r' || c == u'\u2029' || (c & 0xFFFE) == 0xFDD0; }

class Filler {
public:
    Filler(QTextDocument& target, const Document& source, const DefaultFont& font, int dotsPerInch)
        : target_(target), document_(*QTextDocumentPrivate::get(&target)),
          collection_(*document_.formatCollection()), source_(source), formats_(source.fonts, font),
          dotsPerInch_(dotsPerInch), cursor_(&target)
    {
    }

    void run();

private:
    int charIndex(const CharFormat& format);
    int blockIndex(const ParagraphFormat& format);
    void text(std::u16string_view text, const CharFormat& format);
    void picture(int32_t index, const CharFormat& format);

    QTextDocument& target_;
    QTextDocumentPrivate& document_;
    QTextFormatCollection& collection_;
    const Document& source_;
    const QtCharFormats formats_;
    const int dotsPerInch_;
    QTextCursor cursor_; // for what the table cannot take as it is
    int position_ = 0;
    std::vector<std::pair<CharFormat, int>> chars_;
    std::vector<std::pair<ParagraphFormat, int>> blocks_;
};

int Filler::charIndex(const CharFormat& format)
{
    // Runs mostly alternate between a few formats: the latest first.
    for (auto it = chars_.rbegin(); it != chars_.rend(); ++it) {
        if (it->first == format)
            return it->second;
    }
    chars_.emplace_back(format, collection_.indexForFormat(formats_.toQt(format)));
    return chars_.back().second;
}

int Filler::blockIndex(const ParagraphFormat& format)
{
    for (auto it = blocks_.rbegin(); it != blocks_.rend(); ++it) {
        if (it->first == format)
            return it->second;
    }
    blocks_.emplace_back(format, collection_.indexForFormat(toQtBlockFormat(format, dotsPerInch_)));
    return blocks_.back().second;
}

void Filler::text(std::u16string_view text, const CharFormat& format)
{
    if (text.empty())
        return;
    if (std::any_of(text.begin(), text.end(), breaksBlocks)) {
        cursor_.setPosition(position_);
        cursor_.insertText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())), formats_.toQt(format));
        position_ = cursor_.position();
        return;
    }
    // The table copies the characters into its own buffer.
    document_.insert(position_, QString::fromRawData(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size())),
                     charIndex(format));
    position_ += static_cast<int>(text.size());
}

void Filler::picture(int32_t index, const CharFormat& format)
{
    const Picture& pict = source_.pictures[static_cast<size_t>(index)];
    QTextImageFormat f;
    f.merge(formats_.toQt(format));
    f.setProperty(kPictureProperty, index);
    const QString name = QStringLiteral("quelmar-picture:%1").arg(index);
    f.setName(name);
    QImage image;
    if (pict.kind != Picture::Kind::Other)
        image.loadFromData(reinterpret_cast<const uchar*>(pict.data.data()), static_cast<int>(pict.data.size()));
    const int dpi = dotsPerInch_;
    double w = pict.widthGoal > 0 ? twipsToLayoutPixels(pict.widthGoal, dpi) : (image.isNull() ? 0 : image.width());
    double h = pict.heightGoal > 0 ? twipsToLayoutPixels(pict.heightGoal, dpi) : (image.isNull() ? 0 : image.height());
    w = w * pict.scaleX / 100.0;
    h = h * pict.scaleY / 100.0;
    if (image.isNull()) {
        // A picture we cannot show still holds its place, as a frame-sized gap.
        image = QImage(1, 1, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
    }
    target_.addResource(QTextDocument::ImageResource, QUrl(name), image);
    if (w > 0)
        f.setWidth(w);
    if (h > 0)
        f.setHeight(h);
    cursor_.setPosition(position_);
    cursor_.insertImage(f);
    position_ = cursor_.position();
}

void Filler::run()
{
    const int plainMark = collection_.indexForFormat(QTextCharFormat());
    document_.beginEditBlock();
    bool first = true;
    for (const Paragraph& p : source_.paragraphs) {
        if (first)
            cursor_.setBlockFormat(toQtBlockFormat(p.format, dotsPerInch_));
        else
            document_.insertBlock(position_++, blockIndex(p.format), plainMark);
        first = false;
        const std::u16string_view all = p.text;
        size_t offset = 0;
        for (const Run& run : p.runs) {
            if (run.picture >= 0 && static_cast<size_t>(run.picture) < source_.pictures.size())
                picture(run.picture, run.format);
            else if (run.length > 0 && offset + run.length <= all.size())
                text(all.substr(offset, run.length), run.format);
            offset += run.length;
        }
        if (p.runs.empty())
            text(all, CharFormat{});
    }
    document_.endEditBlock();
}

} // namespace

void fillQtDocument(QTextDocument& target, const Document& source, const DefaultFont& font, int dotsPerInch)
{
    const bool undo = target.isUndoRedoEnabled();
    target.setUndoRedoEnabled(false);
    target.clear();
    Filler(target, source, font, dotsPerInch).run();
    target.setUndoRedoEnabled(undo);
    target.setModified(false);
}

} // namespace text

#include "text/area/qt_document.h"

#include <QHash>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextImageFormat>
#include <QUrl>

#include <cmath>
#include <optional>

namespace text {

namespace {

// Properties of ours on Qt formats: what Qt has no field for.
constexpr int kCharsetProperty = QTextFormat::UserProperty + 1;
constexpr int kPictureProperty = QTextFormat::UserProperty + 2;

// Twips <-> layout pixels at the screen's resolution, unrounded on the way
// in so that a load and a save give back the same twips.
double twipsToPixels(int32_t twips, int dpi) { return twips / 1440.0 * dpi; }
int32_t pixelsToTwips(double pixels, int dpi) { return static_cast<int32_t>(std::lround(pixels * 1440.0 / dpi)); }

QString toQString(const std::u16string& s) { return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())); }
std::u16string fromQString(const QString& s) { return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<size_t>(s.size())); }

Qt::Alignment toQt(Alignment a)
{
    switch (a) {
    case Alignment::Left: return Qt::AlignLeft;
    case Alignment::Center: return Qt::AlignHCenter;
    case Alignment::Right: return Qt::AlignRight;
    case Alignment::Justify: return Qt::AlignJustify;
    }
    return Qt::AlignLeft;
}

Alignment fromQt(Qt::Alignment a)
{
    if (a & Qt::AlignHCenter)
        return Alignment::Center;
    if (a & Qt::AlignRight)
        return Alignment::Right;
    if (a & Qt::AlignJustify)
        return Alignment::Justify;
    return Alignment::Left;
}

QTextBlockFormat blockFormat(const ParagraphFormat& p, int dpi)
{
    QTextBlockFormat f;
    if (p.alignment != Alignment::Left)
        f.setAlignment(toQt(p.alignment));
    if (p.leftIndent)
        f.setLeftMargin(twipsToPixels(p.leftIndent, dpi));
    if (p.rightIndent)
        f.setRightMargin(twipsToPixels(p.rightIndent, dpi));
    if (p.firstLineIndent)
        f.setTextIndent(twipsToPixels(p.firstLineIndent, dpi));
    if (p.spaceBefore)
        f.setTopMargin(twipsToPixels(p.spaceBefore, dpi));
    if (p.spaceAfter)
        f.setBottomMargin(twipsToPixels(p.spaceAfter, dpi));
    if (p.lineSpacing && p.lineSpacingMultiple)
        f.setLineHeight(p.lineSpacing * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
    else if (p.lineSpacing > 0)
        f.setLineHeight(twipsToPixels(p.lineSpacing, dpi), QTextBlockFormat::MinimumHeight);
    else if (p.lineSpacing < 0)
        f.setLineHeight(twipsToPixels(-p.lineSpacing, dpi), QTextBlockFormat::FixedHeight);
    return f;
}

ParagraphFormat paragraphFormat(const QTextBlockFormat& f, int dpi)
{
    ParagraphFormat p;
    p.alignment = fromQt(f.alignment());
    p.leftIndent = pixelsToTwips(f.leftMargin(), dpi);
    p.rightIndent = pixelsToTwips(f.rightMargin(), dpi);
    p.firstLineIndent = pixelsToTwips(f.textIndent(), dpi);
    p.spaceBefore = pixelsToTwips(f.topMargin(), dpi);
    p.spaceAfter = pixelsToTwips(f.bottomMargin(), dpi);
    switch (f.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        p.lineSpacing = static_cast<int32_t>(std::lround(f.lineHeight() * 240.0 / 100.0));
        p.lineSpacingMultiple = true;
        break;
    case QTextBlockFormat::MinimumHeight:
        p.lineSpacing = pixelsToTwips(f.lineHeight(), dpi);
        break;
    case QTextBlockFormat::FixedHeight:
        p.lineSpacing = -pixelsToTwips(f.lineHeight(), dpi);
        break;
    default:
        break;
    }
    return p;
}

QColor toQColor(uint32_t bgr) { return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF)); }
uint32_t fromQColor(const QColor& c) { return uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16; }

class CharFormats {
public:
    CharFormats(const Document& doc, const DefaultFont& font) : doc_(doc), font_(font) {}

    QTextCharFormat toQt(const CharFormat& c)
    {
        QTextCharFormat f;
        if (c.font >= 0 && static_cast<size_t>(c.font) < doc_.fonts.size()) {
            const Font& entry = doc_.fonts[static_cast<size_t>(c.font)];
            const QString face = toQString(entry.face);
            if (face != font_.face)
                f.setFontFamilies({face});
            if (entry.charset != font_.charset)
                f.setProperty(kCharsetProperty, int(entry.charset));
        }
        if (c.sizeHalfPoints > 0 && c.sizeHalfPoints != std::lround(font_.points * 2))
            f.setFontPointSize(c.sizeHalfPoints / 2.0);
        if (c.hasColor && (font_.automaticColor || c.color != font_.color))
            f.setForeground(toQColor(c.color));
        if (c.bold)
            f.setFontWeight(QFont::Bold);
        if (c.italic)
            f.setFontItalic(true);
        if (c.underline)
            f.setFontUnderline(true);
        if (c.strikeOut)
            f.setFontStrikeOut(true);
        return f;
    }

private:
    const Document& doc_;
    const DefaultFont& font_;
};

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
    double w = pict.widthGoal > 0 ? twipsToPixels(pict.widthGoal, dpi) : (image.isNull() ? 0 : image.width());
    double h = pict.heightGoal > 0 ? twipsToPixels(pict.heightGoal, dpi) : (image.isNull() ? 0 : image.height());
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

} // namespace

void fillQtDocument(QTextDocument& target, const Document& source, const DefaultFont& font, int dotsPerInch)
{
    const bool undo = target.isUndoRedoEnabled();
    target.setUndoRedoEnabled(false);
    target.clear();
    CharFormats formats(source, font);
    QTextCursor cursor(&target);
    cursor.beginEditBlock();
    bool first = true;
    for (const Paragraph& p : source.paragraphs) {
        const QTextBlockFormat bf = blockFormat(p.format, dotsPerInch);
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
            cursor.insertText(toQString(p.text));
    }
    cursor.endEditBlock();
    target.setUndoRedoEnabled(undo);
    target.setModified(false);
}

namespace {

class ModelBuilder {
public:
    ModelBuilder(Document& doc, const std::vector<Picture>& pictures, const DefaultFont& font)
        : doc_(doc), pictures_(pictures), font_(font) {}

    CharFormat resolve(const QTextCharFormat& f)
    {
        CharFormat c;
        const QStringList families = f.fontFamilies().toStringList();
        const QString face = families.isEmpty() ? font_.face : families.first();
        const int charset = f.hasProperty(kCharsetProperty) ? f.intProperty(kCharsetProperty) : font_.charset;
        c.font = fontIndex(face, static_cast<uint8_t>(charset));
        const double points = f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : font_.points;
        c.sizeHalfPoints = static_cast<int32_t>(std::lround(points * 2));
        if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush) {
            c.hasColor = true;
            c.color = fromQColor(f.foreground().color());
        } else if (!font_.automaticColor) {
            c.hasColor = true;
            c.color = font_.color;
        }
        c.bold = f.fontWeight() >= QFont::DemiBold;
        c.italic = f.fontItalic();
        c.underline = f.fontUnderline();
        c.strikeOut = f.fontStrikeOut();
        return c;
    }

    // The model's index for a picture of the last load, added once.
    int32_t pictureIndex(int loaded)
    {
        if (loaded < 0 || static_cast<size_t>(loaded) >= pictures_.size())
            return Run::kNoPicture;
        auto it = pictureMap_.find(loaded);
        if (it != pictureMap_.end())
            return *it;
        doc_.pictures.push_back(pictures_[static_cast<size_t>(loaded)]);
        const auto index = static_cast<int32_t>(doc_.pictures.size() - 1);
        pictureMap_.insert(loaded, index);
        return index;
    }

private:
    int32_t fontIndex(const QString& face, uint8_t charset)
    {
        const QString key = face + QChar(0) + QChar(charset);
        auto it = fontMap_.find(key);
        if (it != fontMap_.end())
            return *it;
        doc_.fonts.push_back(Font{fromQString(face), charset});
        const auto index = static_cast<int32_t>(doc_.fonts.size() - 1);
        fontMap_.insert(key, index);
        return index;
    }

    Document& doc_;
    const std::vector<Picture>& pictures_;
    const DefaultFont& font_;
    QHash<QString, int32_t> fontMap_;
    QHash<int, int32_t> pictureMap_;
};

void appendRun(Paragraph& p, std::u16string_view text, const CharFormat& format, int32_t picture)
{
    if (text.empty())
        return;
    if (picture == Run::kNoPicture && !p.runs.empty() && p.runs.back().picture == Run::kNoPicture
        && p.runs.back().format == format) {
        p.runs.back().length += static_cast<uint32_t>(text.size());
    } else {
        p.runs.push_back(Run{static_cast<uint32_t>(text.size()), format, picture});
    }
    p.text += text;
}

} // namespace

Document readQtDocument(const QTextDocument& source, const std::vector<Picture>& pictures,
                        const DefaultFont& font, int dotsPerInch)
{
    Document doc;
    doc.paragraphs.clear();
    doc.paragraphs.reserve(static_cast<size_t>(source.blockCount()));
    ModelBuilder builder(doc, pictures, font);
    // A book has a few dozen distinct formats over a million fragments:
    // each is resolved once, by its index in the document's format table.
    std::vector<CharFormat> resolved;
    std::vector<bool> known;
    std::vector<std::optional<ParagraphFormat>> paragraphFormats;
    // One copy of the whole text, sliced per fragment: a block's own text()
    // would build a string per paragraph.
    const QString raw = source.toRawText();
    const auto* all = reinterpret_cast<const char16_t*>(raw.utf16());
    size_t blockStart = 0; // kept running: a block's position() is a tree walk
    for (QTextBlock block = source.begin(); block.isValid(); block = block.next()) {
        Paragraph p;
        const auto blockIndex = static_cast<size_t>(block.blockFormatIndex());
        if (blockIndex >= paragraphFormats.size())
            paragraphFormats.resize(blockIndex + 1);
        if (!paragraphFormats[blockIndex])
            paragraphFormats[blockIndex] = paragraphFormat(block.blockFormat(), dotsPerInch);
        p.format = *paragraphFormats[blockIndex];
        const char16_t* units = all + blockStart;
        blockStart += static_cast<size_t>(block.length());
        size_t offset = 0; // fragments follow each other from the block's start
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const auto index = static_cast<size_t>(fragment.charFormatIndex());
            if (index >= known.size()) {
                known.resize(index + 1, false);
                resolved.resize(index + 1);
            }
            if (!known[index]) {
                resolved[index] = builder.resolve(fragment.charFormat());
                known[index] = true;
            }
            const std::u16string_view piece(units + offset, size_t(fragment.length()));
            offset += piece.size();
            if (piece.front() == u'\uFFFC' && fragment.charFormat().isImageFormat()) {
                const QTextCharFormat cf = fragment.charFormat();
                const int32_t picture =
                    builder.pictureIndex(cf.hasProperty(kPictureProperty) ? cf.intProperty(kPictureProperty) : -1);
                // Pictures that did not come from a file (pasted ones) have no
                // stored form; they are left out rather than written wrongly.
                if (picture != Run::kNoPicture)
                    for (size_t i = 0; i < piece.size(); ++i)
                        appendRun(p, u"\uFFFC", resolved[index], picture);
                continue;
            }
            appendRun(p, piece, resolved[index], Run::kNoPicture);
        }
        doc.paragraphs.push_back(std::move(p));
    }
    if (doc.paragraphs.empty())
        doc.paragraphs.emplace_back();
    return doc;
}

} // namespace text

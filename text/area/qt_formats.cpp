#include "text/area/qt_formats.h"

#include <QColor>

#include <cmath>

namespace text {

namespace {

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

QColor toQColor(uint32_t bgr) { return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF)); }
uint32_t fromQColor(const QColor& c) { return uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16; }

} // namespace

double twipsToLayoutPixels(int32_t twips, int dotsPerInch) { return twipsToPixels(twips, dotsPerInch); }

QTextBlockFormat toQtBlockFormat(const ParagraphFormat& p, int dpi)
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

ParagraphFormat fromQtBlockFormat(const QTextBlockFormat& f, int dpi)
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

QTextCharFormat QtCharFormats::toQt(const CharFormat& c) const
{
    QTextCharFormat f;
    if (c.font >= 0 && static_cast<size_t>(c.font) < fonts_.size()) {
        const Font& entry = fonts_[static_cast<size_t>(c.font)];
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

CharFormat ModelCharFormats::fromQt(const QTextCharFormat& f)
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

int32_t ModelCharFormats::fontIndex(const QString& face, uint8_t charset)
{
    const QString key = face + QChar(0) + QChar(charset);
    auto it = fontMap_.find(key);
    if (it != fontMap_.end())
        return *it;
    fonts_.push_back(Font{fromQString(face), charset});
    const auto index = static_cast<int32_t>(fonts_.size() - 1);
    fontMap_.insert(key, index);
    return index;
}

} // namespace text

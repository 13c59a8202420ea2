// Laying out one paragraph's lines: the same options, widths, indents and
// line heights, rounded the same way, as Qt's own document layout uses, so
// both break every paragraph at the same places.
#include <QFontMetricsF>
#include <QStyle>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <cmath>

#include "text/layout/document_layout.h"
#include "text/layout/fixed.h"

namespace text {

namespace {

struct LineHeights {
    int32_t advance = 0;    // how far the next line starts below this one
    int32_t bottom = 0;     // where this line's own box ends
    int32_t adjustment = 0; // how far the line is drawn above its slot
};

// Fixed and minimum line heights keep the text on the slot's lower part;
// the other kinds grow or shrink the slot below the line.
LineHeights lineHeights(const QTextBlockFormat& format, const QTextLine& line, qreal scaling)
{
    LineHeights h;
    const qreal raw = std::ceil(line.ascent() + line.descent() + line.leading());
    h.advance = fixed::fromReal(format.lineHeight(raw, scaling));
    h.bottom = fixed::fromReal(format.lineHeight(line.height(), scaling));
    const int type = format.lineHeightType();
    if (type == QTextBlockFormat::FixedHeight)
        h.adjustment = fixed::fromReal(line.ascent() + qMax<qreal>(line.leading(), 0)) - (h.advance * 4) / 5;
    else if (type == QTextBlockFormat::MinimumHeight)
        h.adjustment = fixed::fromReal(line.height()) - h.advance;
    return h;
}

QTextOption paragraphOption(const QTextDocument* doc, const QTextBlock& block, const QTextBlockFormat& format)
{
    const Qt::LayoutDirection direction = block.textDirection();
    QTextOption option = doc->defaultTextOption();
    option.setTextDirection(direction);
    option.setTabs(format.tabPositions());
    Qt::Alignment align = doc->defaultTextOption().alignment();
    if (format.hasProperty(QTextFormat::BlockAlignment))
        align = format.alignment();
    option.setAlignment(QStyle::visualAlignment(direction, align));
    if (format.nonBreakableLines() || doc->pageSize().width() < 0)
        option.setWrapMode(QTextOption::ManualWrap);
    return option;
}

}  // namespace

BlockExtent DocumentLayout::measure(const QTextBlock& block) const
{
    BlockExtent e;
    marginsOf(block, e);
    e.measured = true;
    const QTextDocument* doc = document();
    const QTextBlockFormat format = block.blockFormat();
    QTextOption option = paragraphOption(doc, block, format);
    QTextLayout* layout = block.layout();
    layout->setTextOption(option);
    const bool wordOrAnywhere = option.wrapMode() == QTextOption::WrapAtWordBoundaryOrAnywhere;
    const bool leftToRight = option.textDirection() == Qt::LeftToRight;

    // Indent and the separator mark go on the side the text starts from.
    qreal indent = format.indent();
    if (const QTextObject* object = doc->objectForFormat(format))
        indent += object->format().toListFormat().indent();
    const int32_t blockIndent = qFuzzyIsNull(indent) ? 0 : fixed::fromReal(indent * scale() * doc->indentWidth());
    int32_t mark = 0;
    if (doc->defaultTextOption().flags() & QTextOption::AddSpaceForLineAndParagraphSeparators)
        mark = fixed::fromReal(QFontMetricsF(block.charFormat().font()).horizontalAdvance(QChar(0x21B5)));
    const int32_t totalLeft = fixed::fromReal(format.leftMargin()) + (leftToRight ? blockIndent : mark);
    const int32_t totalRight = fixed::fromReal(format.rightMargin()) + (leftToRight ? mark : blockIndent);
    const int32_t textIndent = fixed::fromReal(format.textIndent());
    const qreal scaling = scale();

    int32_t y = 0;
    int32_t bottom = 0;
    bool firstLine = true;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLeadingIncluded(true);
        int32_t left = totalLeft;
        int32_t right = frame_.contentWidth - totalRight;
        if (firstLine) {
            (leftToRight ? left : right) += (leftToRight ? textIndent : -textIndent);
            firstLine = false;
        }
        line.setLineWidth(fixed::toReal(right - left));
        if (fixed::fromReal(line.naturalTextWidth()) > right - left) {
            // A word wider than the line: break it anywhere, as Qt does.
            line.setLineWidth(fixed::toReal(right - left));
            if (fixed::fromReal(line.naturalTextWidth()) > right - left) {
                if (wordOrAnywhere) {
                    option.setWrapMode(QTextOption::WrapAnywhere);
                    layout->setTextOption(option);
                }
                line.setLineWidth(qMax<qreal>(line.naturalTextWidth(), fixed::toReal(right - left)));
                if (wordOrAnywhere) {
                    option.setWrapMode(QTextOption::WordWrap);
                    layout->setTextOption(option);
                }
            }
        }
        const LineHeights h = lineHeights(format, line, scaling);
        line.setPosition(QPointF(fixed::toReal(left), fixed::toReal(y - h.adjustment)));
        bottom = y + h.bottom;
        y += h.advance;
        widestLine_ = qMax(widestLine_, fixed::fromReal(line.x() + line.naturalTextWidth()) + totalRight);
    }
    layout->endLayout();
    e.height = qMax(y, bottom);
    learn(layout);
    return e;
}

}  // namespace text

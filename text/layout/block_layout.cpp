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

// Sets the line's width; a word wider than the line breaks anywhere, and
// the rest of the paragraph then wraps at words only, as in Qt's layout.
void fitLine(QTextLayout* layout, QTextLine& line, QTextOption& option, int32_t width, bool wordOrAnywhere)
{
    line.setLineWidth(fixed::toReal(width));
    if (fixed::fromReal(line.naturalTextWidth()) <= width)
        return;
    line.setLineWidth(fixed::toReal(width));
    if (fixed::fromReal(line.naturalTextWidth()) <= width)
        return;
    if (wordOrAnywhere) {
        option.setWrapMode(QTextOption::WrapAnywhere);
        layout->setTextOption(option);
    }
    line.setLineWidth(qMax<qreal>(line.naturalTextWidth(), fixed::toReal(width)));
    if (wordOrAnywhere) {
        option.setWrapMode(QTextOption::WordWrap);
        layout->setTextOption(option);
    }
}

}  // namespace

// Indent and the separator mark go on the side the text starts from.
DocumentLayout::Indents DocumentLayout::indentsOf(const QTextBlock& block, const QTextBlockFormat& format,
                                                  bool leftToRight) const
{
    const QTextDocument* doc = document();
    qreal indent = format.indent();
    if (const QTextObject* object = doc->objectForFormat(format))
        indent += object->format().toListFormat().indent();
    const int32_t blockIndent = qFuzzyIsNull(indent) ? 0 : fixed::fromReal(indent * scale() * doc->indentWidth());
    int32_t mark = 0;
    if (doc->defaultTextOption().flags() & QTextOption::AddSpaceForLineAndParagraphSeparators)
        mark = fixed::fromReal(QFontMetricsF(block.charFormat().font()).horizontalAdvance(QChar(0x21B5)));
    return {fixed::fromReal(format.leftMargin()) + (leftToRight ? blockIndent : mark),
            fixed::fromReal(format.rightMargin()) + (leftToRight ? mark : blockIndent)};
}

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

    const Indents indents = indentsOf(block, format, leftToRight);
    const int32_t textIndent = fixed::fromReal(format.textIndent());
    const qreal scaling = scale();

    int32_t y = 0;
    int32_t bottom = 0;
    bool firstLine = true;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLeadingIncluded(true);
        int32_t left = indents.left;
        int32_t right = frame_.contentWidth - indents.right;
        if (firstLine) {
            if (leftToRight)
                left += textIndent;
            else
                right -= textIndent;
            firstLine = false;
        }
        fitLine(layout, line, option, right - left, wordOrAnywhere);
        const LineHeights h = lineHeights(format, line, scaling);
        line.setPosition(QPointF(fixed::toReal(left), fixed::toReal(y - h.adjustment)));
        bottom = y + h.bottom;
        y += h.advance;
        widestLine_ = qMax(widestLine_, fixed::fromReal(line.x() + line.naturalTextWidth()) + indents.right);
    }
    layout->endLayout();
    e.height = qMax(y, bottom);
    learn(layout);
    return e;
}

}  // namespace text

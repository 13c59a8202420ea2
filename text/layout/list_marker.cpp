// The marker in front of a list item: its number or letter in the item's
// own font, or a disc, circle or square a third of a line wide, a space's
// width before the first line, where Qt's layout draws it.
#include <QFontMetrics>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include "text/layout/document_layout.h"

namespace text {

namespace {

bool isTextual(int style)
{
    return style == QTextListFormat::ListDecimal || style == QTextListFormat::ListLowerAlpha
        || style == QTextListFormat::ListUpperAlpha || style == QTextListFormat::ListLowerRoman
        || style == QTextListFormat::ListUpperRoman;
}

bool isShape(int style)
{
    return style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle
        || style == QTextListFormat::ListSquare;
}

}  // namespace

void DocumentLayout::drawListMarker(QPainter* painter, const PaintContext& context, const QTextBlock& block,
                                    const QTextCharFormat* selection) const
{
    auto* list = qobject_cast<QTextList*>(document()->objectForFormat(block.blockFormat()));
    const QTextLayout* layout = block.layout();
    if (!list || layout->lineCount() == 0)
        return;
    int style = list->format().style();
    if (block.blockFormat().hasProperty(QTextFormat::ListStyle))
        style = block.blockFormat().intProperty(QTextFormat::ListStyle);
    if (!isTextual(style) && !isShape(style))
        return;

    const QTextCharFormat charFormat = block.charFormat();
    const QFont font = paintDevice() ? QFont(charFormat.font(), paintDevice()) : charFormat.font();
    const QFontMetrics metrics(font);
    const Qt::LayoutDirection direction = block.textDirection();
    const QRectF first = layout->lineAt(0).naturalTextRect();
    QPointF at = layout->position().toPoint() + first.topLeft().toPoint();
    if (direction == Qt::RightToLeft)
        at.rx() += first.width();

    const QString label = isTextual(style) ? list->itemText(block) : QString();
    QSizeF size = isTextual(style) ? QSizeF(metrics.horizontalAdvance(label), metrics.height())
                                   : QSizeF(metrics.lineSpacing() / 3, metrics.lineSpacing() / 3);
    QRectF r(at, size);
    const qreal space = metrics.horizontalAdvance(QLatin1Char(' '));
    r.translate(direction == Qt::LeftToRight ? -space - size.width() : space,
                (metrics.height() / 2) - (size.height() / 2));

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (selection) {
        painter->setPen(QPen(selection->foreground(), 0));
        painter->fillRect(r, selection->background());
    } else {
        const QBrush foreground = charFormat.foreground();
        painter->setPen(QPen(foreground == Qt::NoBrush ? context.palette.text() : foreground, 0));
    }
    const QBrush brush = context.palette.brush(QPalette::Text);
    if (isTextual(style)) {
        QTextLayout text(label, font, paintDevice());
        text.setCacheEnabled(true);
        QTextOption option(Qt::AlignLeft | Qt::AlignAbsolute);
        option.setTextDirection(direction);
        text.setTextOption(option);
        text.beginLayout();
        QTextLine line = text.createLine();
        if (line.isValid())
            line.setLeadingIncluded(true);
        text.endLayout();
        text.draw(painter, QPointF(r.left(), at.y()));
    } else if (style == QTextListFormat::ListSquare) {
        painter->fillRect(r, brush);
    } else if (style == QTextListFormat::ListCircle) {
        painter->setPen(QPen(brush, 0));
        painter->drawEllipse(r.translated(0.5, 0.5));  // on pixel centres, as sharp as Qt's
    } else {
        painter->setBrush(brush);
        painter->setPen(Qt::NoPen);
        painter->drawEllipse(r);
    }
    painter->restore();
}

}  // namespace text

// What QTextEdit asks of the layout: painting, hit testing, the rectangles
// of paragraphs and frames and the document's size. Each looks up only the
// paragraphs concerned in the height tree, laying them out first if needed.
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <cmath>

#include "text/layout/document_layout.h"
#include "text/layout/fixed.h"

namespace text {

int DocumentLayout::indexOf(const QTextBlock& block) const
{
    const int n = block.blockNumber();
    return inStep() && n >= 0 && n < tree_.size() ? n : -1;
}

qreal DocumentLayout::blockTop(int index) const
{
    return fixed::toReal(frame_.top + tree_.offsetOf(index) + tree_.at(index).gap);
}

// The paragraph's layout, laid out and moved to where the tree puts it.
QTextLayout* DocumentLayout::placed(const QTextBlock& block, int index) const
{
    ensureMeasured(block, index);
    QTextLayout* layout = block.layout();
    layout->setPosition(QPointF(fixed::toReal(frame_.left), blockTop(index)));
    return layout;
}

QSizeF DocumentLayout::documentSize() const
{
    const int32_t content = qMax(frame_.contentWidth, widestLine_);
    const int64_t height = frame_.top + tree_.total() + frame_.bottom;
    return QSizeF(fixed::toReal(content + frame_.outerWidth - frame_.contentWidth), fixed::toReal(height));
}

int DocumentLayout::pageCount() const
{
    const qreal pageHeight = document()->pageSize().height();
    return pageHeight > 0 ? qMax(1, static_cast<int>(std::ceil(documentSize().height() / pageHeight))) : 1;
}

QRectF DocumentLayout::frameBoundingRect(QTextFrame* frame) const
{
    const QSizeF size = documentSize();
    if (!frame || frame == document()->rootFrame())
        return QRectF(QPointF(0, 0), size);
    // Child frames are laid out in the flow: they span their paragraphs.
    const QRectF first = blockBoundingRect(document()->findBlock(frame->firstPosition()));
    const QRectF last = blockBoundingRect(document()->findBlock(frame->lastPosition()));
    return QRectF(0, first.top(), size.width(), last.bottom() - first.top());
}

QRectF DocumentLayout::blockBoundingRect(const QTextBlock& block) const
{
    if (!block.isValid() || document()->pageSize().isNull())
        return QRectF();
    const int index = indexOf(block);
    QTextLayout* layout = block.layout();
    if (index >= 0) {
        measureAbove(index);
        placed(block, index);
    } else {
        // Inside an open edit block the tree waits for the document's report
        // of the change: lay out the lines, place them as near as known.
        if (layout->lineCount() == 0)
            measure(block);
        const int near = qBound(0, block.blockNumber(), tree_.size() - 1);
        layout->setPosition(QPointF(fixed::toReal(frame_.left), tree_.size() > 0 ? blockTop(near) : 0));
    }
    QRectF rect = layout->boundingRect();
    rect.moveTopLeft(layout->position());
    // The caret is about to be scrolled into view: the range must be current.
    if (documentSize() != reportedSize_ || shiftAbove_ != 0)
        reportSize();
    return rect;
}

void DocumentLayout::draw(QPainter* painter, const PaintContext& context)
{
    if (!inStep())
        rebuild();
    if (tree_.size() == 0)
        return;
    drawing_ = true;
    const QSizeF size = documentSize();
    const QTextFrameFormat& root = settings_.rootFormat;
    if (root.background() != Qt::NoBrush)
        painter->fillRect(context.clip.isValid() ? context.clip : QRectF(QPointF(0, 0), size), root.background());
    const QRectF frameClip = QRectF(QPointF(0, 0), size).adjusted(root.leftMargin(), 0, -root.rightMargin(), 0);
    const QRectF clip = context.clip.isValid() ? (context.clip & frameClip) : frameClip;

    int index = 0;
    if (context.clip.isValid())
        index = tree_.indexAt(fixed::fromReal(context.clip.top()) - int64_t{frame_.top});
    for (QTextBlock block = document()->findBlockByNumber(index); block.isValid(); block = block.next(), ++index) {
        const QTextLayout* layout = placed(block, index);
        if (context.clip.isValid() && layout->position().y() > context.clip.bottom())
            break;
        drawBlock(painter, context, block, clip);
    }
    reportSize();  // deferred: the scroll range must not change while painting
    drawing_ = false;
    if (!viewPainted_) {
        viewPainted_ = true;
        if (tree_.unmeasuredCount() > 0 && !idleTimer_.isActive())
            idleTimer_.start(0, this);
    }
}

void DocumentLayout::drawBlock(QPainter* painter, const PaintContext& context, const QTextBlock& block,
                               const QRectF& clip) const
{
    const QTextLayout* layout = block.layout();
    const QRectF r = layout->boundingRect().translated(layout->position());
    if (!block.isVisible() || (context.clip.isValid() && (r.bottom() < context.clip.y() || r.top() > context.clip.bottom())))
        return;
    const QTextBlockFormat format = block.blockFormat();
    const QBrush background = format.background();
    if (background != Qt::NoBrush) {
        painter->save();
        painter->setBrushOrigin(r.topLeft());
        painter->fillRect(r, background);
        painter->restore();
    }

    const int position = block.position();
    const int length = block.length();
    QList<QTextLayout::FormatRange> selections;
    const QTextCharFormat* markerSelection = nullptr;
    for (const Selection& range : context.selections) {
        const int start = range.cursor.selectionStart() - position;
        const int end = range.cursor.selectionEnd() - position;
        if (start < length && end > 0 && end > start) {
            selections.append({start, end - start, range.format});
        } else if (!range.cursor.hasSelection() && range.format.hasProperty(QTextFormat::FullWidthSelection)
                   && block.contains(range.cursor.position())) {
            // A full-width selection marks the caret's line without a selection.
            const QTextLine line = layout->lineForTextPosition(range.cursor.position() - position);
            QTextLayout::FormatRange o{line.textStart(), line.textLength(), range.format};
            if (o.start + o.length == length - 1)
                ++o.length;
            selections.append(o);
        }
        if (start < 0 && end >= 1)
            markerSelection = &range.format;  // a selection from before the item takes its marker
    }
    drawListMarker(painter, context, block, markerSelection);

    const QPen oldPen = painter->pen();
    painter->setPen(context.palette.color(QPalette::Text));
    layout->draw(painter, QPointF(), selections, clip);
    const int caret = context.cursorPosition;
    if ((caret >= position && caret < position + length) || (caret < -1 && !layout->preeditAreaText().isEmpty())) {
        const int at = caret < -1 ? layout->preeditAreaPosition() - (caret + 2) : caret - position;
        layout->drawCursor(painter, QPointF(), at, cursorWidth_);
    }
    painter->setPen(oldPen);
}

// Lines may reach outside their paragraph's slot (fixed or reduced line
// heights), so the paragraphs on either side of the one at y are tried too,
// in order, as Qt does: the first whose lines cover y wins.
int DocumentLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const
{
    if (!inStep() || tree_.size() == 0)
        return -1;
    const int index = tree_.indexAt(fixed::fromReal(point.y()) - int64_t{frame_.top});
    const int first = qMax(0, index - 1);
    const int last = qMin(tree_.size() - 1, index + 1);
    QTextBlock block = document()->findBlockByNumber(first);
    int position = block.position();
    bool inside = false;
    bool exact = false;
    const QTextLayout* layout = nullptr;
    for (int i = first; i <= last && block.isValid() && !inside; ++i, block = block.next()) {
        layout = placed(block, i);
        const QRectF rect = layout->boundingRect().translated(layout->position());
        if (point.y() > rect.bottom())
            position = qMax(position, block.position() + block.length());
        else if (point.y() >= rect.top())
            inside = true, position = hitBlock(block, point, accuracy, &exact);
    }
    if (accuracy == Qt::ExactHit && !exact)
        return -1;
    int end = document()->rootFrame()->lastPosition();
    if (inside)
        end += static_cast<int>(layout->preeditAreaText().length());
    return qBound(0, position, end);
}

// Inside a paragraph the line at y decides; between lines, the line edge
// nearer in text order.
int DocumentLayout::hitBlock(const QTextBlock& block, const QPointF& point, Qt::HitTestAccuracy accuracy,
                             bool* exact) const
{
    const QTextLayout* layout = block.layout();
    const QPointF p = point - layout->position();
    int offset = 0;
    for (int i = 0; i < layout->lineCount(); ++i) {
        const QTextLine line = layout->lineAt(i);
        const QRectF lr = line.naturalTextRect();
        if (lr.top() > p.y()) {
            offset = qMin(offset, line.textStart());
        } else if (lr.bottom() <= p.y()) {
            offset = qMax(offset, line.textStart() + line.textLength());
        } else {
            *exact = lr.left() <= p.x() && lr.right() >= p.x();
            offset = line.xToCursor(p.x(), accuracy == Qt::ExactHit ? QTextLine::CursorOnCharacter
                                                                     : QTextLine::CursorBetweenCharacters);
            break;
        }
    }
    return block.position() + offset;
}

}  // namespace text

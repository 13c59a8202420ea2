// Laying out lazily: paragraphs off screen start with estimated heights and
// are measured when first needed or in idle time; the view's scroll bar
// follows height changes above it so the text on screen stays still.
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimerEvent>
#include <cmath>

#include "text/layout/document_layout.h"
#include "text/layout/fixed.h"

namespace text {

namespace {

// Idle layout works in slices short enough not to delay a keystroke.
constexpr qint64 kIdleSliceNs = 4'000'000;

}  // namespace

void DocumentLayout::resetEstimator()
{
    const QFontMetricsF metrics(document()->defaultFont());
    estimator_ = Estimator{};
    estimator_.charWidth = qMax<qreal>(1, metrics.averageCharWidth());
    estimator_.lineHeight = std::ceil(metrics.ascent() + metrics.descent() + metrics.leading());
}

BlockExtent DocumentLayout::estimate(const QTextBlock& block) const
{
    // Margins by format index: a book has a handful of paragraph formats, and
    // building each paragraph's format object would dominate opening it.
    BlockExtent e;
    const int formatIndex = block.blockFormatIndex();
    const auto cached = marginCache_.constFind(formatIndex);
    if (cached != marginCache_.constEnd()) {
        e.topMargin = cached->first;
        e.bottomMargin = cached->second;
    } else {
        marginsOf(block, e);
        marginCache_.insert(formatIndex, {e.topMargin, e.bottomMargin});
    }
    const double width = fixed::toReal(frame_.contentWidth);
    const double advance = (block.length() - 1) * estimator_.charWidth;
    const double lines = width > 1 ? qMax(1.0, std::ceil(advance / width)) : 1.0;
    e.height = fixed::fromReal(lines * estimator_.lineHeight);
    return e;
}

// Learns the average advance and line height from full lines only: the
// last line of a paragraph is usually short and says nothing about width.
void DocumentLayout::learn(const QTextLayout* layout) const
{
    const int lines = layout->lineCount();
    for (int i = 0; i < lines; ++i) {
        const QTextLine line = layout->lineAt(i);
        estimator_.heightSum += line.height();
        estimator_.lineSum += 1;
        if (i + 1 < lines) {
            estimator_.widthSum += line.naturalTextWidth();
            estimator_.charSum += line.textLength();
        }
    }
    if (estimator_.charSum > 500)
        estimator_.charWidth = estimator_.widthSum / estimator_.charSum;
    if (estimator_.lineSum > 20)
        estimator_.lineHeight = estimator_.heightSum / estimator_.lineSum;
}

void DocumentLayout::updateGap(int index) const
{
    if (index <= 0 || index >= tree_.size())
        return;
    BlockExtent e = tree_.at(index);
    const int32_t gap = qMax(e.topMargin, tree_.at(index - 1).bottomMargin);
    if (gap != e.gap) {
        e.gap = gap;
        tree_.set(index, e);
    }
}

void DocumentLayout::ensureMeasured(const QTextBlock& block, int index) const
{
    const BlockExtent& old = tree_.at(index);
    if (old.measured && block.layout()->lineCount() > 0)
        return;
    // The view's top in the tree's current terms: shifts not yet applied count.
    const int64_t end = frame_.top + tree_.offsetOf(index + 1);
    const bool above = view_ && end <= fixed::fromReal(viewTop()) + shiftAbove_;
    const int64_t before = tree_.total();
    BlockExtent e = measure(block);
    e.gap = index == 0 ? 0 : qMax(e.topMargin, tree_.at(index - 1).bottomMargin);
    tree_.set(index, e);
    updateGap(index + 1);
    if (above)
        shiftAbove_ += tree_.total() - before;
}

// A caret placed in an estimated region (Ctrl+End) is scrolled into view
// from the heights above it: lay out a screen's worth so they are exact.
void DocumentLayout::measureAbove(int index) const
{
    const int pageStep = view_ ? view_->verticalScrollBar()->pageStep() : 0;
    const int64_t screen = fixed::fromReal(pageStep > 1 ? pageStep : 1000);
    int64_t covered = 0;
    QTextBlock block;
    for (int i = index - 1; i >= 0 && covered < screen; --i) {
        const BlockExtent& e = tree_.at(i);
        if (!e.measured) {
            if (!block.isValid())
                block = document()->findBlockByNumber(i);
            ensureMeasured(block, i);
        }
        covered += tree_.at(i).span();
        block = block.isValid() ? block.previous() : block;
    }
}

// Emits the new size and, while the view is not being painted, moves the
// scroll bar by the height change above the view so the text stays still.
void DocumentLayout::reportSize() const
{
    DocumentLayout* self = const_cast<DocumentLayout*>(this);
    if (drawing_) {
        if (!reportTimer_.isActive())
            reportTimer_.start(0, self);
        return;
    }
    // The target comes first: a shrinking range would clamp the value.
    QScrollBar* bar = view_ ? view_->verticalScrollBar() : nullptr;
    const int64_t pixels = bar ? shiftAbove_ / 64 : 0;
    const int target = bar ? static_cast<int>(bar->value() + pixels) : 0;
    shiftAbove_ -= pixels * 64;
    const QSizeF size = documentSize();
    if (size != reportedSize_) {
        reportedSize_ = size;
        Q_EMIT self->documentSizeChanged(size);
    }
    if (pixels != 0 && bar) {
        bar->setValue(target);
        Q_EMIT self->update(QRectF(0, 0, qreal(INT_MAX), qreal(INT_MAX)));
    }
}

void DocumentLayout::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == reportTimer_.timerId()) {
        reportTimer_.stop();
        reportSize();
    } else if (event->timerId() == idleTimer_.timerId()) {
        if (view_ && !viewPainted_)
            idleTimer_.stop();  // the first paint starts it again
        else
            measureIdle(kIdleSliceNs);
    } else {
        QAbstractTextDocumentLayout::timerEvent(event);
    }
}

void DocumentLayout::clearNearViewAndCaret()
{
    const int reach = 200;  // paragraphs: more than two screens of one-line ones
    const auto clearAround = [&](int index) {
        const int first = qMax(0, index - reach);
        QTextBlock b = document()->findBlockByNumber(first);
        for (int i = first; b.isValid() && i <= index + reach; ++i, b = b.next())
            b.clearLayout();
    };
    if (tree_.size() == 0)
        return;
    clearAround(tree_.indexAt(fixed::fromReal(viewTop()) - int64_t{frame_.top}));
    if (view_)
        clearAround(view_->textCursor().blockNumber());
}

// Clears the lines left from before a reset, skipping paragraphs measured
// since. Returns false when the budget ran out first.
bool DocumentLayout::sweepStaleLines(const QElapsedTimer& clock, qint64 budgetNs)
{
    QTextBlock b = document()->findBlockByNumber(sweepNext_);
    for (; b.isValid(); b = b.next(), ++sweepNext_) {
        if ((sweepNext_ & 255) == 0 && budgetNs >= 0 && clock.nsecsElapsed() >= budgetNs)
            return false;
        if (!tree_.at(sweepNext_).measured)
            b.clearLayout();
    }
    sweepNext_ = -1;
    return true;
}

void DocumentLayout::measureIdle(qint64 budgetNs)
{
    if (!inStep())
        return;
    QElapsedTimer clock;
    clock.start();
    if (sweepNext_ >= 0 && !sweepStaleLines(clock, budgetNs))
        return;
    int index = tree_.firstUnmeasured(0);
    QTextBlock block = index >= 0 ? document()->findBlockByNumber(index) : QTextBlock();
    while (block.isValid() && (budgetNs < 0 || clock.nsecsElapsed() < budgetNs)) {
        ensureMeasured(block, index);
        block = block.next();
        ++index;
        if (block.isValid() && tree_.at(index).measured) {
            index = tree_.firstUnmeasured(index);
            block = index >= 0 ? document()->findBlockByNumber(index) : QTextBlock();
        }
    }
    if (tree_.unmeasuredCount() == 0)
        idleTimer_.stop();
    reportSize();
}

qreal DocumentLayout::viewTop() const { return view_ ? view_->verticalScrollBar()->value() : 0; }

void DocumentLayout::finishLayout() { measureIdle(-1); }

}  // namespace text

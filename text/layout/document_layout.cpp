// Keeping the height tree in step with the document: edits replace the
// entries of the paragraphs they touch, resets of width or font mark every
// paragraph for layout again, idle time measures what is still estimated.
#include "text/layout/document_layout.h"

#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>
#include <QTimerEvent>
#include <cmath>

#include "text/layout/fixed.h"
#include "text/layout/image_handler.h"

namespace text {

namespace {

// Paragraphs an edit touches are laid out at once when there are at most
// this many (typing, pasting a page); larger replacements start estimated.
constexpr int kMeasureAtOnce = 64;
// Idle layout works in slices short enough not to delay a keystroke.
constexpr qint64 kIdleSliceNs = 4'000'000;

bool sameOption(const QTextOption& a, const QTextOption& b)
{
    return a.alignment() == b.alignment() && a.wrapMode() == b.wrapMode() && a.flags() == b.flags()
        && a.tabStopDistance() == b.tabStopDistance() && a.textDirection() == b.textDirection()
        && a.tabs() == b.tabs();
}

}  // namespace

bool DocumentLayout::Settings::sameGeometry(const Settings& other) const
{
    return pageSize == other.pageSize && font == other.font && sameOption(option, other.option)
        && rootFormat == other.rootFormat && indentWidth == other.indentWidth && dpi == other.dpi;
}

DocumentLayout::DocumentLayout(QTextDocument* document) : QAbstractTextDocumentLayout(document)
{
    registerHandler(QTextFormat::ImageObject, new ImageHandler(this));
}

DocumentLayout::~DocumentLayout() = default;

void DocumentLayout::setView(QTextEdit* edit) { view_ = edit; }

DocumentLayout::Settings DocumentLayout::currentSettings() const
{
    const QTextDocument* doc = document();
    Settings s;
    s.pageSize = doc->pageSize();
    s.font = doc->defaultFont();
    s.option = doc->defaultTextOption();
    s.rootFormat = doc->rootFrame()->frameFormat();
    s.indentWidth = doc->indentWidth();
    s.dpi = paintDevice() ? paintDevice()->logicalDpiY() : 0;
    s.blockCount = doc->blockCount();
    s.characterCount = doc->characterCount();
    s.revision = doc->revision();
    return s;
}

// The root frame as Qt's layout measures it: each margin, border and
// padding rounded to 26.6 on its own, then added.
void DocumentLayout::applySettings(const Settings& settings)
{
    settings_ = settings;
    const QTextFrameFormat& f = settings.rootFormat;
    const int32_t border = fixed::fromReal(f.border());
    const int32_t padding = fixed::fromReal(f.padding());
    const int32_t left = fixed::fromReal(f.leftMargin());
    const int32_t right = fixed::fromReal(f.rightMargin());
    frame_.left = left + border + padding;
    frame_.top = fixed::fromReal(f.topMargin()) + border + padding;
    frame_.bottom = border + padding + fixed::fromReal(f.bottomMargin());
    int32_t width = fixed::fromReal(f.width().value(qMax<qreal>(0, settings.pageSize.width())));
    if (f.width().type() == QTextLength::FixedLength)
        width = fixed::fromReal(fixed::toReal(width) * scale());
    frame_.contentWidth = width - 2 * (border + padding) - left - right;
    frame_.outerWidth = width;
    widestLine_ = 0;
}

qreal DocumentLayout::scale() const
{
    const int dpi = paintDevice() ? paintDevice()->logicalDpiY() : 96;
    return dpi == 96 ? 1.0 : dpi / 96.0;
}

void DocumentLayout::documentChanged(int from, int charsRemoved, int charsAdded)
{
    const Settings now = currentSettings();
    const bool full = charsRemoved == 0 && charsAdded == now.characterCount;
    const bool sameText = now.blockCount == settings_.blockCount && now.characterCount == settings_.characterCount
        && now.revision == settings_.revision && tree_.size() == now.blockCount;
    const bool sameGeometry = now.sameGeometry(settings_);
    if (full && sameText && sameGeometry)
        return;  // QTextEdit sets the same page size on every resize
    applySettings(now);
    if (full && sameText) {
        relayoutAll();
    } else if (full || !changeBlocks(from, charsAdded)) {
        rebuild();
    } else if (!sameGeometry) {
        relayoutAll();
    }
    reportSize();
    if (tree_.unmeasuredCount() > 0 && !idleTimer_.isActive())
        idleTimer_.start(0, this);
}

// Replaces the tree entries of the paragraphs in [from, from + charsAdded]
// with fresh ones. The old range is found from the change in paragraph
// count, since the document reports only the new positions.
bool DocumentLayout::changeBlocks(int from, int charsAdded)
{
    QTextDocument* doc = document();
    const QTextBlock firstBlock = doc->findBlock(from);
    const QTextBlock lastBlock = doc->findBlock(qMax(from, qMin(from + charsAdded, doc->characterCount() - 1)));
    if (!firstBlock.isValid() || !lastBlock.isValid())
        return false;
    const int first = firstBlock.blockNumber();
    const int last = lastBlock.blockNumber();
    const int oldLast = last - (doc->blockCount() - tree_.size());
    if (oldLast < first - 1 || oldLast >= tree_.size())
        return false;
    const int64_t top = tree_.offsetOf(first);
    const int64_t oldEnd = tree_.offsetOf(oldLast + 1);

    std::vector<BlockExtent> extents;
    extents.reserve(static_cast<size_t>(last - first + 1));
    for (QTextBlock b = firstBlock; b.isValid(); b = b.next()) {
        b.clearLayout();
        extents.push_back(estimate(b));
        if (b == lastBlock)
            break;
    }
    tree_.replace(first, oldLast - first + 1, extents);
    for (int i = first; i <= last + 1 && i < tree_.size(); ++i)
        updateGap(i);
    if (last - first < kMeasureAtOnce) {
        int index = first;
        for (QTextBlock b = firstBlock; b.isValid() && index <= last; b = b.next(), ++index)
            ensureMeasured(b, index);
    }
    const int64_t newEnd = tree_.offsetOf(last + 1);
    const qreal y = fixed::toReal(frame_.top + top);
    const qreal height = newEnd == oldEnd ? fixed::toReal(newEnd - top) + 1 : qreal(INT_MAX);
    Q_EMIT update(QRectF(0, y, qreal(INT_MAX), height));
    return true;
}

void DocumentLayout::rebuild()
{
    tree_.clear();
    resetEstimator();
    std::vector<BlockExtent> extents;
    extents.reserve(static_cast<size_t>(document()->blockCount()));
    int32_t previousBottom = 0;
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        b.clearLayout();
        BlockExtent e = estimate(b);
        e.gap = extents.empty() ? 0 : qMax(e.topMargin, previousBottom);
        previousBottom = e.bottomMargin;
        extents.push_back(e);
    }
    tree_.replace(0, 0, extents);
    Q_EMIT update(QRectF(0, 0, qreal(INT_MAX), qreal(INT_MAX)));
}

// Width, font or margins changed: the heights stay as estimates, close to
// the truth, and the lines go, since QTextCursor reads them directly. Going
// through the whole book takes longer than a frame, so at once only around
// the view and the caret, where cursor movement reads lines; idle time does
// the rest before it measures anything.
void DocumentLayout::relayoutAll()
{
    resetEstimator();
    tree_.markAllUnmeasured();
    clearNearViewAndCaret();
    sweepNext_ = 0;
    Q_EMIT update(QRectF(0, 0, qreal(INT_MAX), qreal(INT_MAX)));
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

void DocumentLayout::resetEstimator()
{
    const QFontMetricsF metrics(document()->defaultFont());
    estimator_ = Estimator{};
    estimator_.charWidth = qMax<qreal>(1, metrics.averageCharWidth());
    estimator_.lineHeight = std::ceil(metrics.ascent() + metrics.descent() + metrics.leading());
}

void DocumentLayout::marginsOf(const QTextBlock& block, BlockExtent& extent) const
{
    const QTextBlockFormat format = block.blockFormat();
    extent.topMargin = fixed::fromReal(format.topMargin() * scale());
    extent.bottomMargin = fixed::fromReal(format.bottomMargin() * scale());
}

BlockExtent DocumentLayout::estimate(const QTextBlock& block) const
{
    BlockExtent e;
    marginsOf(block, e);
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

bool DocumentLayout::inStep() const { return tree_.size() == document()->blockCount(); }

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

qreal DocumentLayout::viewTop() const { return view_ ? view_->verticalScrollBar()->value() : 0; }

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
        measureIdle(kIdleSliceNs);
    } else {
        QAbstractTextDocumentLayout::timerEvent(event);
    }
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

void DocumentLayout::finishLayout() { measureIdle(-1); }

DocumentLayout* installDocumentLayout(QTextEdit* edit)
{
    QTextDocument* doc = edit->document();
    auto* layout = qobject_cast<DocumentLayout*>(doc->documentLayout());
    if (!layout) {
        const int width = edit->cursorWidth();
        layout = new DocumentLayout(doc);
        doc->setDocumentLayout(layout);  // deletes the previous layout
        layout->setCursorWidth(width);
    }
    layout->setView(edit);
    return layout;
}

}  // namespace text

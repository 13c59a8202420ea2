// Keeping the height tree in step with the document: edits replace the
// entries of the paragraphs they touch, resets of width or font mark every
// paragraph for layout again, resets that change nothing are skipped.
#include "text/layout/document_layout.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>

#include "text/layout/fixed.h"
#include "text/layout/image_handler.h"

namespace text {

namespace {

// Paragraphs an edit touches are laid out at once when there are at most
// this many (typing, pasting a page); larger replacements start estimated.
constexpr int kMeasureAtOnce = 64;

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
    marginCache_.clear();  // format indices change when the document is cleared
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
    if (tree_.unmeasuredCount() > 0 && !idleTimer_.isActive() && (!view_ || viewPainted_))
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
    int32_t previousBottom = first > 0 ? tree_.at(first - 1).bottomMargin : 0;
    for (QTextBlock b = firstBlock; b.isValid(); b = b.next()) {
        b.clearLayout();
        BlockExtent e = estimate(b);
        e.gap = extents.empty() && first == 0 ? 0 : qMax(e.topMargin, previousBottom);
        previousBottom = e.bottomMargin;
        extents.push_back(e);
        if (b == lastBlock)
            break;
    }
    tree_.replace(first, oldLast - first + 1, extents);
    updateGap(last + 1);
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

void DocumentLayout::marginsOf(const QTextBlock& block, BlockExtent& extent) const
{
    const QTextBlockFormat format = block.blockFormat();
    extent.topMargin = fixed::fromReal(format.topMargin() * scale());
    extent.bottomMargin = fixed::fromReal(format.bottomMargin() * scale());
}

bool DocumentLayout::inStep() const { return tree_.size() == document()->blockCount(); }

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

// The text area's document layout: each paragraph laid out with QTextLayout
// exactly as Qt's own layout would place it, but only the paragraphs an edit
// touches are laid out again, the rest when first shown or in idle time, and
// every paragraph's height sits in a tree so that nothing walks the book.
//
// A layout belongs to one QTextDocument. QTextEdit::setDocument gives the
// new document Qt's layout, so call installDocumentLayout again after it;
// QTextDocument::clear(), setPlainText() and setHtml() keep the layout.
#pragma once

#include <QAbstractTextDocumentLayout>
#include <QBasicTimer>
#include <QFont>
#include <QHash>
#include <QPointer>
#include <QSizeF>
#include <QTextEdit>
#include <QTextOption>

#include "text/layout/height_tree.h"

class QElapsedTimer;
class QTextEdit;

namespace text {

class DocumentLayout : public QAbstractTextDocumentLayout {
    Q_OBJECT
    // QTextEdit reads and writes the caret width through this property.
    Q_PROPERTY(int cursorWidth READ cursorWidth WRITE setCursorWidth)

public:
    explicit DocumentLayout(QTextDocument* document);
    ~DocumentLayout() override;

    void draw(QPainter* painter, const PaintContext& context) override;
    int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override;
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame* frame) const override;
    QRectF blockBoundingRect(const QTextBlock& block) const override;

    int cursorWidth() const { return cursorWidth_; }
    void setCursorWidth(int width) { cursorWidth_ = width; }

    // The edit showing the document: when paragraphs above its view are
    // measured and change height, its scroll bar moves by as much, so the
    // text stays still; after a reset its caret's lines are dropped first.
    void setView(QTextEdit* edit);
    // True when every paragraph has been laid out (none is estimated).
    bool isComplete() const { return tree_.unmeasuredCount() == 0 && sweepNext_ < 0; }
    // Lays out every paragraph not laid out yet, now.
    void finishLayout();

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;
    void timerEvent(QTimerEvent* event) override;

private:
    // What every paragraph's layout depends on besides its own text and
    // formats; a full reset that changes none of it changes nothing.
    struct Settings {
        QSizeF pageSize;
        QFont font;
        QTextOption option;
        QTextFrameFormat rootFormat;
        qreal indentWidth = 0;
        int dpi = 0;
        int blockCount = 0;
        int characterCount = 0;
        int revision = 0;
        bool sameGeometry(const Settings& other) const;
    };
    // The root frame in 26.6 fixed point.
    struct Frame {
        int32_t left = 0;   // x of every paragraph's layout
        int32_t top = 0;    // y of the first paragraph
        int32_t bottom = 0; // below the last paragraph
        int32_t contentWidth = 0;
        int32_t outerWidth = 0;
    };
    struct Estimator {
        double charWidth = 8;   // average advance, learnt from laid-out lines
        double lineHeight = 20; // average line height, likewise
        double widthSum = 0;
        double charSum = 0;
        double heightSum = 0;
        double lineSum = 0;
    };

    struct Indents {
        int32_t left = 0;
        int32_t right = 0;
    };

    Settings currentSettings() const;
    void applySettings(const Settings& settings);
    void rebuild();
    void relayoutAll();
    bool changeBlocks(int from, int charsAdded);
    void clearNearViewAndCaret();
    bool sweepStaleLines(const QElapsedTimer& clock, qint64 budgetNs);
    void resetEstimator();

    BlockExtent estimate(const QTextBlock& block) const;
    BlockExtent measure(const QTextBlock& block) const;
    Indents indentsOf(const QTextBlock& block, const QTextBlockFormat& format, bool leftToRight) const;
    void marginsOf(const QTextBlock& block, BlockExtent& extent) const;
    void learn(const QTextLayout* layout) const;
    void ensureMeasured(const QTextBlock& block, int index) const;
    void updateGap(int index) const;
    void measureAbove(int index) const;
    bool inStep() const;
    int indexOf(const QTextBlock& block) const;
    qreal blockTop(int index) const;
    QTextLayout* placed(const QTextBlock& block, int index) const;

    void drawBlock(QPainter* painter, const PaintContext& context, const QTextBlock& block,
                   const QRectF& clip) const;
    void drawListMarker(QPainter* painter, const PaintContext& context, const QTextBlock& block,
                        const QTextCharFormat* selection) const;
    int hitBlock(const QTextBlock& block, const QPointF& point, Qt::HitTestAccuracy accuracy,
                 bool* exact) const;
    qreal scale() const;

    void reportSize() const;
    void measureIdle(qint64 budgetNs);
    qreal viewTop() const;

    mutable HeightTree tree_;
    Settings settings_;
    Frame frame_;
    mutable Estimator estimator_;
    mutable QHash<int, std::pair<int32_t, int32_t>> marginCache_; // format index: top, bottom
    int cursorWidth_ = 1;
    QPointer<QTextEdit> view_;
    int sweepNext_ = -1; // where clearing lines left from before a reset goes on
    mutable QBasicTimer idleTimer_;
    mutable QBasicTimer reportTimer_;
    mutable QSizeF reportedSize_;
    mutable int32_t widestLine_ = 0; // for pages without a width (no wrapping)
    mutable int64_t shiftAbove_ = 0; // height change above the view not yet scrolled away
    mutable bool drawing_ = false;
    // Idle measuring waits for the view's first paint, which it would delay.
    bool viewPainted_ = false;
};

// Gives the edit's document our layout, keeping the edit's caret width, and
// ties it to the edit's vertical scroll bar. Returns the layout, which the
// document owns. Calling it again on the same document changes nothing.
DocumentLayout* installDocumentLayout(QTextEdit* edit);

}  // namespace text

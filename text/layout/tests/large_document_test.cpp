// A 100,000-paragraph book: jumping to the end and back keeps the caret in
// view while most paragraphs are still estimated, and measuring the ones
// above the view later does not move the text on screen.
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

#include "layout_fixture.h"
#include "text/layout/document_layout.h"

namespace text {

using testing::LayoutKind;

class LargeDocumentTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        edit_ = testing::makeEdit(LayoutKind::Ours);
        testing::fillPlain(edit_->document(), 100000);
        testing::settle();
        layout_ = qobject_cast<DocumentLayout*>(edit_->document()->documentLayout());
        QVERIFY(layout_);
    }

    void endAndBackKeepTheCaretInView()
    {
        QVERIFY(!layout_->isComplete());
        const QRect view = edit_->viewport()->rect();
        edit_->moveCursor(QTextCursor::End);
        testing::settle();
        // The last line sits at the bottom, above the one-pixel ring.
        QVERIFY(edit_->verticalScrollBar()->value() >= edit_->verticalScrollBar()->maximum() - 1);
        QVERIFY(view.contains(edit_->cursorRect()));
        const QTextBlock last = edit_->document()->lastBlock();
        const QRectF lastRect = layout_->blockBoundingRect(last);
        QCOMPARE(lastRect.bottom() + 1, layout_->documentSize().height());

        edit_->moveCursor(QTextCursor::Start);
        testing::settle();
        // Scrolled just far enough to show the caret, which sits below the ring.
        QVERIFY(edit_->verticalScrollBar()->value() <= 1);
        QVERIFY(view.contains(edit_->cursorRect()));

        edit_->verticalScrollBar()->setValue(edit_->verticalScrollBar()->maximum());
        testing::settle();
        QCOMPARE(edit_->cursorForPosition(QPoint(5, view.bottom() - 3)).block(), last);
    }

    void measuringAboveTheViewKeepsTheTextStill()
    {
        QScrollBar* bar = edit_->verticalScrollBar();
        bar->setValue(bar->maximum() - bar->pageStep() * 3);
        testing::settle();
        QVERIFY(!layout_->isComplete());
        const int before = edit_->cursorForPosition(QPoint(40, 40)).position();
        const int value = bar->value();
        layout_->finishLayout();
        testing::settle();
        QVERIFY(layout_->isComplete());
        QVERIFY(bar->value() != value);  // the estimates were off: the view followed its text
        QCOMPARE(edit_->cursorForPosition(QPoint(40, 40)).position(), before);
    }

    void completeLayoutAddsUpExactly()
    {
        layout_->finishLayout();
        qreal y = 1;
        int checked = 0;
        for (QTextBlock b = edit_->document()->begin(); b.isValid(); b = b.next(), ++checked) {
            const QRectF r = layout_->blockBoundingRect(b);
            if (r.top() != y)
                QFAIL(qPrintable(QStringLiteral("paragraph %1 at %2, expected %3").arg(checked).arg(r.top()).arg(y)));
            y = r.bottom();
        }
        QCOMPARE(y + 1, layout_->documentSize().height());
    }

    void cleanupTestCase() { edit_.reset(); }

private:
    std::unique_ptr<QTextEdit> edit_;
    DocumentLayout* layout_ = nullptr;
};

}  // namespace text

int runLargeDocumentTest(int argc, char** argv)
{
    text::LargeDocumentTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "large_document_test.moc"

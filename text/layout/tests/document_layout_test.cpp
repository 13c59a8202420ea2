// Our layout against Qt's own on the same formatted paragraphs: the same
// line breaks and positions, caret rectangles, hit tests, caret movement and
// pixels, at several widths; and the tree kept exact through edits.
#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>

#include "layout_fixture.h"
#include "text/layout/document_layout.h"

namespace text {

using testing::LayoutKind;

namespace {

DocumentLayout* ourLayout(QTextEdit* edit) { return qobject_cast<DocumentLayout*>(edit->document()->documentLayout()); }

// Every paragraph's rectangle and every line's range and place.
void compareLines(QTextDocument* expected, QTextDocument* actual)
{
    QCOMPARE(actual->blockCount(), expected->blockCount());
    QTextBlock a = actual->begin();
    for (QTextBlock e = expected->begin(); e.isValid(); e = e.next(), a = a.next()) {
        const QString where = QStringLiteral("paragraph %1").arg(e.blockNumber());
        QVERIFY2(actual->documentLayout()->blockBoundingRect(a) == expected->documentLayout()->blockBoundingRect(e),
                 qPrintable(where));
        const QTextLayout* el = e.layout();
        const QTextLayout* al = a.layout();
        QVERIFY2(al->lineCount() == el->lineCount(), qPrintable(where));
        for (int i = 0; i < el->lineCount(); ++i) {
            const QTextLine el1 = el->lineAt(i);
            const QTextLine al1 = al->lineAt(i);
            QVERIFY2(al1.textStart() == el1.textStart() && al1.textLength() == el1.textLength(), qPrintable(where));
            QVERIFY2(al1.position() == el1.position() && al1.height() == el1.height(), qPrintable(where));
        }
    }
    QCOMPARE(actual->documentLayout()->documentSize(), expected->documentLayout()->documentSize());
}

void compareCaretsAndHits(QTextEdit* expected, QTextEdit* actual)
{
    QAbstractTextDocumentLayout* el = expected->document()->documentLayout();
    QAbstractTextDocumentLayout* al = actual->document()->documentLayout();
    for (int p = 0; p < expected->document()->characterCount(); p += 5) {
        QTextCursor e(expected->document());
        QTextCursor a(actual->document());
        e.setPosition(p);
        a.setPosition(p);
        QVERIFY2(actual->cursorRect(a) == expected->cursorRect(e), qPrintable(QStringLiteral("caret at %1").arg(p)));
    }
    const qreal height = el->documentSize().height() + 30;
    for (qreal y = -10; y < height; y += 7.5) {
        for (qreal x = -5; x < expected->width() + 10; x += 23) {
            const QPointF point(x, y);
            QVERIFY2(al->hitTest(point, Qt::FuzzyHit) == el->hitTest(point, Qt::FuzzyHit)
                         && al->hitTest(point, Qt::ExactHit) == el->hitTest(point, Qt::ExactHit),
                     qPrintable(QStringLiteral("hit at %1,%2").arg(x).arg(y)));
        }
    }
}

// Positions and scroll values after each press of the key.
QList<QPair<int, int>> walk(QTextEdit* edit, Qt::Key key, int presses)
{
    edit->moveCursor(QTextCursor::Start);
    QList<QPair<int, int>> steps;
    for (int i = 0; i < presses; ++i) {
        QTest::keyClick(edit, key);
        steps.append({edit->textCursor().position(), edit->verticalScrollBar()->value()});
    }
    return steps;
}

QImage pixels(QTextEdit* edit)
{
    testing::settle();
    return edit->viewport()->grab().toImage();
}

}  // namespace

class DocumentLayoutTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void matchesQtsLayout_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("margin");
        QTest::newRow("700, as designed") << 700 << 1;
        QTest::newRow("700, frame on") << 700 << 2;
        QTest::newRow("523") << 523 << 1;
        QTest::newRow("310, narrow") << 310 << 1;
        QTest::newRow("1210, wide") << 1210 << 1;
    }

    // Both start at 700 pixels and then change width and margin, so the
    // width change (which must drop the lines laid out) is covered as well.
    void matchesQtsLayout()
    {
        QFETCH(int, width);
        QFETCH(int, margin);
        auto qt = testing::makeEdit(LayoutKind::Qts);
        auto ours = testing::makeEdit(LayoutKind::Ours);
        testing::fillFormatted(qt->document(), 2);
        testing::fillFormatted(ours->document(), 2);
        testing::settle();
        for (QTextEdit* edit : {qt.get(), ours.get()}) {
            edit->document()->setDocumentMargin(margin);
            edit->resize(width, 550);
        }
        testing::settle();
        compareLines(qt->document(), ours->document());
        compareCaretsAndHits(qt.get(), ours.get());
        QCOMPARE(pixels(ours.get()), pixels(qt.get()));
        QCOMPARE(walk(ours.get(), Qt::Key_Down, 60), walk(qt.get(), Qt::Key_Down, 60));
        QCOMPARE(walk(ours.get(), Qt::Key_PageDown, 8), walk(qt.get(), Qt::Key_PageDown, 8));
        QCOMPARE(pixels(ours.get()), pixels(qt.get()));
    }

    void paintsSelectionsAndScrolledViewsLikeQt()
    {
        auto qt = testing::makeEdit(LayoutKind::Qts);
        auto ours = testing::makeEdit(LayoutKind::Ours);
        testing::fillFormatted(qt->document(), 3);
        testing::fillFormatted(ours->document(), 3);
        for (QTextEdit* edit : {qt.get(), ours.get()}) {
            QTextCursor c(edit->document());
            c.setPosition(300);
            c.setPosition(900, QTextCursor::KeepAnchor);
            edit->setTextCursor(c);
            edit->verticalScrollBar()->setValue(400);
        }
        QCOMPARE(pixels(ours.get()), pixels(qt.get()));
    }

    void picturesTakeTheirSizeLikeQt_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("name");
        QTest::newRow("own size") << 0 << 0 << "picture1";
        QTest::newRow("width only") << 80 << 0 << "picture1";
        QTest::newRow("height only") << 0 << 45 << "picture1";
        QTest::newRow("both") << 25 << 70 << "picture1";
        // Qt draws a placeholder icon for a missing image; only the space must match.
        QTest::newRow("missing image, both") << 30 << 20 << "absent";
    }

    void picturesTakeTheirSizeLikeQt()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QString, name);
        auto qt = testing::makeEdit(LayoutKind::Qts);
        auto ours = testing::makeEdit(LayoutKind::Ours);
        for (QTextEdit* edit : {qt.get(), ours.get()}) {
            QImage picture(40, 30, QImage::Format_ARGB32);
            picture.fill(QColor(200, 40, 40));
            edit->document()->addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("picture1")), picture);
            QTextCursor c(edit->document());
            c.insertText(QStringLiteral("before "));
            QTextImageFormat f;
            f.setName(name);
            if (width > 0)
                f.setWidth(width);
            if (height > 0)
                f.setHeight(height);
            c.insertImage(f);
            c.insertText(QStringLiteral(" after"));
        }
        compareLines(qt->document(), ours->document());
        compareCaretsAndHits(qt.get(), ours.get());
        if (name != QLatin1String("absent"))
            QCOMPARE(pixels(ours.get()), pixels(qt.get()));
    }

    void frameSwitchKeepsTextAndCaret()
    {
        auto qt = testing::makeEdit(LayoutKind::Qts);
        auto ours = testing::makeEdit(LayoutKind::Ours);
        testing::fillFormatted(qt->document());
        testing::fillFormatted(ours->document());
        QTextCursor c = ours->textCursor();
        c.setPosition(420);
        ours->setTextCursor(c);
        for (int margin : {2, 1, 2, 1}) {
            qt->document()->setDocumentMargin(margin);
            ours->document()->setDocumentMargin(margin);
            testing::settle();
            compareLines(qt->document(), ours->document());
            QCOMPARE(ours->textCursor().position(), 420);
            QCOMPARE(pixels(ours.get()), pixels(qt.get()));
        }
    }

    void editsKeepEveryParagraphInPlace_data()
    {
        QTest::addColumn<double>("where");
        QTest::newRow("start") << 0.0;
        QTest::newRow("middle") << 0.5;
        QTest::newRow("end") << 1.0;
    }

    // After each edit every paragraph's rectangle must equal a full layout
    // of the same text by Qt: a wrong range replaced in the tree, a gap not
    // updated or a stale paragraph left measured would all show.
    void editsKeepEveryParagraphInPlace()
    {
        QFETCH(double, where);
        auto ours = testing::makeEdit(LayoutKind::Ours);
        QTextDocument* doc = ours->document();
        testing::fillPlain(doc, 150);
        testing::fillFormatted(doc);
        testing::settle();
        const auto at = [&] { return static_cast<int>(where * (doc->characterCount() - 1)); };
        const auto check = [&](const char* step) {
            ourLayout(ours.get())->finishLayout();
            QTextDocument* full = doc->clone();
            full->setPageSize(doc->pageSize());
            full->rootFrame()->setFrameFormat(doc->rootFrame()->frameFormat());
            full->setDefaultFont(doc->defaultFont());
            full->setDefaultTextOption(doc->defaultTextOption());
            compareLines(full, doc);
            delete full;
            if (QTest::currentTestFailed())
                QFAIL(step);
        };
        QTextCursor c(doc);
        c.setPosition(at());
        c.insertText(QStringLiteral("x"));
        check("typing");
        c.insertBlock();
        check("paragraph break");
        c.deletePreviousChar();
        check("joining paragraphs");
        c.setPosition(qMax(0, at() - 400));
        c.setPosition(qMin(doc->characterCount() - 1, at() + 300), QTextCursor::KeepAnchor);
        c.removeSelectedText();
        check("deleting across paragraphs");
        c.setPosition(qMax(0, at() - 200));
        c.setPosition(qMin(doc->characterCount() - 1, at() + 200), QTextCursor::KeepAnchor);
        QTextCharFormat big;
        big.setFontPointSize(30);
        c.mergeCharFormat(big);
        check("character format");
        QTextBlockFormat spaced;
        spaced.setTopMargin(25);
        spaced.setBottomMargin(40);
        c.mergeBlockFormat(spaced);
        check("paragraph spacing");
        c.beginEditBlock();
        c.insertText(QStringLiteral("one\ntwo\nthree"));
        c.insertBlock();
        c.endEditBlock();
        check("pasting paragraphs in one edit block");
        while (doc->isUndoAvailable())
            doc->undo();
        check("undoing everything");
        doc->setDefaultFont(QFont(QStringLiteral("Liberation Serif"), 18));
        check("default font");
    }
};

}  // namespace text

int runDocumentLayoutTest(int argc, char** argv)
{
    text::DocumentLayoutTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "document_layout_test.moc"

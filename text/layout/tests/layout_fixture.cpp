// Building the test documents through QTextCursor, the way the text area's
// document conversion fills them.
#include "layout_fixture.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextList>

#include "text/layout/document_layout.h"

namespace text::testing {

namespace {

const char* const kWords[] = {"the", "manuscript", "lay", "open", "on", "a", "table", "near", "window,",
                              "and", "she", "wrote", "until", "light", "failed.", "Extraordinarily",
                              "quiet", "evenings", "follow", "storms", "in", "valley"};

QString prose(int words, int seed)
{
    QString text;
    for (int i = 0; i < words; ++i) {
        if (i > 0)
            text += u' ';
        text += QLatin1String(kWords[static_cast<size_t>(seed * 7 + i * 3) % std::size(kWords)]);
    }
    return text;
}

struct ParagraphCase {
    Qt::Alignment alignment;
    qreal left, right, firstLine, before, after;
    int lineHeightType;
    qreal lineHeight;
    int words;
};

const ParagraphCase kParagraphs[] = {
    {Qt::AlignLeft, 0, 0, 0, 0, 0, QTextBlockFormat::SingleHeight, 0, 60},
    {Qt::AlignJustify, 0, 0, 24, 6, 12, QTextBlockFormat::SingleHeight, 0, 90},
    {Qt::AlignRight, 40, 10, 0, 12, 3, QTextBlockFormat::ProportionalHeight, 150, 45},
    {Qt::AlignHCenter, 20, 20, -10, 0, 0, QTextBlockFormat::FixedHeight, 30, 50},
    {Qt::AlignLeft, 60, 0, 30, 8, 8, QTextBlockFormat::MinimumHeight, 28, 40},
    {Qt::AlignLeft, 0, 0, 0, 0, 0, QTextBlockFormat::LineDistanceHeight, 6, 35},
    {Qt::AlignJustify, 10, 30, 0, 20, 0, QTextBlockFormat::ProportionalHeight, 80, 70},
    {Qt::AlignLeft, 0, 0, 0, 4, 4, QTextBlockFormat::SingleHeight, 0, 0},  // empty paragraph
};

void insertRuns(QTextCursor& cursor, const QString& text, int seed)
{
    static const char* const faces[] = {"Carlito", "Liberation Serif", "DejaVu Sans Mono", "Liberation Sans"};
    const QStringList words = text.split(u' ');
    for (int i = 0; i < words.size(); ++i) {
        QTextCharFormat f;
        const int k = seed + i / 5;
        f.setFontFamilies({QString::fromLatin1(faces[k % 4])});
        f.setFontPointSize(10 + (k % 5) * 3);
        f.setFontWeight(k % 3 == 0 ? QFont::Bold : QFont::Normal);
        f.setFontItalic(k % 4 == 1);
        f.setFontUnderline(k % 5 == 2);
        f.setFontStrikeOut(k % 7 == 3);
        f.setForeground(QColor::fromHsv((k * 40) % 360, 200, 120));
        cursor.insertText(i == 0 ? words[i] : u' ' + words[i], f);
    }
}

}  // namespace

std::unique_ptr<QTextEdit> makeEdit(LayoutKind kind, int width, int height)
{
    auto edit = std::make_unique<QTextEdit>();
    edit->setFrameShape(QFrame::NoFrame);
    edit->setLineWrapMode(QTextEdit::WidgetWidth);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->document()->setDocumentMargin(1);
    edit->document()->setDefaultFont(QFont(QStringLiteral("Carlito"), 14));
    if (kind == LayoutKind::Ours)
        installDocumentLayout(edit.get());
    edit->resize(width, height);
    edit->show();
    settle();
    return edit;
}

void fillFormatted(QTextDocument* doc, int repeat)
{
    QImage picture(40, 30, QImage::Format_ARGB32);
    picture.fill(QColor(30, 90, 160));
    doc->addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("picture1")), picture);
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    int seed = 0;
    for (int r = 0; r < repeat; ++r) {
        for (const ParagraphCase& p : kParagraphs) {
            QTextBlockFormat b;
            b.setAlignment(p.alignment);
            b.setLeftMargin(p.left);
            b.setRightMargin(p.right);
            b.setTextIndent(p.firstLine);
            b.setTopMargin(p.before);
            b.setBottomMargin(p.after);
            b.setLineHeight(p.lineHeight, p.lineHeightType);
            if (seed > 0)
                cursor.insertBlock(b);
            else
                cursor.setBlockFormat(b);
            insertRuns(cursor, prose(p.words, seed), seed);
            if (seed % 3 == 1) {
                QTextImageFormat image;
                image.setName(QStringLiteral("picture1"));
                cursor.insertImage(image);
                insertRuns(cursor, prose(12, seed + 1), seed + 1);
            }
            ++seed;
        }
    }
    // Lists: their indent moves the lines, their markers are drawn.
    for (const auto style : {QTextListFormat::ListDecimal, QTextListFormat::ListDisc, QTextListFormat::ListUpperRoman,
                             QTextListFormat::ListCircle, QTextListFormat::ListSquare}) {
        cursor.insertBlock(QTextBlockFormat());
        QTextList* list = cursor.insertList(style);
        insertRuns(cursor, prose(18, seed), seed);
        cursor.insertBlock();
        insertRuns(cursor, prose(4, seed + 2), seed + 2);
        list->add(cursor.block());
        ++seed;
    }
    // A word wider than the line must break anywhere.
    cursor.insertBlock(QTextBlockFormat());
    cursor.insertText(QString(200, u'w'));
    cursor.endEditBlock();
}

void fillPlain(QTextDocument* doc, int paragraphs)
{
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    for (int i = 0; i < paragraphs; ++i) {
        if (i > 0)
            cursor.insertBlock();
        // Mostly short paragraphs, as in dialogue, and now and then a long one,
        // so that estimated heights are well off.
        cursor.insertText(prose(i % 50 == 0 ? 150 : 3 + (i * 37) % 17, i));
    }
    cursor.endEditBlock();
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

}  // namespace text::testing

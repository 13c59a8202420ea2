// Document model <-> QTextDocument: every format survives the trip both ways.
#include "text/area/qt_document.h"

#include "text/area/qt_document_walk.h"
#include "text/area/qt_formats.h"
#include "text/rtf_writer.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextTable>

namespace {

using text::Alignment;
using text::CharFormat;
using text::Document;
using text::Paragraph;
using text::ParagraphFormat;
using text::Run;

// A run as a writer sees it: the face by name, not by table index.
QString describe(const Document& doc)
{
    QStringList out;
    for (const Paragraph& p : doc.paragraphs) {
        const ParagraphFormat& f = p.format;
        out << QStringLiteral("P align=%1 li=%2 ri=%3 fi=%4 sb=%5 sa=%6 sl=%7%8")
                   .arg(int(f.alignment)).arg(f.leftIndent).arg(f.rightIndent).arg(f.firstLineIndent)
                   .arg(f.spaceBefore).arg(f.spaceAfter).arg(f.lineSpacing).arg(f.lineSpacingMultiple ? "m" : "");
        size_t offset = 0;
        for (const Run& r : p.runs) {
            const CharFormat& c = r.format;
            const auto& font = doc.fonts.at(size_t(c.font));
            out << QStringLiteral("  [%1] %2/%3 %4 %5%6%7%8%9 pict=%10")
                       .arg(QString::fromUtf16(p.text.data() + offset, r.length))
                       .arg(QString::fromStdU16String(font.face)).arg(font.charset).arg(c.sizeHalfPoints)
                       .arg(c.hasColor ? QString::number(c.color, 16) : QStringLiteral("auto"))
                       .arg(c.bold ? "b" : "").arg(c.italic ? "i" : "").arg(c.underline ? "u" : "")
                       .arg(c.strikeOut ? "s" : "").arg(r.picture);
            offset += r.length;
        }
    }
    return out.join('\n');
}

void addRun(Paragraph& p, const std::u16string& s, CharFormat f)
{
    p.text += s;
    p.runs.push_back(Run{uint32_t(s.size()), f, Run::kNoPicture});
}

// The model as Qt's public block and fragment iterators give it: one
// paragraph a block, the runs its fragments. Pictures are left out.
Document publicModel(const QTextDocument& qt, const text::DefaultFont& font)
{
    Document doc;
    doc.paragraphs.clear();
    text::ModelCharFormats formats(doc.fonts, font);
    for (QTextBlock block = qt.begin(); block.isValid(); block = block.next()) {
        Paragraph& p = doc.paragraphs.emplace_back();
        p.format = text::fromQtBlockFormat(block.blockFormat(), 96);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const CharFormat f = formats.fromQt(fragment.charFormat());
            if (!p.runs.empty() && p.runs.back().format == f)
                p.runs.back().length += uint32_t(fragment.length());
            else
                p.runs.push_back(Run{uint32_t(fragment.length()), f, Run::kNoPicture});
            p.text += fragment.text().toStdU16String();
        }
    }
    return doc;
}

} // namespace

class QtDocumentTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void formatsSurviveBothWays()
    {
        Document doc;
        doc.fonts = {{u"Calibri", 204}, {u"Liberation Serif", 0}, {u"DejaVu Sans Mono", 238}};
        doc.paragraphs.clear();
        const CharFormat base{0, 28, 0, false};
        CharFormat bold = base, serif = base, mono = base;
        bold.bold = true;
        bold.italic = true;
        serif.font = 1;
        serif.sizeHalfPoints = 37;
        serif.hasColor = true;
        serif.color = 0x00336699;
        serif.underline = true;
        mono.font = 2;
        mono.strikeOut = true;
        struct Para {
            ParagraphFormat format;
        } formats[] = {
            {{Alignment::Left, 0, 0, 0, 0, 0, 0, false}},
            {{Alignment::Center, 720, 360, -180, 120, 240, 0, false}},
            {{Alignment::Right, 0, 0, 0, 0, 0, 360, true}},
            {{Alignment::Justify, 1440, 0, 567, 0, 0, 300, false}},
            {{Alignment::Left, 0, 0, 0, 0, 0, -280, false}},
        };
        for (const auto& f : formats) {
            Paragraph p;
            p.format = f.format;
            addRun(p, u"plain \u0416\u4e2d ", base);
            addRun(p, u"bold italic", bold);
            addRun(p, u" serif \U0001F600", serif);
            addRun(p, u"\tmono\u2028next", mono);
            doc.paragraphs.push_back(p);
        }
        doc.paragraphs.push_back(Paragraph{}); // an empty last paragraph

        const text::DefaultFont font{QStringLiteral("Calibri"), 14, 0, true, 204};
        QTextDocument qt;
        text::fillQtDocument(qt, doc, font, 96);
        QCOMPARE(qt.blockCount(), 6);
        QVERIFY(!qt.isModified());
        QVERIFY(!qt.isUndoAvailable());
        const Document back = text::readQtDocument(qt, {}, font, 96);
        QCOMPARE(describe(back), describe(doc));
    }

    void walkAgreesWithQtWhateverTheTreeOrder()
    {
        // A loaded document is read straight from Qt's array; once edited
        // (text inserted mid-paragraph, a cut across paragraphs, formats
        // changed, a table, an undo) it is read through the tree. Both must
        // give what Qt's own iterators give, and the RTF written on the way
        // must be the model's.
        Document doc;
        doc.fonts = {{u"Calibri", 204}, {u"Liberation Serif", 0}};
        doc.paragraphs.clear();
        CharFormat bold{0, 28, 0, false, true}, serif{1, 24, 0x00336699, true};
        for (int i = 0; i < 40; ++i) {
            Paragraph p;
            p.format.firstLineIndent = i % 3 == 0 ? 0 : 360;
            if (i % 7 != 3) {
                addRun(p, u"plain \u0416 words ", CharFormat{});
                addRun(p, u"bold{}", bold);
                addRun(p, u" serif\ttab", serif);
            }
            doc.paragraphs.push_back(p);
        }
        const text::DefaultFont font{QStringLiteral("Calibri"), 14, 0, true, 204};
        QTextDocument qt;
        text::fillQtDocument(qt, doc, font, 96);
        const auto check = [&](const char* state) {
            const Document read = text::readQtDocument(qt, {}, font, 96);
            QVERIFY2(describe(read) == describe(publicModel(qt, font)), state);
            QVERIFY2(std::string(text::writeQtDocumentRtf(qt, {}, font, 96).bytes()) == text::writeRtf(read), state);
        };
        QVERIFY(text::walksFragmentsInArrayOrder(qt));
        check("loaded");

        // Each edit leaves the tree in another shape; every shape is read.
        QTextCursor cursor(&qt);
        const auto at = [&qt](int block, int offset) { return qt.findBlockByNumber(block).position() + offset; };
        cursor.setPosition(at(5, 3));
        cursor.insertText(QStringLiteral("inserted"));
        check("inserted mid-paragraph");
        QVERIFY(!text::walksFragmentsInArrayOrder(qt));
        cursor.setPosition(at(10, 2));
        cursor.setPosition(at(13, 4), QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        check("cut across paragraphs");
        cursor.setPosition(at(20, 1));
        cursor.setPosition(at(22, 9), QTextCursor::KeepAnchor);
        QTextCharFormat italic;
        italic.setFontItalic(true);
        cursor.mergeCharFormat(italic);
        check("formats changed");
        cursor.setPosition(at(25, 0));
        QTextTable* table = cursor.insertTable(2, 2);
        table->cellAt(1, 1).firstCursorPosition().insertText(QStringLiteral("cell"));
        check("table");
        cursor.setPosition(at(30, 5));
        cursor.insertBlock();
        qt.undo();
        check("undone");
        cursor.movePosition(QTextCursor::End);
        cursor.setPosition(0, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        cursor.insertText(QStringLiteral("typed anew"));
        check("all replaced by typing");

        // Paragraph marks at every place around the eight characters the
        // walk looks at together.
        QStringList lines;
        for (int length = 0; length <= 19; ++length)
            lines << QString(length, QLatin1Char('x'));
        qt.setPlainText(lines.join(QLatin1Char('\n')));
        check("plain text");
    }

    void defaultFormatsFollowTheFontSetting()
    {
        // Text in the default font carries no face of its own in Qt, so a
        // later font change reaches it; saving writes the face explicitly.
        Document doc;
        doc.paragraphs[0].text = u"typed";
        doc.paragraphs[0].runs = {Run{5, CharFormat{}, Run::kNoPicture}};
        QTextDocument qt;
        text::DefaultFont font{QStringLiteral("Calibri"), 14, 0x000000FF, false, 204};
        text::fillQtDocument(qt, doc, font, 96);
        QVERIFY(!qt.begin().begin().fragment().charFormat().hasProperty(QTextFormat::FontFamilies));
        font.face = QStringLiteral("Liberation Serif");
        font.points = 18;
        const Document back = text::readQtDocument(qt, {}, font, 96);
        QCOMPARE(describe(back), QStringLiteral("P align=0 li=0 ri=0 fi=0 sb=0 sa=0 sl=0\n"
                                                "  [typed] Liberation Serif/204 36 ff pict=-1"));
    }

    void picturesAreKeptForSaving()
    {
        Document doc;
        text::Picture pict;
        pict.source = "{\\pict\\wmetafile8 0102}";
        pict.widthGoal = 1440;
        pict.heightGoal = 720;
        doc.pictures.push_back(pict);
        doc.fonts = {{u"Calibri", 204}};
        doc.paragraphs[0].text = u"a\uFFFCb";
        doc.paragraphs[0].runs = {Run{1, CharFormat{0, 28}, -1}, Run{1, CharFormat{0, 28}, 0}, Run{1, CharFormat{0, 28}, -1}};
        QTextDocument qt;
        const text::DefaultFont font{QStringLiteral("Calibri"), 14, 0, true, 204};
        text::fillQtDocument(qt, doc, font, 96);
        const Document back = text::readQtDocument(qt, doc.pictures, font, 96);
        QCOMPARE(back.pictures.size(), size_t(1));
        QCOMPARE(back.pictures[0].source, pict.source);
        QCOMPARE(describe(back), describe(doc));
    }
};

int runQtDocumentTests(int argc, char** argv)
{
    QtDocumentTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "qt_document_test.moc"

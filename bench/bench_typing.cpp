// A keystroke at the end of a whole novel (5 MB, 80,000 formatted
// paragraphs) against one in an empty text area: the key event processed
// and the text area repainted.
#include "novel.h"
#include "paint_wait.h"
#include "ratio_reporter.h"
#include "text/area/qt_document.h"
#include "text/area/text_area.h"
#include "text/area/text_editor.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTextCursor>

#include <benchmark/benchmark.h>

namespace {

void typeOneKey(text::TextArea& area)
{
    auto* editor = area.editor();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QCoreApplication::sendEvent(editor, &press);
    QCoreApplication::sendEvent(editor, &release);
    editor->viewport()->repaint();
}

void prepare(text::TextArea& area, bool novel)
{
    area.resize(700, 550);
    area.show();
    if (novel)
        text::fillQtDocument(*area.editor()->document(), bench::makeNovelDocument(), area.defaultFont(), 96);
    area.FocusText();
    area.editor()->moveCursor(QTextCursor::End);
    QCoreApplication::processEvents();
    area.editor()->viewport()->repaint();
}

void BM_KeystrokeEmpty(benchmark::State& state)
{
    text::TextArea area;
    prepare(area, false);
    for (auto _ : state)
        typeOneKey(area);
}
BENCHMARK(BM_KeystrokeEmpty)->Unit(benchmark::kMicrosecond);

void BM_KeystrokeAtEndOfNovel(benchmark::State& state)
{
    text::TextArea area;
    prepare(area, true);
    for (auto _ : state)
        typeOneKey(area);
}
BENCHMARK(BM_KeystrokeAtEndOfNovel)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return runWithRatios(argc, argv, {{"BM_KeystrokeAtEndOfNovel", "BM_KeystrokeEmpty", 2.0}});
}

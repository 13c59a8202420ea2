// The text area's document layout against Qt's own, side by side in one
// run, on the generated 5 MB novel (80,000 paragraphs) in a 700-pixel text
// area: a keystroke at the start, middle and end (against one in an empty
// text area), opening the book until its first screen is painted (against
// the same load with no layout at all), a width change (against a plain
// repaint of the same screen) and scrolling a page (against scrolling in a
// document of two screens). Peak memory with the book open is measured in
// child processes of this program, one per layout, and reported at the end.
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>

#include <cstdio>
#include <memory>
#include <string>

#include "bench/novel.h"
#include "bench/ratio_reporter.h"
#include "text/area/text_area.h"
#include "text/area/text_editor.h"
#include "text/layout/document_layout.h"

namespace {

enum class Kind { None, Ours, Qts };

// "No layout attached": the document is built and kept, nothing is laid
// out or drawn. The baseline for the cost that laying out adds to opening.
class NoLayout : public QAbstractTextDocumentLayout {
public:
    using QAbstractTextDocumentLayout::QAbstractTextDocumentLayout;
    void draw(QPainter*, const PaintContext&) override {}
    int hitTest(const QPointF&, Qt::HitTestAccuracy) const override { return -1; }
    int pageCount() const override { return 1; }
    QSizeF documentSize() const override { return {}; }
    QRectF frameBoundingRect(QTextFrame*) const override { return {}; }
    QRectF blockBoundingRect(const QTextBlock&) const override { return {}; }

protected:
    void documentChanged(int, int, int) override {}
};

// Counts paints of the editing surface.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

const std::string& novelPath()
{
    static QTemporaryDir dir;
    static const std::string path = [] {
        const std::string p = dir.filePath(QStringLiteral("novel.rtf")).toStdString();
        const std::string rtf = bench::makeNovelRtf();
        QFile f(QString::fromStdString(p));
        f.open(QIODevice::WriteOnly);
        f.write(rtf.data(), static_cast<qint64>(rtf.size()));
        return p;
    }();
    return path;
}

// A text area as the writing window holds it, with the chosen layout.
struct Area {
    explicit Area(Kind kind)
    {
        area.show();
        QTextDocument* doc = area.editor()->document();
        if (kind == Kind::Ours) {
            text::installDocumentLayout(area.editor());
        } else if (kind == Kind::None) {
            doc->setDocumentLayout(new NoLayout(doc));
        } else if (qobject_cast<text::DocumentLayout*>(doc->documentLayout())) {
            // The text area installs ours; without a layout the document
            // creates Qt's own on first use.
            doc->setDocumentLayout(nullptr);
            doc->documentLayout();
        }
        counter = std::make_unique<PaintCounter>(area.editor()->viewport());
        settle();
    }

    QTextEdit* edit() const { return area.editor(); }

    // Delivers the posted update request, which paints; timers (idle layout,
    // the caret's blink) do not run, so only the work of this change counts.
    bool paint()
    {
        const int before = counter->paints;
        QCoreApplication::sendPostedEvents();
        for (int i = 0; i < 50 && counter->paints == before; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return counter->paints != before;
    }

    // Lets the layout finish everything it does later (idle or lazy layout).
    void complete()
    {
        if (auto* ours = qobject_cast<text::DocumentLayout*>(edit()->document()->documentLayout()))
            ours->finishLayout();
        edit()->document()->documentLayout()->documentSize();
        settle();
    }

    static void settle()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

    text::TextArea area;
    std::unique_ptr<PaintCounter> counter;
};

// The books stay open across benchmarks; main closes them before the
// application object goes.
std::unique_ptr<Area> books[3];

Area& bookArea(Kind kind)
{
    auto& a = books[static_cast<int>(kind)];
    if (!a) {
        a = std::make_unique<Area>(kind);
        a->area.LoadDocument(novelPath());
        a->complete();
    }
    return *a;
}

void typeKey(QTextEdit* edit)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QCoreApplication::sendEvent(edit, &press);
    QCoreApplication::sendEvent(edit, &release);
}

// where: -1 an empty text area, else the fraction of the book's paragraphs.
void keystroke(benchmark::State& state, Kind kind, double where)
{
    std::unique_ptr<Area> empty;
    Area* a = nullptr;
    if (where < 0) {
        empty = std::make_unique<Area>(kind);
        a = empty.get();
    } else {
        a = &bookArea(kind);
        QTextDocument* doc = a->edit()->document();
        const int block = qMin(doc->blockCount() - 1, static_cast<int>(where * doc->blockCount()));
        QTextCursor c(doc->findBlockByNumber(block));
        a->edit()->setTextCursor(c);
        a->edit()->ensureCursorVisible();
        a->complete();
    }
    for (auto _ : state) {
        typeKey(a->edit());
        if (!a->paint())
            state.SkipWithError("no paint");
    }
    a->edit()->document()->undo();
    a->complete();
}

void loadDocument(benchmark::State& state, Kind kind)
{
    novelPath();
    Area a(kind);
    for (auto _ : state) {
        a.area.LoadDocument(novelPath());
        if (!a.paint())
            state.SkipWithError("no paint");
        state.PauseTiming();
        a.area.ClearDocument();
        Area::settle();
        state.ResumeTiming();
    }
}

void widthChange(benchmark::State& state, Kind kind)
{
    Area& a = bookArea(kind);
    a.edit()->verticalScrollBar()->setValue(a.edit()->verticalScrollBar()->maximum() / 2);
    a.paint();
    int step = 0;
    for (auto _ : state) {
        a.area.SetAreaWidth(++step % 2 ? 690 : 700);
        if (!a.paint())
            state.SkipWithError("no paint");
    }
    a.area.SetAreaWidth(700);
    a.complete();
}

void repaint(benchmark::State& state, Kind kind)
{
    Area& a = bookArea(kind);
    a.edit()->verticalScrollBar()->setValue(a.edit()->verticalScrollBar()->maximum() / 2);
    a.paint();
    for (auto _ : state) {
        a.edit()->viewport()->update();
        if (!a.paint())
            state.SkipWithError("no paint");
    }
}

// Pages down through the middle of the book; in the two-screen document,
// down and back up, which is all it has.
void scrollPage(benchmark::State& state, Kind kind, bool twoScreens)
{
    std::unique_ptr<Area> small;
    Area* a = nullptr;
    if (twoScreens) {
        small = std::make_unique<Area>(kind);
        QTextEdit* edit = small->edit();
        while (edit->document()->documentLayout()->documentSize().height() < 2 * edit->viewport()->height())
            edit->append(QStringLiteral("A line of the two-screen document, long enough to wrap once or twice "
                                        "across the text area at its designed width of seven hundred pixels."));
        small->complete();
        a = small.get();
    } else {
        a = &bookArea(kind);
    }
    QScrollBar* bar = a->edit()->verticalScrollBar();
    const int start = twoScreens ? 0 : bar->maximum() / 2;
    bar->setValue(start);
    a->paint();
    int page = 0;
    for (auto _ : state) {
        ++page;
        bar->setValue(twoScreens ? (page % 2) * bar->pageStep() : start + (page % 200) * bar->pageStep());
        if (!a->paint())
            state.SkipWithError("no paint");
    }
}

void registerAll()
{
    struct Named {
        const char* name;
        Kind kind;
    };
    const Named kinds[] = {{"ours", Kind::Ours}, {"qt", Kind::Qts}};
    for (const Named& k : kinds) {
        const std::string n = k.name;
        const Kind kind = k.kind;
        benchmark::RegisterBenchmark(("Keystroke/empty/" + n).c_str(), [kind](benchmark::State& s) { keystroke(s, kind, -1); })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Keystroke/start/" + n).c_str(), [kind](benchmark::State& s) { keystroke(s, kind, 0); })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Keystroke/middle/" + n).c_str(), [kind](benchmark::State& s) { keystroke(s, kind, 0.5); })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Keystroke/end/" + n).c_str(), [kind](benchmark::State& s) { keystroke(s, kind, 1); })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Repaint/" + n).c_str(), [kind](benchmark::State& s) { repaint(s, kind); })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("WidthChange/" + n).c_str(), [kind](benchmark::State& s) { widthChange(s, kind); })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("ScrollPage/twoScreens/" + n).c_str(), [kind](benchmark::State& s) { scrollPage(s, kind, true); })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("ScrollPage/book/" + n).c_str(), [kind](benchmark::State& s) { scrollPage(s, kind, false); })->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("LoadDocument/none", [](benchmark::State& s) { loadDocument(s, Kind::None); })->Unit(benchmark::kMillisecond)->Iterations(5);
    benchmark::RegisterBenchmark("LoadDocument/ours", [](benchmark::State& s) { loadDocument(s, Kind::Ours); })->Unit(benchmark::kMillisecond)->Iterations(5);
    benchmark::RegisterBenchmark("LoadDocument/qt", [](benchmark::State& s) { loadDocument(s, Kind::Qts); })->Unit(benchmark::kMillisecond)->Iterations(5);
}

// Child mode: open the book with one layout, lay it out completely, and
// print the process's peak resident size and the heap in use, in KiB.
int peakMemory(Kind kind)
{
    {
        Area a(kind);
        a.area.LoadDocument(novelPath());
        a.paint();
        a.complete();
        struct rusage usage {};
        getrusage(RUSAGE_SELF, &usage);
        const struct mallinfo2 heap = mallinfo2();
        std::printf("%ld %zu\n", usage.ru_maxrss, heap.uordblks / 1024);
        std::fflush(stdout);
    }
    return 0;
}

bool childMemory(const char* argv0, const char* kind, long* peak, long* heap)
{
    const std::string command = std::string(argv0) + " --peak-memory=" + kind;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return false;
    const bool ok = std::fscanf(pipe, "%ld %ld", peak, heap) == 2;
    pclose(pipe);
    return ok;
}

void reportMemory(const char* argv0)
{
    long peak[3] = {}, heap[3] = {};
    const char* names[] = {"none", "ours", "qt"};
    for (int i = 0; i < 3; ++i) {
        if (!childMemory(argv0, names[i], &peak[i], &heap[i])) {
            std::printf("memory/%s: the measuring process failed\n", names[i]);
            return;
        }
        std::printf("memory/%s: peak %ld KiB, heap in use %ld KiB\n", names[i], peak[i], heap[i]);
    }
    if (peak[2] > 0 && heap[2] > 0)
        std::printf("ratio memory ours / qt: peak %.3f, heap %.3f (target <= 1.5)\n",
                    static_cast<double>(peak[1]) / static_cast<double>(peak[2]),
                    static_cast<double>(heap[1]) / static_cast<double>(heap[2]));
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--peak-memory=", 0) == 0) {
            const std::string kind = arg.substr(14);
            return peakMemory(kind == "ours" ? Kind::Ours : kind == "qt" ? Kind::Qts : Kind::None);
        }
    }
    registerAll();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({
        {"Keystroke/start/ours", "Keystroke/empty/ours", 2.0},
        {"Keystroke/middle/ours", "Keystroke/empty/ours", 2.0},
        {"Keystroke/end/ours", "Keystroke/empty/ours", 2.0},
        {"Keystroke/start/qt", "Keystroke/empty/qt", 0},
        {"Keystroke/middle/qt", "Keystroke/empty/qt", 0},
        {"LoadDocument/ours/iterations:5", "LoadDocument/none/iterations:5", 1.1},
        {"LoadDocument/qt/iterations:5", "LoadDocument/none/iterations:5", 0},
        {"WidthChange/ours", "Repaint/ours", 5.0},
        {"WidthChange/qt", "Repaint/qt", 0},
        {"ScrollPage/book/ours", "ScrollPage/twoScreens/ours", 2.0},
        {"ScrollPage/book/qt", "ScrollPage/twoScreens/qt", 0},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    for (auto& book : books)
        book.reset();
    reportMemory(argv[0]);
    std::fflush(stdout);
    return 0;
}

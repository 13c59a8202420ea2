// Start-up to the writing window's first paint, built exactly as the
// program builds it, against a bare frameless full-screen window's first
// paint. Side files are absent: their decoding is measured on its own.
#include "app/application.h"
#include "forms/Dl.h"
#include "paint_wait.h"
#include "ratio_reporter.h"
#include "platform/fakes/fake_message_boxes.h"
#include "platform/screen.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void BM_BareWindowFirstPaint(benchmark::State& state) { measureBareWindowFirstPaint(state); }
BENCHMARK(BM_BareWindowFirstPaint)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_StartUpFirstPaint(benchmark::State& state)
{
    platform::ScopedMessageBoxes boxes; // missing side files report here
    auto* app = static_cast<TApplication*>(QCoreApplication::instance());
    for (auto _ : state) {
        app->CreateWindows();
        {
            PaintWatch watch(Form1);
            app->ShowMainWindow();
            if (!watch.wait())
                state.SkipWithError("no paint");
        }
        state.PauseTiming();
        app->DestroyWindows();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpFirstPaint)->Unit(benchmark::kMillisecond)->MinTime(2);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    return runWithRatios(argc, argv, {{"BM_StartUpFirstPaint/min_time:2.000", "BM_BareWindowFirstPaint/min_time:2.000", 1.3}});
}

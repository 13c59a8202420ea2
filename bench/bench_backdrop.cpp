// The writing window's backdrop: a 3840 x 2160 JPEG stretched over a
// 1920 x 1080 picture control. The first paint decodes and scales once; a
// repaint should cost no more than a widget that only copies a ready
// QImage of the control's size, repainted the same way beside it.
#include "media/picture_qt/image.h"
#include "media/picture/tests/jpeg_builder.h"

#include <QApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

constexpr int kPhotoWidth = 3840, kPhotoHeight = 2160;
constexpr int kScreenWidth = 1920, kScreenHeight = 1080;

// Smooth gradients with fine texture, so the JPEG costs what a photo does.
const std::string& backdropJpeg()
{
    static const std::string file = [] {
        std::vector<uint8_t> samples(static_cast<size_t>(kPhotoWidth) * kPhotoHeight * 3);
        uint32_t noise = 12345;
        size_t i = 0;
        for (int y = 0; y < kPhotoHeight; ++y) {
            for (int x = 0; x < kPhotoWidth; ++x) {
                noise = noise * 1664525u + 1013904223u;
                const int grain = static_cast<int>(noise >> 28);
                samples[i++] = static_cast<uint8_t>((x * 255 / kPhotoWidth + grain) & 0xFF);
                samples[i++] = static_cast<uint8_t>((y * 255 / kPhotoHeight + grain) & 0xFF);
                samples[i++] = static_cast<uint8_t>(128 + 100 * std::sin((x + y) / 300.0));
            }
        }
        return picture::testing::buildJpeg({.width = kPhotoWidth, .height = kPhotoHeight, .quality = 85}, samples);
    }();
    return file;
}

std::unique_ptr<picture_qt::TGraphic> loadedBackdrop()
{
    auto graphic = std::make_unique<picture_qt::TJPEGImage>();
    graphic->LoadFromBytes(backdropJpeg());
    return graphic;
}

// The baseline: a widget whose paint is one QImage blit.
class BlitWidget : public QWidget {
public:
    explicit BlitWidget(QWidget* parent) : QWidget(parent), picture_(kScreenWidth, kScreenHeight, QImage::Format_RGB32)
    {
        picture_.fill(Qt::darkCyan);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.drawImage(0, 0, picture_);
    }

private:
    QImage picture_;
};

// A shown control at the screen's size; repaint() paints it at once into
// the window's backing store, the way the program's screen sees it. The
// baseline widget sits in a window of its own, painted the same way.
struct Stage {
    Stage()
    {
        blitWindow.resize(kScreenWidth, kScreenHeight);
        blit = new BlitWidget(&blitWindow);
        blit->setGeometry(0, 0, kScreenWidth, kScreenHeight);
        blitWindow.show();
        window.resize(kScreenWidth, kScreenHeight);
        image = new picture_qt::TImage(&window);
        image->setStretch(true);
        image->setCenter(true);
        image->setGeometry(0, 0, kScreenWidth, kScreenHeight);
        window.show();
        QCoreApplication::processEvents();
    }
    QWidget window;
    picture_qt::TImage* image;
    QWidget blitWindow;
    BlitWidget* blit;
};

double repaintSeconds(QWidget* widget)
{
    QElapsedTimer timer;
    timer.start();
    widget->repaint();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

void BM_QImageBlitWidget(benchmark::State& state)
{
    Stage stage;
    for (auto _ : state)
        state.SetIterationTime(repaintSeconds(stage.blit));
}

// Times the control's repaint per iteration and the baseline's right after
// it, and reports the ratio of the two totals.
template <typename Prepare>
void measureAgainstBlit(benchmark::State& state, Stage& stage, Prepare prepare)
{
    double paintTotal = 0, blitTotal = 0;
    for (auto _ : state) {
        prepare();
        const double seconds = repaintSeconds(stage.image);
        state.SetIterationTime(seconds);
        paintTotal += seconds;
        blitTotal += repaintSeconds(stage.blit);
    }
    state.counters["ratio_to_blit"] = blitTotal > 0 ? paintTotal / blitTotal : 0;
}

void BM_BackdropFirstPaint(benchmark::State& state)
{
    Stage stage;
    measureAgainstBlit(state, stage, [&] { stage.image->Picture().setGraphic(loadedBackdrop()); });
    state.counters["renders"] = stage.image->cacheRenders();
}

void BM_BackdropRepaint(benchmark::State& state)
{
    Stage stage;
    stage.image->Picture().setGraphic(loadedBackdrop());
    stage.image->repaint();
    measureAgainstBlit(state, stage, [] {});
    state.counters["renders"] = stage.image->cacheRenders(); // 1: scaled once
}

BENCHMARK(BM_QImageBlitWidget)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BackdropFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_BackdropRepaint)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    backdropJpeg();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

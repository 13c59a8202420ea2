// Waits for the next paint anywhere in a window (the backdrop covering it
// takes the window's own paint), the moment a writer first sees it.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QWidget>

#include <benchmark/benchmark.h>

#include "platform/screen.h"

class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* w) : widget_(w) { QCoreApplication::instance()->installEventFilter(this); }

    // Processes events until the widget has been painted (or 5 s passed).
    bool wait()
    {
        QElapsedTimer t;
        t.start();
        while (!painted_ && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const bool ok = painted_;
        painted_ = false;
        return ok;
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && o->isWidgetType() && static_cast<QWidget*>(o)->window() == widget_)
            painted_ = true;
        return false;
    }

private:
    QWidget* widget_;
    bool painted_ = false;
};

// The baseline of the start-up benchmarks: a bare frameless full-screen
// window's first paint.
inline void measureBareWindowFirstPaint(benchmark::State& state)
{
    for (auto _ : state) {
        QWidget w(nullptr, Qt::FramelessWindowHint);
        w.setGeometry(0, 0, platform::screen().width(), platform::screen().height());
        PaintWatch watch(&w);
        w.showFullScreen();
        if (!watch.wait())
            state.SkipWithError("no paint");
    }
}

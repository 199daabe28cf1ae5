// The preview of the workspace window: rebuilding the scaled copy of a
// 6000 x 4000 camera picture for an Overall page in an 800 x 600 window
// (what every zoom, scale or window-size change costs), compared with Qt's
// own smooth scaling of the same picture to the same size; and a repaint
// while the picture is dragged, which only copies the kept pixels.

#include "workspace/qt/preview_cache.h"
#include "workspace/qt/preview_placement.h"

#include <QGuiApplication>
#include <QPainter>

#include <benchmark/benchmark.h>

using namespace orvanto;

namespace {

const QImage& Picture()
{
    static const QImage picture = [] {
        QImage made(6000, 4000, QImage::Format_BGR888);
        for (int y = 0; y < made.height(); ++y) {
            uchar* row = made.scanLine(y);
            for (int i = 0; i < made.width() * 3; ++i)
                row[i] = uchar(i * 7 + y * 13);
        }
        return made;
    }();
    return picture;
}

// An 800 x 600 window: the preview box inside its border above a settings
// bar of 52 pixels; a portrait page of 2400 x 3000 with the picture fitted
// to it (the default scale), so the picture covers the whole page.
TPreviewFrame OverallFrame()
{
    const QSize client(798, 600 - 52 - 2);
    const TPreviewPlacement placement = FitPreviewPage(client, 3000.0L / 2400.0L, 0);
    TPreviewFrame frame;
    frame.Page = placement.Page;
    frame.Visible = QRect(QPoint(0, 0), placement.Page);
    frame.Width = placement.Page.width();
    frame.Height = placement.Page.height();
    frame.Background = Qt::white;
    return frame;
}

void BM_PreviewCacheRebuild(benchmark::State& state)
{
    const TPreviewFrame frame = OverallFrame();
    QImage page(frame.Page, QImage::Format_RGB32);
    TPreviewCache cache;
    for (auto _ : state) {
        QPainter painter(&page);
        if (!cache.Paint(painter, &Picture(), frame, true))
            state.SkipWithError("the scaled copy could not be made");
    }
    state.counters["page_w"] = frame.Page.width();
    state.counters["page_h"] = frame.Page.height();
}

void BM_QImageScaledSmooth(benchmark::State& state)
{
    const TPreviewFrame frame = OverallFrame();
    for (auto _ : state) {
        QImage scaled = Picture().scaled(frame.Page, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        benchmark::DoNotOptimize(scaled.constBits());
    }
}

// A picture at half the page's size, dragged one pixel per repaint.
void BM_PreviewRepaintDuringDrag(benchmark::State& state)
{
    TPreviewFrame frame = OverallFrame();
    frame.Width /= 2;
    frame.Height /= 2;
    QImage page(frame.Page, QImage::Format_RGB32);
    TPreviewCache cache;
    {
        QPainter painter(&page);
        cache.Paint(painter, &Picture(), frame, true);
    }
    int step = 0;
    for (auto _ : state) {
        frame.Left = frame.Top = ++step % 50;
        QPainter painter(&page);
        if (!cache.Paint(painter, &Picture(), frame, false))
            state.SkipWithError("the page could not be drawn");
    }
}

BENCHMARK(BM_PreviewCacheRebuild)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QImageScaledSmooth)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PreviewRepaintDuringDrag)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

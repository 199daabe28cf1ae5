// The preview of the workspace window with a 6000 x 4000 camera picture:
// rebuilding the scaled copy for an Overall page in an 800 x 600 window
// (what every zoom, scale or window-size change costs), compared with Qt's
// own smooth scaling of the same picture to the same size; and one step of
// a drag, which moves the picture and repaints the page from the kept copy.
// The window runs on Qt's offscreen platform.

#include "platform/platform.h"
#include "platform/recording_clipboard.h"
#include "platform/recording_printer.h"
#include "workspace/print_workspace.h"
#include "workspace/qt/preview_cache.h"
#include "workspace/qt/print_workspace_window.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

using namespace orvanto;

namespace {

QImage Picture()
{
    QImage made(6000, 4000, QImage::Format_BGR888);
    for (int y = 0; y < made.height(); ++y) {
        uchar* row = made.scanLine(y);
        for (int i = 0; i < made.width() * 3; ++i)
            row[i] = uchar(i * 7 + y * 13);
    }
    return made;
}

// One workspace window of 800 x 600 with the picture pasted, for the whole
// run: a portrait page of 2400 x 3000 with the picture fitted to it (the
// default scale), so the picture covers the whole page.
struct TBench {
    TBench()
    {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "bench_workspace_preview";
        static char* argv[] = {name, nullptr};
        Application = std::make_unique<QApplication>(argc, argv);
        auto printer = std::make_unique<TRecordingPrinter>();
        printer->PortraitWidth = 2400;
        printer->PortraitHeight = 3000;
        Platform().SetPrinter(std::move(printer));
        auto clipboard = std::make_unique<TRecordingClipboard>();
        clipboard->Content = Picture();
        Platform().SetClipboard(std::move(clipboard));
        Workspace = std::make_unique<TPrintWorkspace>();
        Window = std::make_unique<TPrintWorkspaceWindow>(*Workspace);
        Window->resize(800, 600);
        Window->show();
        QCoreApplication::processEvents();
        Workspace->PasteFromClipboard();
        QCoreApplication::processEvents();
        Page = Window->findChild<QWidget*>("Page");
    }
    std::unique_ptr<QApplication> Application;
    std::unique_ptr<TPrintWorkspace> Workspace;
    std::unique_ptr<TPrintWorkspaceWindow> Window;
    QWidget* Page = nullptr;
};

TBench& Bench()
{
    static TBench bench;
    return bench;
}

void BM_WindowPreviewRebuild(benchmark::State& state)
{
    TBench& bench = Bench();
    for (auto _ : state) {
        bench.Window->WorkspaceChanged(wcPicture);
        bench.Window->PaintPreview();
    }
    if (bench.Window->PaintFailed())
        state.SkipWithError("the page could not be drawn");
    state.counters["page_w"] = bench.Page->width();
    state.counters["page_h"] = bench.Page->height();
}

// The resampler alone, into a copy of the page's size.
void BM_PreviewCacheRebuild(benchmark::State& state)
{
    TBench& bench = Bench();
    TPreviewFrame frame;
    frame.Page = bench.Page->size();
    frame.Visible = bench.Page->rect();
    frame.Width = frame.Page.width();
    frame.Height = frame.Page.height();
    QImage page(frame.Page, QImage::Format_RGB32);
    TPreviewCache cache;
    for (auto _ : state) {
        QPainter painter(&page);
        if (!cache.Paint(painter, &bench.Workspace->Picture().Bitmap(), frame, true))
            state.SkipWithError("the scaled copy could not be made");
    }
}

void BM_QImageScaledSmooth(benchmark::State& state)
{
    TBench& bench = Bench();
    for (auto _ : state) {
        QImage scaled = bench.Workspace->Picture().Bitmap().scaled(bench.Page->size(), Qt::IgnoreAspectRatio,
                                                                   Qt::SmoothTransformation);
        benchmark::DoNotOptimize(scaled.constBits());
    }
}

// Position Custom, the picture at half its size (so it moves on the page):
// each step is one mouse move of a pixel and the repaint it asks for.
void BM_WindowRepaintDuringDrag(benchmark::State& state)
{
    TBench& bench = Bench();
    TPrintWorkspaceInfo info = bench.Workspace->Info();
    info.Position = ppCustom;
    info.Scale = psCustomFixed;
    info.ZoomXY = -1600;
    bench.Workspace->ApplyInfo(info);
    bench.Window->PaintPreview();
    const auto send = [&](QEvent::Type type, QPoint at) {
        QMouseEvent event(type, QPointF(at), bench.Page->mapToGlobal(QPointF(at)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(bench.Page, &event);
    };
    send(QEvent::MouseButtonPress, {100, 100});
    int step = 0;
    for (auto _ : state) {
        send(QEvent::MouseMove, {100 + (++step % 20), 100});
        bench.Page->repaint();
    }
    send(QEvent::MouseButtonRelease, {100, 100});
    if (bench.Window->PaintFailed())
        state.SkipWithError("the page could not be drawn");
}

BENCHMARK(BM_WindowPreviewRebuild)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PreviewCacheRebuild)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QImageScaledSmooth)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WindowRepaintDuringDrag)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

// The print workspace on a 6000 x 4000 photograph (24 megapixels, 72 MB):
// rendering the page bitmap for A4 at 1200 dpi (Fit to Page, High, the
// default 15 MB budget) against Qt's smooth scaling to the same size, and
// both on fine lines for quality; the
// peak memory of a whole print to the recording printer; a quarter turn and
// its undo against the raster transform alone.

#include "platform/platform.h"
#include "platform/recording_clipboard.h"
#include "platform/recording_printer.h"
#include "raster/raster_transforms.h"
#include "raster/resampler.h"
#include "support/memory/picture_memory.h"
#include "workspace/page_bitmap.h"
#include "workspace/print_workspace.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace orvanto;

namespace {

constexpr int PictureWidth = 6000;
constexpr int PictureHeight = 4000;
// A4 at 1200 dpi.
constexpr int PageWidth = 9921;
constexpr int PageHeight = 14031;

// Smooth gradients with fine detail over them, like a photograph: nothing a
// scaler could skip as flat.
QImage MakePhotograph()
{
    QImage made = NewPictureMemory(PictureWidth, PictureHeight);
    for (int y = 0; y < made.height(); ++y) {
        uchar* row = made.scanLine(y);
        for (int x = 0; x < made.width(); ++x) {
            row[3 * x] = uchar(x / 24 + ((x * y) & 15));
            row[3 * x + 1] = uchar(y / 16 + ((x ^ y) & 31));
            row[3 * x + 2] = uchar((x + y) / 40 + ((x * 7 + y * 3) & 7));
        }
    }
    return made;
}

const QImage& Photograph()
{
    static const QImage picture = MakePhotograph();
    return picture;
}

// The page bitmap of the default budget for this page: 3 bytes a pixel
// within 15,000,000 bytes, the page's aspect.
QSize PageBitmapSize()
{
    const double aspect = double(PageHeight) / PageWidth;
    int n = PageWidth;
    while (std::int64_t(n) * std::lround(n * aspect) * 3 > 15000000)
        --n;
    int width = n, height = int(std::lround(n * aspect));
    FitPageBitmap(width, height, 15000000);
    return {width, height};
}

void BM_PageBitmap_Resampler(benchmark::State& state)
{
    const QImage& picture = Photograph();
    const QSize size = PageBitmapSize();
    for (auto _ : state) {
        QImage page = DrawPageBitmap(picture, size.width(), size.height(), 0, 0, size.width(),
                                     size.height(), 0xFFFFFF);
        if (page.isNull())
            state.SkipWithError("no page bitmap");
        benchmark::DoNotOptimize(page.constBits());
    }
    state.counters["page_px"] = double(size.width()) * size.height();
}

// The same photograph As Is zoomed by +3200 % (33 times) and centred: only the
// part on the page is scaled, so it costs no more than the whole picture.
void BM_PageBitmap_Zoomed3200(benchmark::State& state)
{
    const QImage& picture = Photograph();
    const QSize size = PageBitmapSize();
    const std::int64_t width = std::int64_t(size.width()) * 33 * PictureWidth / PageWidth;
    const std::int64_t height = std::int64_t(size.height()) * 33 * PictureHeight / PageHeight;
    for (auto _ : state) {
        QImage page = DrawPageBitmap(picture, size.width(), size.height(), int((size.width() - width) / 2),
                                     int((size.height() - height) / 2), int(width), int(height), 0xFFFFFF);
        if (page.isNull())
            state.SkipWithError("no page bitmap");
        benchmark::DoNotOptimize(page.constBits());
    }
}

void BM_PageBitmap_QtSmoothScaled(benchmark::State& state)
{
    const QImage& picture = Photograph();
    const QSize size = PageBitmapSize();
    for (auto _ : state) {
        QImage page = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        benchmark::DoNotOptimize(page.constBits());
    }
}

// Quality beside speed: one-pixel black and white columns reduced by 1.6;
// the counters give the lightest and darkest column in percent (an even grey
// is 50, moiré shows as columns near 0 or 100).
void StripesCounters(benchmark::State& state, const std::function<QImage(const QImage&, QSize)>& scale)
{
    QImage stripes(1600, 16, QImage::Format_BGR888);
    for (int x = 0; x < stripes.width(); ++x)
        for (int y = 0; y < stripes.height(); ++y)
            stripes.setPixelColor(x, y, x % 2 ? Qt::white : Qt::black);
    QImage reduced;
    for (auto _ : state)
        reduced = scale(stripes, QSize(1000, 10));
    int lightest = 0, darkest = 255;
    for (int x = 0; x < reduced.width(); ++x) {
        lightest = std::max(lightest, qGray(reduced.pixel(x, 5)));
        darkest = std::min(darkest, qGray(reduced.pixel(x, 5)));
    }
    state.counters["lightest_pct"] = lightest * 100.0 / 255;
    state.counters["darkest_pct"] = darkest * 100.0 / 255;
}

void BM_Stripes_Resampler(benchmark::State& state)
{
    StripesCounters(state, [](const QImage& picture, QSize size) {
        return ScaledPicture(picture, size.width(), size.height());
    });
}

void BM_Stripes_QtSmoothScaled(benchmark::State& state)
{
    StripesCounters(state, [](const QImage& picture, QSize size) {
        return picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    });
}

long StatusKilobytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(key.size()));
    return -1;
}

// A whole print of the photograph to the recording printer, measured in a
// fresh process (this program run again), so that no memory the benchmarks
// before it freed and kept is counted or reused: resident memory before the
// picture is made, against the peak during the print.
double PrintPeakExtraMb()
{
    auto printer = std::make_unique<TRecordingPrinter>();
    printer->ResolutionX = printer->ResolutionY = 1200;
    printer->PortraitWidth = PageWidth;
    printer->PortraitHeight = PageHeight;
    Platform().SetPrinter(std::move(printer));
    auto clipboard = std::make_unique<TRecordingClipboard>();
    TRecordingClipboard* board = clipboard.get();
    Platform().SetClipboard(std::move(clipboard));
    TPrintWorkspace workspace;
    TPrintWorkspaceInfo info = workspace.Info();
    info.Quality = pqHigh;
    workspace.ApplyInfo(info);
    const long before = StatusKilobytes("VmRSS");
    board->Content = MakePhotograph();
    workspace.PasteFromClipboard();
    board->Content = QImage();
    if (!workspace.Print())
        return -1;
    return (StatusKilobytes("VmHWM") - before) / 1000.0;
}

// Runs before main when this program is started as the measuring process.
const bool PeakChild = [] {
    const char* fd = std::getenv("ORVANTO_PEAK_FD");
    if (!fd)
        return false;
    const double extra = PrintPeakExtraMb();
    (void)!write(std::atoi(fd), &extra, sizeof extra);
    _exit(0);
}();

void BM_PrintPeakMemory(benchmark::State& state)
{
    const QSize size = PageBitmapSize();
    const double pictureMb = double(PictureWidth) * PictureHeight * 3 / 1e6;
    const double pageMb = double(size.width()) * size.height() * 3 / 1e6;
    double extraMb = -1;
    for (auto _ : state) {
        int ends[2];
        if (pipe(ends) != 0)
            break;
        const pid_t child = fork();
        if (child == 0) {
            setenv("ORVANTO_PEAK_FD", std::to_string(ends[1]).c_str(), 1);
            execl("/proc/self/exe", "bench_print_workspace", static_cast<char*>(nullptr));
            _exit(1);
        }
        close(ends[1]);
        if (read(ends[0], &extraMb, sizeof extraMb) != sizeof extraMb)
            extraMb = -1;
        close(ends[0]);
        waitpid(child, nullptr, 0);
    }
    if (extraMb < 0) {
        state.SkipWithError("the measuring print failed");
        return;
    }
    state.counters["peak_MB"] = extraMb;
    state.counters["picture_plus_page_MB"] = pictureMb + pageMb;
    state.counters["ratio"] = extraMb / (pictureMb + pageMb);
}

void BM_WorkspaceRotate90AndUndo(benchmark::State& state)
{
    auto clipboard = std::make_unique<TRecordingClipboard>();
    TRecordingClipboard* board = clipboard.get();
    auto previous = Platform().SetClipboard(std::move(clipboard));
    {
        TPrintWorkspace workspace;
        board->Content = MakePhotograph();
        workspace.PasteFromClipboard();
        board->Content = QImage();
        for (auto _ : state) {
            if (!workspace.Rotate(90) || !workspace.Undo())
                state.SkipWithError(workspace.LastError().c_str());
        }
    }
    Platform().SetClipboard(std::move(previous));
}

void BM_RasterRotate90AndBack(benchmark::State& state)
{
    QImage picture = MakePhotograph();
    for (auto _ : state) {
        for (int angle : {90, -90}) {
            TManipulationInfo info;
            info.Bitmap = &picture;
            info.Rect = PictureRect(&picture);
            if (!RotateBy(info, angle))
                state.SkipWithError(info.ErrorText.c_str());
        }
        benchmark::DoNotOptimize(picture.constBits());
    }
}

BENCHMARK(BM_PageBitmap_Resampler)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PageBitmap_Zoomed3200)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PageBitmap_QtSmoothScaled)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Stripes_Resampler)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stripes_QtSmoothScaled)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintPeakMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_WorkspaceRotate90AndUndo)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RasterRotate90AndBack)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

// The raster transforms on a 6000 x 4000 picture (24 megapixels, 72 MB), the
// size of a camera picture the user turns while waiting.

#include "raster/raster_transforms.h"

#include <benchmark/benchmark.h>

#include <functional>

using namespace orvanto;

namespace {

QImage& Picture()
{
    static QImage picture = [] {
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

void Run(benchmark::State& state, const std::function<bool(TManipulationInfo&)>& operation)
{
    QImage& picture = Picture();
    for (auto _ : state) {
        TManipulationInfo info;
        info.Bitmap = &picture;
        info.Rect = PictureRect(&picture);
        if (!operation(info))
            state.SkipWithError(info.ErrorText.c_str());
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.SetBytesProcessed(state.iterations() * picture.sizeInBytes());
}

void BM_RotateQuarterClockwise(benchmark::State& state)
{
    Run(state, [](TManipulationInfo& info) { return RotateQuarter(info, RotateClockwise); });
}
void BM_RotateQuarterCounterClockwise(benchmark::State& state)
{
    Run(state, [](TManipulationInfo& info) { return RotateQuarter(info, RotateCounterClockwise); });
}
void BM_RotateHalf(benchmark::State& state)
{
    Run(state, [](TManipulationInfo& info) { return RotateBy(info, 180); });
}
void BM_FlipVertical(benchmark::State& state) { Run(state, FlipVertical); }
void BM_MirrorHorizontal(benchmark::State& state) { Run(state, MirrorHorizontal); }
void BM_InvertColors(benchmark::State& state) { Run(state, InvertColors); }

BENCHMARK(BM_RotateQuarterClockwise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateQuarterCounterClockwise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateHalf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlipVertical)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MirrorHorizontal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InvertColors)->Unit(benchmark::kMillisecond);

} // namespace

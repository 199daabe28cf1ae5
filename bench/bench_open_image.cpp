// What opening through the format registry costs over calling a reader
// directly: a 4000 x 3000 raw pixmap, bitmap and JPEG, each opened both ways.
// The dispatch should add no pass over the pixels, and a progress listener
// (as the main window's status bar) no measurable time.
#include "imaging/bitmap/bitmap_reader.h"
#include "imaging/codecs/portable_pixelmap.h"
#include "imaging/library/jpeg_codec.h"
#include "imaging/open_image.h"

#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

using namespace orvanto;

namespace {

constexpr int Width = 4000;
constexpr int Height = 3000;

std::string SampleFile(const char* extension)
{
    const std::string path = QDir::tempPath().toStdString() + "/bench-open-image" + extension;
    if (QFile::exists(QString::fromStdString(path)))
        return path;
    QImage picture(Width, Height, QImage::Format_RGB888);
    for (int y = 0; y < Height; ++y) {
        std::uint8_t* row = picture.scanLine(y);
        for (int x = 0; x < Width * 3; ++x)
            row[x] = std::uint8_t(x * 7 + y * 3);
    }
    if (extension[1] == 'j') {
        std::string error;
        SaveJpegFile(picture.convertToFormat(QImage::Format_BGR888), 90, path, error);
    } else {
        picture.save(QString::fromStdString(path), extension[1] == 'p' ? "PPM" : "BMP");
    }
    return path;
}

void OpenThroughRegistry(benchmark::State& state, const char* extension, bool listen)
{
    const std::string path = SampleFile(extension);
    TOpenImage* registry = OpenImage();
    std::int64_t reports = 0;
    for (auto _ : state) {
        QImage bitmap;
        TImageInfoRec info{path, 16777215, "", &bitmap};
        if (listen)
            info.OnProgress = [&reports](int) { ++reports; };
        if (!registry->Open(info))
            state.SkipWithError(info.ErrorText.c_str());
        benchmark::DoNotOptimize(bitmap.constBits());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(Width) * Height * 3);
    if (listen)
        state.counters["reports"] = benchmark::Counter(double(reports), benchmark::Counter::kAvgIterations);
}

void PixmapDirect(benchmark::State& state)
{
    const std::string path = SampleFile(".ppm");
    for (auto _ : state) {
        TPortablePixelmap codec;
        if (!codec.TryLoadFromFile(path))
            state.SkipWithError(codec.LastError.c_str());
        benchmark::DoNotOptimize(codec.Picture.constBits());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(Width) * Height * 3);
}

void BitmapDirect(benchmark::State& state)
{
    const std::string path = SampleFile(".bmp");
    for (auto _ : state) {
        QImage picture;
        std::string error;
        if (!ReadBitmapFile(path, picture, error))
            state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(Width) * Height * 3);
}

void JpegDirect(benchmark::State& state)
{
    const std::string path = SampleFile(".jpg");
    for (auto _ : state) {
        QImage picture;
        std::string error;
        if (!ReadJpegFile(path, picture, error))
            state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(Width) * Height * 3);
}

BENCHMARK_CAPTURE(OpenThroughRegistry, pixmap, ".ppm", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenThroughRegistry, pixmap_listened, ".ppm", true)->Unit(benchmark::kMillisecond);
BENCHMARK(PixmapDirect)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenThroughRegistry, bitmap, ".bmp", false)->Unit(benchmark::kMillisecond);
BENCHMARK(BitmapDirect)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenThroughRegistry, jpeg, ".jpg", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OpenThroughRegistry, jpeg_listened, ".jpg", true)->Unit(benchmark::kMillisecond);
BENCHMARK(JpegDirect)->Unit(benchmark::kMillisecond);

} // namespace

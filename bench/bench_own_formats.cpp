// Orvanto's own formats: a 1000 x 1000 Text Picture at 6 bits, and a
// 6000 x 4000 photo and drawing as Optimised Multiformat Image (whose saver
// may encode up to eight JPEGs to choose its payload).
#include "imaging/codecs/text_picture.h"
#include "imaging/optimised_image.h"

#include <QBuffer>

#include <benchmark/benchmark.h>

#include <cmath>

using namespace orvanto;

namespace {

QImage Photo(int width, int height)
{
    QImage picture(width, height, QImage::Format_BGR888);
    std::uint32_t noise = 1;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = picture.scanLine(y);
        for (int x = 0; x < width * 3; ++x) {
            noise = noise * 1103515245u + 12345u;
            row[x] = std::uint8_t(127 + 90 * std::sin(x * 0.004 + y * 0.007) + (noise >> 28));
        }
    }
    return picture;
}

QImage Drawing(int width, int height, int colours)
{
    QImage picture(width, height, QImage::Format_BGR888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int c = (x / 37 + y / 23) % colours;
            picture.setPixel(x, y, qRgb(c * 4, 255 - c * 3, (c * 40) % 256));
        }
    return picture;
}

QByteArray SaveTextPicture(const QImage& picture)
{
    TTextPicture codec;
    codec.AssignBitmap(picture);
    codec.SetBitsPerPixel(6);
    codec.SetLineStyle(2);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    codec.SaveToStream(buffer);
    return bytes;
}

void BM_TextPictureSave(benchmark::State& state)
{
    const QImage picture = Drawing(1000, 1000, 64);
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveTextPicture(picture));
}

void BM_TextPictureLoad(benchmark::State& state)
{
    const std::string text = SaveTextPicture(Drawing(1000, 1000, 64)).toStdString();
    for (auto _ : state) {
        TTextPicture codec;
        benchmark::DoNotOptimize(codec.LoadFromText(text));
    }
}

void OptimisedSave(benchmark::State& state, const QImage& picture)
{
    for (auto _ : state) {
        TOptimisedImage codec;
        codec.AssignBitmap(picture);
        std::string text;
        benchmark::DoNotOptimize(codec.Encode(text));
        state.counters["bytes"] = double(text.size());
    }
}

void OptimisedLoad(benchmark::State& state, const QImage& picture)
{
    TOptimisedImage source;
    source.AssignBitmap(picture);
    std::string text;
    source.Encode(text);
    for (auto _ : state) {
        TOptimisedImage codec;
        benchmark::DoNotOptimize(codec.Decode(text));
    }
}

void BM_OptimisedSavePhoto(benchmark::State& state) { OptimisedSave(state, Photo(6000, 4000)); }
void BM_OptimisedSaveDrawing(benchmark::State& state) { OptimisedSave(state, Drawing(6000, 4000, 5)); }
void BM_OptimisedLoadPhoto(benchmark::State& state) { OptimisedLoad(state, Photo(6000, 4000)); }
void BM_OptimisedLoadDrawing(benchmark::State& state) { OptimisedLoad(state, Drawing(6000, 4000, 5)); }

BENCHMARK(BM_TextPictureSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextPictureLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OptimisedSavePhoto)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_OptimisedSaveDrawing)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_OptimisedLoadPhoto)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OptimisedLoadDrawing)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

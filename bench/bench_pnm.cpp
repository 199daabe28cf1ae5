#include "imaging/codecs/portable_pixelmap.h"
#include "imaging/codecs/x_bitmap.h"

#include <QBuffer>

#include <benchmark/benchmark.h>

#include <random>

using namespace orvanto;

namespace {

// A picture of noise, so plain samples take their usual one to three digits.
QImage NoisePicture(int width, int height, bool monochrome)
{
    QImage picture(width, height, QImage::Format_BGR888);
    std::mt19937 random(42);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = picture.scanLine(y);
        for (int x = 0; x < width * 3; x += 3) {
            const std::uint32_t value = random();
            if (monochrome) {
                row[x] = row[x + 1] = row[x + 2] = (value & 1) ? 0 : 255;
            } else {
                row[x] = std::uint8_t(value);
                row[x + 1] = std::uint8_t(value >> 8);
                row[x + 2] = std::uint8_t(value >> 16);
            }
        }
    }
    return picture;
}

template <typename Codec>
QByteArray Encode(const QImage& picture, int type)
{
    Codec codec;
    codec.AssignBitmap(picture);
    if constexpr (std::is_same_v<Codec, TPortablePixelmap>)
        codec.SetPixelType(type);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    codec.SaveToStream(buffer);
    return data;
}

template <typename Codec>
void Decode(benchmark::State& state, int width, int height, int type)
{
    const bool monochrome = type == 1 || type == 4 || type == 0;
    const QByteArray data = Encode<Codec>(NoisePicture(width, height, monochrome), type);
    for (auto _ : state) {
        QByteArray copy = data; // shared, not copied
        QBuffer buffer(&copy);
        buffer.open(QIODevice::ReadOnly);
        Codec codec;
        codec.LoadFromStream(buffer);
        benchmark::DoNotOptimize(codec.Picture.constBits());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * data.size());
}

template <typename Codec>
void EncodeBench(benchmark::State& state, int width, int height, int type)
{
    const bool monochrome = type == 1 || type == 4 || type == 0;
    const QImage picture = NoisePicture(width, height, monochrome);
    std::int64_t bytes = 0;
    for (auto _ : state) {
        const QByteArray data = Encode<Codec>(picture, type);
        bytes += data.size();
    }
    state.SetBytesProcessed(bytes);
}

void BM_ReadRawPixmap(benchmark::State& state) { Decode<TPortablePixelmap>(state, 6000, 4000, 6); }
void BM_ReadRawGraymap(benchmark::State& state) { Decode<TPortablePixelmap>(state, 6000, 4000, 5); }
void BM_ReadRawBitmap(benchmark::State& state) { Decode<TPortablePixelmap>(state, 6000, 4000, 4); }
void BM_ReadPlainPixmap(benchmark::State& state) { Decode<TPortablePixelmap>(state, 6000, 4000, 3); }
void BM_ReadPlainBitmap(benchmark::State& state) { Decode<TPortablePixelmap>(state, 6000, 4000, 1); }
void BM_ReadXBitmap(benchmark::State& state) { Decode<TXBitmap>(state, 2000, 2000, 0); }
void BM_WriteRawPixmap(benchmark::State& state) { EncodeBench<TPortablePixelmap>(state, 6000, 4000, 6); }
void BM_WritePlainPixmap(benchmark::State& state) { EncodeBench<TPortablePixelmap>(state, 6000, 4000, 3); }
void BM_WritePlainBitmap(benchmark::State& state) { EncodeBench<TPortablePixelmap>(state, 6000, 4000, 1); }
void BM_WriteXBitmap(benchmark::State& state) { EncodeBench<TXBitmap>(state, 2000, 2000, 0); }

BENCHMARK(BM_ReadRawPixmap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRawGraymap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRawBitmap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPlainPixmap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPlainBitmap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadXBitmap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteRawPixmap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WritePlainPixmap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WritePlainBitmap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteXBitmap)->Unit(benchmark::kMillisecond);

} // namespace

// Decoding a photo-sized picture (6000 x 4000) from memory: 24-bit and
// 8-bit run-length bitmaps, JPEG at quality 90, and the JPEG and bitmap
// writers the container format and the archive carriers use.
#include "imaging/bitmap/bitmap_reader.h"
#include "imaging/bitmap/bitmap_writer.h"
#include "imaging/library/jpeg_codec.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace orvanto;

namespace {

constexpr int Width = 6000, Height = 4000;

// Smooth areas with some texture, like a photograph.
const QImage& Photo()
{
    static const QImage picture = [] {
        QImage p(Width, Height, QImage::Format_BGR888);
        for (int y = 0; y < Height; ++y) {
            uchar* row = p.scanLine(y);
            for (int x = 0; x < Width; ++x) {
                const unsigned noise = (unsigned(x) * 2654435761u ^ unsigned(y) * 40503u) >> 28;
                row[x * 3] = uchar(x * 255 / Width + noise);
                row[x * 3 + 1] = uchar(y * 255 / Height);
                row[x * 3 + 2] = uchar((x + y) / 40 % 200 + noise);
            }
        }
        return p;
    }();
    return picture;
}

std::string Le32(std::uint32_t v) { return {char(v & 255), char(v >> 8 & 255), char(v >> 16 & 255), char(v >> 24)}; }

// An 8-bit run-length bitmap of bands a few dozen pixels long.
QByteArray RunLengthBitmap()
{
    std::string pixels;
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width;) {
            const int run = std::min(Width - x, 20 + (x + y) % 37);
            pixels += char(run);
            pixels += char((x / 50 + y / 30) % 256);
            x += run;
        }
        pixels += std::string("\0\0", 2);
    }
    pixels += std::string("\0\1", 2);
    std::string palette;
    for (int i = 0; i < 256; ++i)
        palette += std::string{char(i), char(255 - i), char(i * 7), '\0'};
    std::string header = Le32(40) + Le32(Width) + Le32(Height) + std::string("\1\0\x08\0", 4) + Le32(1)
        + Le32(std::uint32_t(pixels.size())) + Le32(0) + Le32(0) + Le32(256) + Le32(0);
    const std::uint32_t offset = 14 + 40 + 1024;
    const std::string file = "BM" + Le32(offset + std::uint32_t(pixels.size())) + Le32(0) + Le32(offset) + header
        + palette + pixels;
    return QByteArray(file.data(), qsizetype(file.size()));
}

void Decode(benchmark::State& state, const QByteArray& bytes, bool jpeg)
{
    std::string error;
    for (auto _ : state) {
        QImage picture;
        const bool read = jpeg ? ReadJpeg(bytes, picture, error) : ReadBitmap(bytes, picture, error);
        if (!read)
            state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * Width * Height * 3);
}

void BM_ReadBitmap24(benchmark::State& state)
{
    std::string error;
    Decode(state, BitmapFileBytes(Photo(), error), false);
}

void BM_ReadBitmapRle8(benchmark::State& state)
{
    Decode(state, RunLengthBitmap(), false);
}

void BM_ReadJpegQuality90(benchmark::State& state)
{
    QByteArray bytes;
    std::string error;
    EncodeJpeg(Photo(), 90, bytes, error);
    Decode(state, bytes, true);
}

void BM_EncodeJpeg(benchmark::State& state)
{
    std::string error;
    for (auto _ : state) {
        QByteArray bytes;
        EncodeJpeg(Photo(), int(state.range(0)), bytes, error);
        benchmark::DoNotOptimize(bytes.constData());
    }
}

void BM_SaveBitmapFile(benchmark::State& state)
{
    std::string error;
    for (auto _ : state)
        benchmark::DoNotOptimize(BitmapFileBytes(Photo(), error).constData());
}

BENCHMARK(BM_ReadBitmap24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBitmapRle8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadJpegQuality90)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeJpeg)->Arg(20)->Arg(90)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveBitmapFile)->Unit(benchmark::kMillisecond);

} // namespace

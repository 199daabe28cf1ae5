// A picture's way from one window to another through the clipboard, less
// the X server's transfer: what the copying window makes of the picture
// and what the pasting window makes of the bytes. Our own uncompressed rows
// against the PNG that Qt writes and reads for every other program (the
// only way between two of our windows before). Sizes: 24 and 108 megapixels.
#include "platform/clipboard_bitmap.h"

#include <QBuffer>
#include <QImage>

#include <benchmark/benchmark.h>

using namespace orvanto;

namespace {

QImage Photo(int width, int height)
{
    QImage picture(width, height, QImage::Format_BGR888);
    for (int y = 0; y < height; ++y) {
        uchar* row = picture.scanLine(y);
        for (int x = 0; x < width * 3; ++x)
            row[x] = uchar((x * 7 + y * 3 + (x * y >> 9)) & 0xFF);
    }
    return picture;
}

void BM_ClipboardRows(benchmark::State& state)
{
    const QImage picture = Photo(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        const QByteArray bytes = EncodeClipboardBitmap(picture);
        const QImage pasted = DecodeClipboardBitmap(bytes);
        benchmark::DoNotOptimize(pasted.constBits());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * picture.sizeInBytes());
}

void BM_ClipboardPng(benchmark::State& state)
{
    const QImage picture = Photo(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
        const QImage pasted = QImage::fromData(bytes, "PNG");
        benchmark::DoNotOptimize(pasted.constBits());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * picture.sizeInBytes());
}

} // namespace

BENCHMARK(BM_ClipboardRows)->Args({6000, 4000})->Args({12000, 9000})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ClipboardPng)->Args({6000, 4000})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

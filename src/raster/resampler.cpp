#include "raster/resampler.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

namespace orvanto {

namespace {

// How far the reducing triangle reaches, in target pixels to either side.
// A triangle of exactly one target pixel lets through a third of a pattern
// of one-pixel lines at small reductions; a tenth more removes it.
constexpr double Reach = 1.1;

// The source pixels and weights that make up each target pixel along one
// axis, for the target pixels first..first + count - 1 of a destination of
// length pixels taken from a source of sourceLength.
struct TAxis {
    std::vector<int> Start;   // per target pixel: its first tap in Index/Weight
    std::vector<int> Index;   // source pixel, relative to Low
    std::vector<float> Weight;
    int Low = 0;              // the first source pixel used
    int High = 0;             // one past the last
    int MostTaps = 0;

    int Taps(int i) const { return Start[i + 1] - Start[i]; }
};

// A position before or after the picture, reflected back into it without
// repeating the edge pixel: a pattern continues across the edge instead of
// the edge pixel weighing double.
int Reflect(std::int64_t i, int length)
{
    if (length == 1)
        return 0;
    if (i < 0)
        i = -i;
    if (i >= length)
        i = 2 * std::int64_t(length - 1) - i;
    return int(std::clamp<std::int64_t>(i, 0, length - 1));
}

// The integral of the triangle of half-width r centred on c over [a, b].
double TriangleArea(double a, double b, double c, double r)
{
    auto primitive = [c, r](double t) {
        const double u = std::clamp((t - c) / r, -1.0, 1.0);
        return u < 0 ? r * (u + u * u / 2) : r * (u - u * u / 2);
    };
    return primitive(b) - primitive(a);
}

TAxis MakeAxis(int sourceLength, std::int64_t length, std::int64_t first, int count)
{
    TAxis axis;
    axis.Start.reserve(std::size_t(count) + 1);
    const double scale = double(sourceLength) / double(length);
    std::vector<std::pair<int, double>> taps;
    int low = sourceLength, high = 0;
    for (int k = 0; k < count; ++k) {
        taps.clear();
        const double centre = (double(first + k) + 0.5) * scale;
        if (scale <= 1.0) {
            // Enlarging: the two nearest pixel centres, edges held.
            const double u = centre - 0.5;
            const double floor = std::floor(u);
            const double fraction = u - floor;
            const auto i = std::int64_t(floor);
            taps.push_back({int(std::clamp<std::int64_t>(i, 0, sourceLength - 1)), 1.0 - fraction});
            if (fraction > 0)
                taps.push_back({int(std::clamp<std::int64_t>(i + 1, 0, sourceLength - 1)), fraction});
        } else {
            // Reducing: each source pixel weighs as much of the triangle as
            // its area covers.
            const double r = scale * Reach;
            const auto from = std::int64_t(std::floor(centre - r));
            const auto to = std::int64_t(std::ceil(centre + r));
            for (std::int64_t i = from; i < to; ++i) {
                const double w = TriangleArea(double(i), double(i + 1), centre, r);
                if (w > 0)
                    taps.push_back({Reflect(i, sourceLength), w});
            }
        }
        double sum = 0;
        for (const auto& tap : taps)
            sum += tap.second;
        axis.Start.push_back(int(axis.Index.size()));
        axis.MostTaps = std::max(axis.MostTaps, int(taps.size()));
        for (const auto& tap : taps) {
            low = std::min(low, tap.first);
            high = std::max(high, tap.first + 1);
            axis.Index.push_back(tap.first);
            axis.Weight.push_back(float(tap.second / sum));
        }
    }
    axis.Start.push_back(int(axis.Index.size()));
    for (int& index : axis.Index)
        index -= low;
    axis.Low = low;
    axis.High = high;
    return axis;
}

std::uint8_t ToByte(float value)
{
    return std::uint8_t(std::clamp(value + 0.5f, 0.0f, 255.0f));
}

// The hot loops are built twice, for processors with AVX2 and without; the
// loader picks one once, so the program still runs on any x86-64. Not under
// ThreadSanitizer: the loader runs the picking code before the sanitizer
// has started, and its instrumented entry crashes there.
#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define ORVANTO_THREAD_SANITIZER
#endif
#endif
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__) \
    && !defined(ORVANTO_THREAD_SANITIZER)
#define ORVANTO_WIDE_VECTORS __attribute__((target_clones("avx2", "default")))
#else
#define ORVANTO_WIDE_VECTORS
#endif

// Vertically: the source rows of one target row, weighted, over the source
// columns the target columns need (span bytes from column Low).
ORVANTO_WIDE_VECTORS
void CombineRows(const QImage& source, const TAxis& rows, int y, int low, int span, float* line)
{
    const int first = rows.Start[y], end = rows.Start[y + 1];
    {
        const float w = rows.Weight[first];
        const std::uint8_t* in = source.constScanLine(rows.Index[first] + rows.Low) + low * 3;
        for (int j = 0; j < span; ++j)
            line[j] = w * float(in[j]);
    }
    for (int t = first + 1; t < end; ++t) {
        const float w = rows.Weight[t];
        const std::uint8_t* in = source.constScanLine(rows.Index[t] + rows.Low) + low * 3;
        for (int j = 0; j < span; ++j)
            line[j] += w * float(in[j]);
    }
}

// Four floats handled as one: a pixel's blue, green and red, and one float
// of the next pixel that is carried along and dropped.
typedef float TQuad __attribute__((vector_size(16)));

// Horizontally: one target row from the combined line (which has one float
// to spare at its end, so the last pixel's quad stays inside).
ORVANTO_WIDE_VECTORS
void SpreadRow(const TAxis& columns, const float* line, std::uint8_t* out, int bytesPerPixel)
{
    const int width = int(columns.Start.size()) - 1;
    for (int x = 0; x < width; ++x) {
        TQuad sum = {0, 0, 0, 0};
        for (int t = columns.Start[x]; t < columns.Start[x + 1]; ++t) {
            TQuad pixel;
            std::memcpy(&pixel, line + columns.Index[t] * 3, sizeof pixel);
            sum += columns.Weight[t] * pixel;
        }
        if (bytesPerPixel == 3) {
            out[0] = ToByte(sum[0]);
            out[1] = ToByte(sum[1]);
            out[2] = ToByte(sum[2]);
        } else {
            reinterpret_cast<QRgb*>(out)[0] = qRgb(ToByte(sum[2]), ToByte(sum[1]), ToByte(sum[0]));
        }
        out += bytesPerPixel;
    }
}

// The rows done so far by all threads of one scale, and the watch that
// wants to hear of them.
struct TRowCount {
    const TScaleWatch& Watch;
    int Count; // the rows of the whole scale
    std::atomic<int> Done{0};
};

// Rows between two looks at the watch: often enough that a stop is felt
// within a few milliseconds, rarely enough to cost nothing.
constexpr int WatchedRows = 16;

// Target rows first..end - 1 of the clipped area; column 0 of the area is
// target column left, row 0 target row top. line holds the source columns
// the target columns need, 3 floats each, and one more.
// origin is the target's first pixel of the area, stride its row length.
// The threads write through plain pointers: QImage::scanLine counts
// detaches, which two threads must not do at once. False when stopped.
bool ScaleRows(const QImage& source, std::uint8_t* origin, qsizetype stride, int bytesPerPixel,
               const TAxis& columns, const TAxis& rows, int first, int end, std::vector<float>& line,
               TRowCount& count)
{
    const int span = (columns.High - columns.Low) * 3;
    for (int y = first; y < end; ++y) {
        if ((y - first) % WatchedRows == 0) {
            if (count.Watch.Stop && count.Watch.Stop->load(std::memory_order_relaxed))
                return false;
            if (count.Watch.Permille && y > first) {
                const int done = count.Done.fetch_add(WatchedRows) + WatchedRows;
                count.Watch.Permille->store(int(std::int64_t(done) * 1000 / count.Count), std::memory_order_relaxed);
            }
        }
        CombineRows(source, rows, y, columns.Low, span, line.data());
        SpreadRow(columns, line.data(), origin + y * stride, bytesPerPixel);
    }
    return true;
}

bool SupportedTarget(const QImage& target)
{
    switch (target.format()) {
    case QImage::Format_BGR888:
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return true;
    default:
        return false;
    }
}

} // namespace

bool DrawScaled(const QImage& source, QImage& target, const TScaleRect& destination, int threads,
                const TScaleWatch& watch)
{
    if (source.isNull() || target.isNull() || source.format() != QImage::Format_BGR888
        || !SupportedTarget(target))
        return false;
    if (destination.Width <= 0 || destination.Height <= 0)
        return true;
    const std::int64_t left = std::max<std::int64_t>(destination.Left, 0);
    const std::int64_t top = std::max<std::int64_t>(destination.Top, 0);
    const std::int64_t right = std::min<std::int64_t>(destination.Left + destination.Width, target.width());
    const std::int64_t bottom = std::min<std::int64_t>(destination.Top + destination.Height, target.height());
    if (right <= left || bottom <= top)
        return true;
    try {
        const TAxis columns = MakeAxis(source.width(), destination.Width, left - destination.Left,
                                       int(right - left));
        const TAxis rows = MakeAxis(source.height(), destination.Height, top - destination.Top,
                                    int(bottom - top));
        const int count = int(bottom - top);
        // A thread pays for itself only over enough rows.
        const int parts = std::clamp(threads, 1, 2) == 2 && count >= 64 ? 2 : 1;
        const std::size_t span = std::size_t(columns.High - columns.Low) * 3 + 1;
        std::vector<float> line(span), helperLine(parts == 2 ? span : 0);
        std::uint8_t* bits = target.bits(); // detaches once, before the threads
        if (!bits)
            return false;
        const int bytesPerPixel = target.depth() / 8;
        const qsizetype stride = target.bytesPerLine();
        std::uint8_t* origin = bits + top * stride + left * bytesPerPixel;
        const int middle = parts == 2 ? count / 2 : count;
        TRowCount done{watch, count};
        bool helperDone = true;
        std::thread helper;
        if (parts == 2)
            helper = std::thread([&] {
                helperDone = ScaleRows(source, origin, stride, bytesPerPixel, columns, rows, middle, count,
                                       helperLine, done);
            });
        const bool mainDone = ScaleRows(source, origin, stride, bytesPerPixel, columns, rows, 0, middle, line, done);
        if (helper.joinable())
            helper.join();
        if (!mainDone || !helperDone)
            return false;
        if (watch.Permille)
            watch.Permille->store(1000, std::memory_order_relaxed);
        return true;
    } catch (...) {
        return false;
    }
}

QImage ScaledPicture(const QImage& source, int width, int height, int threads)
{
    if (width < 1 || height < 1 || source.format() != QImage::Format_BGR888)
        return QImage();
    try {
        QImage target(width, height, QImage::Format_BGR888);
        if (target.isNull() || !DrawScaled(source, target, {0, 0, width, height}, threads))
            return QImage();
        return target;
    } catch (const std::bad_alloc&) {
        return QImage();
    }
}

} // namespace orvanto

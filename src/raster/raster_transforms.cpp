#include "raster/raster_transforms.h"

#include "support/memory/memory_limit.h"
#include "support/messages/messages.h"
#include "support/files/paths.h"
#include "support/memory/picture_memory.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <thread>
#include <utility>
#include <vector>

namespace orvanto {

namespace {

constexpr int PixelBytes = 3;

// Every operation works on 24-bit rows; a picture in another format is
// converted first. False when that conversion (a full copy) cannot be made.
bool MakeTwentyFourBit(QImage& picture)
{
    if (picture.isNull() || picture.format() == QImage::Format_BGR888)
        return true;
    QImage converted = picture.convertToFormat(QImage::Format_BGR888);
    if (converted.isNull())
        return false;
    picture = std::move(converted);
    return true;
}

// The picture's pixels for writing, or nullptr when a shared picture could
// not be detached (no memory for its own copy).
uchar* WritableBits(QImage& picture)
{
    return picture.isNull() ? nullptr : picture.bits();
}

void ReverseRows(uchar* bits, qsizetype stride, const TRect& rect)
{
    const std::size_t offset = std::size_t(rect.Left) * PixelBytes;
    const std::size_t bytes = std::size_t(rect.Width()) * PixelBytes;
    uchar* upper = bits + rect.Top * stride + offset;
    uchar* lower = bits + (rect.Bottom - 1) * stride + offset;
    for (; upper < lower; upper += stride, lower -= stride)
        std::swap_ranges(upper, upper + bytes, lower);
}

inline void SwapPixel(uchar* a, uchar* b)
{
    const uchar b0 = a[0], b1 = a[1], b2 = a[2];
    a[0] = b[0];
    a[1] = b[1];
    a[2] = b[2];
    b[0] = b0;
    b[1] = b1;
    b[2] = b2;
}

void ReverseColumns(uchar* bits, qsizetype stride, const TRect& rect)
{
    for (int y = rect.Top; y < rect.Bottom; ++y) {
        uchar* row = bits + y * stride;
        uchar* left = row + std::size_t(rect.Left) * PixelBytes;
        uchar* right = row + std::size_t(rect.Right - 1) * PixelBytes;
        for (; left < right; left += PixelBytes, right -= PixelBytes)
            SwapPixel(left, right);
    }
}

// A half turn of the rectangle in one pass: each pixel of the upper half
// swaps with its opposite in the lower half, and the middle row of an odd
// height is reversed in place. The same as reversing rows and then columns,
// at half the memory traffic.
// Pairs first..end - 1 of a half turn: pair i is row Top + i and row
// Bottom - 1 - i.
void SwapOppositeRows(uchar* bits, qsizetype stride, const TRect& rect, int first, int end)
{
    const int width = rect.Width();
    for (int i = first; i < end; ++i) {
        uchar* upper = bits + (rect.Top + i) * stride + std::size_t(rect.Left) * PixelBytes;
        uchar* lower = bits + (rect.Bottom - 1 - i) * stride + std::size_t(rect.Right - 1) * PixelBytes;
        for (int x = 0; x < width; ++x, upper += PixelBytes, lower -= PixelBytes)
            SwapPixel(upper, lower);
    }
}

// Large pictures share the pairs between two cores: each pair is its own.
void ReverseRowsAndColumns(uchar* bits, qsizetype stride, const TRect& rect)
{
    const int pairs = rect.Height() / 2;
    constexpr std::int64_t ParallelPixels = 1 << 20;
    int split = pairs;
    std::thread helper;
    if (std::int64_t(rect.Width()) * rect.Height() >= ParallelPixels && std::thread::hardware_concurrency() >= 2) {
        try {
            helper = std::thread(SwapOppositeRows, bits, stride, rect, pairs / 2, pairs);
            split = pairs / 2;
        } catch (...) {
            // no thread to be had: do it all here
        }
    }
    SwapOppositeRows(bits, stride, rect, 0, split);
    if (helper.joinable())
        helper.join();
    if (rect.Height() % 2 != 0) {
        const int middle = rect.Top + pairs;
        ReverseColumns(bits, stride, TRect{rect.Left, middle, rect.Right, middle + 1});
    }
}

// The tile edge of the quarter turn, in pixels: a tile of source rows and
// its destination rows (2 x 64 rows of 192 bytes) stay in the first-level
// cache, and 128 pages stay within the translation buffer.
constexpr int Tile = 64;

// Copies source pixel (x, y) of a width x height picture to destination row
// x, column height - 1 - y (clockwise), or to row width - 1 - x, column y,
// for the source rows firstRow..endRow - 1.
void TurnTiles(const uchar* source, qsizetype sourceStride, int width, int height, uchar* target,
               qsizetype targetStride, bool clockwise, int firstRow, int endRow)
{
    for (int y0 = firstRow; y0 < endRow; y0 += Tile) {
        const int y1 = std::min(endRow, y0 + Tile);
        for (int x0 = 0; x0 < width; x0 += Tile) {
            const int x1 = std::min(width, x0 + Tile);
            for (int x = x0; x < x1; ++x) {
                const uchar* from = source + y0 * sourceStride + std::size_t(x) * PixelBytes;
                uchar* to = clockwise ? target + x * targetStride + std::size_t(height - 1 - y0) * PixelBytes
                                      : target + (width - 1 - x) * targetStride + std::size_t(y0) * PixelBytes;
                int y = y0;
                // Four pixels at a time: each read as four bytes (the fourth
                // belongs to the next pixel of its row, so never on the last
                // column, whose fourth byte may lie past the picture), and
                // the four written as one run of twelve bytes.
                if (x + 1 < width) {
                    for (; y + 4 <= y1; y += 4, from += 4 * sourceStride) {
                        std::uint64_t p[4];
                        for (int k = 0; k < 4; ++k) {
                            std::uint32_t v;
                            std::memcpy(&v, from + k * sourceStride, 4);
                            p[k] = v & 0xFFFFFF;
                        }
                        if (clockwise) {
                            // Row y lands rightmost: the run reads p3 p2 p1 p0.
                            std::swap(p[0], p[3]);
                            std::swap(p[1], p[2]);
                            to -= 3 * PixelBytes;
                        }
                        const std::uint64_t low = p[0] | p[1] << 24 | p[2] << 48;
                        const std::uint32_t high = std::uint32_t(p[2] >> 16 | p[3] << 8);
                        std::memcpy(to, &low, 8);
                        std::memcpy(to + 8, &high, 4);
                        to = clockwise ? to - PixelBytes : to + 4 * PixelBytes;
                    }
                }
                for (; y < y1; ++y, from += sourceStride) {
                    std::memcpy(to, from, PixelBytes);
                    to = clockwise ? to - PixelBytes : to + PixelBytes;
                }
            }
        }
    }
}

// A large turn is shared by two cores, band of source rows by band: each
// band writes its own columns of the destination, so they never meet. The
// copy is bound by memory latency more than bandwidth, which a second core
// hides well. The cores take the next band in turn rather than a half each,
// so the destination pages written so far and the source bands given back
// advance together through the picture.
//
// When release is given (the source picture itself), the source rows that
// every core has finished with are given back to the system as the turn
// goes on.
void Turn(const uchar* source, qsizetype sourceStride, int width, int height, uchar* target,
          qsizetype targetStride, bool clockwise, QImage* release)
{
    const int bands = (height + Tile - 1) / Tile;
    std::atomic<int> nextBand{0};
    std::mutex doneLock;
    std::vector<bool> done(release ? std::size_t(bands) : 0);
    int doneBands = 0; // bands 0..doneBands - 1 are all finished and given back
    auto work = [&] {
        for (;;) {
            const int band = nextBand.fetch_add(1);
            if (band >= bands)
                return;
            const int first = band * Tile;
            TurnTiles(source, sourceStride, width, height, target, targetStride, clockwise, first,
                      std::min(height, first + Tile));
            if (release) {
                std::lock_guard<std::mutex> guard(doneLock);
                done[std::size_t(band)] = true;
                const int before = doneBands;
                while (doneBands < bands && done[std::size_t(doneBands)])
                    ++doneBands;
                if (doneBands > before)
                    ReleasePictureRows(*release, before * Tile, std::min(height, doneBands * Tile));
            }
        }
    };
    constexpr std::int64_t ParallelPixels = 1 << 20;
    std::thread helper;
    if (std::int64_t(width) * height >= ParallelPixels && std::thread::hardware_concurrency() >= 2) {
        try {
            helper = std::thread(work);
        } catch (...) {
            // no thread to be had: do it all here
        }
    }
    work();
    if (helper.joinable())
        helper.join();
}

// Applies mask to every byte of the rows of rect: the mask repeats the
// three channel bytes, so the inner loop is a plain exclusive-or over bytes
// that the compiler turns into vector instructions.
void XorRows(uchar* bits, qsizetype stride, const TRect& rect, const uchar channelMask[3])
{
    const std::size_t bytes = std::size_t(rect.Width()) * PixelBytes;
    if (bytes == 0)
        return;
    std::string mask(bytes, '\0');
    for (std::size_t i = 0; i < bytes; ++i)
        mask[i] = char(channelMask[i % PixelBytes]);
    const uchar* m = reinterpret_cast<const uchar*>(mask.data());
    for (int y = rect.Top; y < rect.Bottom; ++y) {
        uchar* p = bits + y * stride + std::size_t(rect.Left) * PixelBytes;
        for (std::size_t i = 0; i < bytes; ++i)
            p[i] ^= m[i];
    }
}

} // namespace

TRect PictureRect(const QImage* bitmap)
{
    if (!bitmap)
        return {0, 0, -1, -1};
    return {0, 0, bitmap->width(), bitmap->height()};
}

void ClampRect(TRect& rect, int width, int height, bool exclusive)
{
    const int lastX = exclusive ? width : width - 1;
    const int lastY = exclusive ? height : height - 1;
    rect.Left = Clamp(rect.Left, 0, lastX);
    rect.Right = Clamp(rect.Right, 0, lastX);
    rect.Top = Clamp(rect.Top, 0, lastY);
    rect.Bottom = Clamp(rect.Bottom, 0, lastY);
}

void NormalizeRect(TRect& rect)
{
    if (rect.Right < rect.Left)
        std::swap(rect.Left, rect.Right);
    if (rect.Bottom < rect.Top)
        std::swap(rect.Top, rect.Bottom);
}

bool ManipulationValidate(TManipulationInfo& info)
{
    if (!info.Bitmap) {
        info.ErrorText = Sentences::UndefinedImageHandle;
        return false;
    }
    ClampRect(info.Rect, info.Bitmap->width(), info.Bitmap->height(), info.Exclusive);
    NormalizeRect(info.Rect);
    return true;
}

bool FlipVertical(TManipulationInfo& info)
{
    if (!ManipulationValidate(info))
        return false;
    if (info.Rect.Width() <= 0 || info.Rect.Height() <= 1)
        return true;
    try {
        uchar* bits = MakeTwentyFourBit(*info.Bitmap) ? WritableBits(*info.Bitmap) : nullptr;
        if (bits) {
            ReverseRows(bits, info.Bitmap->bytesPerLine(), info.Rect);
            return true;
        }
    } catch (...) {
    }
    info.ErrorText = Sentences::OutOfMemory;
    return false;
}

bool MirrorHorizontal(TManipulationInfo& info)
{
    if (!ManipulationValidate(info))
        return false;
    if (info.Rect.Width() <= 1 || info.Rect.Height() <= 0)
        return true;
    try {
        uchar* bits = MakeTwentyFourBit(*info.Bitmap) ? WritableBits(*info.Bitmap) : nullptr;
        if (bits) {
            ReverseColumns(bits, info.Bitmap->bytesPerLine(), info.Rect);
            return true;
        }
    } catch (...) {
    }
    info.ErrorText = Sentences::OutOfMemory;
    return false;
}

bool RotateHalf(TManipulationInfo& info)
{
    if (!ManipulationValidate(info))
        return false;
    // Nothing moves in a single pixel; a picture is converted only when something does.
    const int width = info.Rect.Width(), height = info.Rect.Height();
    if (width <= 0 || height <= 0 || (width == 1 && height == 1))
        return true;
    try {
        uchar* bits = MakeTwentyFourBit(*info.Bitmap) ? WritableBits(*info.Bitmap) : nullptr;
        if (bits) {
            ReverseRowsAndColumns(bits, info.Bitmap->bytesPerLine(), info.Rect);
            return true;
        }
    } catch (...) {
    }
    info.ErrorText = Sentences::OutOfMemory;
    return false;
}

bool RotateQuarter(TManipulationInfo& info, int direction)
{
    if (!ManipulationValidate(info))
        return false;
    QImage& picture = *info.Bitmap;
    if (picture.isNull())
        return true;
    try {
        if (MakeTwentyFourBit(picture)) {
            const int width = picture.width(), height = picture.height();
            // The turned picture is the one full copy this needs; it is made
            // before the picture is touched, so a failure leaves it as it was.
            // Every pixel of it is written, so it is not filled first. A
            // picture nobody else holds is given back band by band while
            // it is copied, so the two never take twice the memory.
            const std::int64_t turnedStride = (std::int64_t(height) * PixelBytes + 3) / 4 * 4;
            QImage turned;
            if (turnedStride * width <= AllocationCeiling())
                turned = NewPictureMemory(height, width, TPictureTouch::Columns);
            if (!turned.isNull()) {
                const QImage& source = picture;
                QImage* release = OwnsPictureMemory(picture) ? &picture : nullptr;
                Turn(source.constBits(), source.bytesPerLine(), width, height, turned.bits(),
                     turned.bytesPerLine(), direction == RotateClockwise, release);
                turned.setDotsPerMeterX(picture.dotsPerMeterY());
                turned.setDotsPerMeterY(picture.dotsPerMeterX());
                picture = std::move(turned);
                return true;
            }
        }
    } catch (...) {
    }
    info.ErrorText = Messages::OutOfMemory;
    return false;
}

bool RotateBy(TManipulationInfo& info, int angle)
{
    if (!ManipulationValidate(info))
        return false;
    if (angle == 0 || angle == 360 || angle == -360 || (angle >= -89 && angle <= -1))
        return true;
    if ((angle >= 1 && angle <= 90) || (angle >= -359 && angle <= -270))
        return RotateQuarter(info, RotateClockwise);
    if ((angle >= 91 && angle <= 180) || (angle >= -269 && angle <= -180))
        return RotateHalf(info);
    if ((angle >= 181 && angle <= 270) || (angle >= -179 && angle <= -90))
        return RotateQuarter(info, RotateCounterClockwise);
    return false;
}

bool InvertColors(TManipulationInfo& info)
{
    info.InvertRed = 255;
    info.InvertGreen = 255;
    info.InvertBlue = 255;
    return InvertChannels(info);
}

bool InvertChannels(TManipulationInfo& info)
{
    if (!ManipulationValidate(info))
        return false;
    if (!info.InvertRed && !info.InvertGreen && !info.InvertBlue)
        return true;
    try {
        if (MakeTwentyFourBit(*info.Bitmap)) {
            if (info.Rect.Width() <= 0 || info.Rect.Height() <= 0)
                return true;
            if (uchar* bits = WritableBits(*info.Bitmap)) {
                // Blue, green, red: the byte order of a 24-bit row.
                const uchar mask[3] = {uchar(info.InvertBlue ? 0xFF : 0),
                                       uchar(info.InvertGreen ? 0xFF : 0),
                                       uchar(info.InvertRed ? 0xFF : 0)};
                XorRows(bits, info.Bitmap->bytesPerLine(), info.Rect, mask);
                return true;
            }
        }
    } catch (...) {
    }
    info.ErrorText = Messages::OutOfMemory;
    return false;
}

bool CopyBitmap(const QImage& source, QImage& target)
{
    try {
        QImage copy = source.copy();
        if (copy.isNull() && !source.isNull())
            return false;
        target = std::move(copy);
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace orvanto

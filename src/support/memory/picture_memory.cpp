#include "support/memory/picture_memory.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <unordered_map>

#include <sys/mman.h>
#include <unistd.h>

namespace orvanto {

namespace {

// Pictures from this size on get large pages; below it the page faults are
// few anyway and a 2 MB alignment would waste memory.
constexpr std::size_t LargePage = std::size_t(2) << 20;
constexpr std::size_t LargePictureBytes = 2 * LargePage;
constexpr std::size_t LargeShareNumerator = 2, LargeShareDenominator = 3;

// The buffers handed out and not yet freed, so that only those are ever
// given back to the system page by page, with the size of the pieces they
// are given back in: whole large pages for buffers that have them, since
// giving back part of one makes the system split it, page by page.
struct TOwnedBuffer {
    std::size_t Unit = 0;
    // Rows 0..ReleasedRows - 1 have been given back, as far as they fill
    // whole pieces: the memory below address ReleasedEnd.
    int ReleasedRows = 0;
    std::uintptr_t ReleasedEnd = 0;
};

struct TOwnedBuffers {
    std::mutex Lock;
    std::unordered_map<const void*, TOwnedBuffer> Buffers;
};

TOwnedBuffers& Owned()
{
    static TOwnedBuffers owned;
    return owned;
}

void FreeBuffer(void* buffer)
{
    {
        TOwnedBuffers& owned = Owned();
        std::lock_guard<std::mutex> guard(owned.Lock);
        owned.Buffers.erase(buffer);
    }
    std::free(buffer);
}

} // namespace

QImage NewPictureMemory(int width, int height, TPictureTouch touch)
{
    if (width <= 0 || height <= 0)
        return QImage();
    const std::int64_t rowBytes = std::int64_t(width) * 3;
    const std::int64_t stride = (rowBytes + 3) / 4 * 4;
    if (stride > std::numeric_limits<std::int32_t>::max() / height)
        return QImage();
    const std::size_t bytes = std::size_t(stride) * std::size_t(height);
    void* buffer = nullptr;
    std::size_t releaseUnit = std::size_t(::sysconf(_SC_PAGESIZE));
    if (bytes >= LargePictureBytes) {
        releaseUnit = LargePage;
        const std::size_t rounded = (bytes + LargePage - 1) / LargePage * LargePage;
        buffer = std::aligned_alloc(LargePage, rounded);
        // A picture filled column by column touches every one of its large
        // pages at the first column, which makes it resident as a whole at
        // once; only its first LargeShare of the bytes get large pages then,
        // so a quarter turn saves most of its page faults and still never
        // holds much more than two pictures.
        const std::size_t large = touch == TPictureTouch::Rows
            ? rounded
            : rounded / LargePage * LargeShareNumerator / LargeShareDenominator * LargePage;
#ifdef MADV_HUGEPAGE
        if (buffer != nullptr && large > 0)
            ::madvise(buffer, large, MADV_HUGEPAGE); // a hint; failure costs only speed
#endif
    } else {
        buffer = std::malloc(bytes);
    }
    if (buffer == nullptr)
        return QImage();
    auto* bits = static_cast<uchar*>(buffer);
    if (stride != rowBytes)
        for (int y = 0; y < height; ++y)
            std::memset(bits + std::size_t(y) * std::size_t(stride) + std::size_t(rowBytes), 0,
                        std::size_t(stride - rowBytes));
    try {
        {
            TOwnedBuffers& owned = Owned();
            std::lock_guard<std::mutex> guard(owned.Lock);
            owned.Buffers.emplace(buffer, TOwnedBuffer{releaseUnit, 0, 0});
        }
        QImage picture(bits, width, height, qsizetype(stride), QImage::Format_BGR888, &FreeBuffer, buffer);
        if (picture.isNull())
            FreeBuffer(buffer);
        return picture;
    } catch (...) {
        FreeBuffer(buffer);
        return QImage();
    }
}

bool OwnsPictureMemory(const QImage& picture)
{
    if (picture.isNull() || !picture.isDetached())
        return false;
    TOwnedBuffers& owned = Owned();
    std::lock_guard<std::mutex> guard(owned.Lock);
    return owned.Buffers.count(picture.constBits()) != 0;
}

bool ReleasePictureRows(QImage& picture, int first, int end)
{
    if (picture.isNull() || !picture.isDetached())
        return false;
    TOwnedBuffers& owned = Owned();
    std::lock_guard<std::mutex> guard(owned.Lock);
    const auto found = owned.Buffers.find(picture.constBits());
    if (found == owned.Buffers.end())
        return false;
    first = std::max(first, 0);
    end = std::min(end, picture.height());
    if (first >= end)
        return true;
    TOwnedBuffer& buffer = found->second;
    const std::uintptr_t unit = buffer.Unit;
    const std::uintptr_t bits = reinterpret_cast<std::uintptr_t>(picture.constBits());
    const std::uintptr_t from = bits + std::uintptr_t(first) * std::uintptr_t(picture.bytesPerLine());
    const std::uintptr_t to = bits + std::uintptr_t(end) * std::uintptr_t(picture.bytesPerLine());
    // Whole pieces only: the bytes around the rows belong to other rows or
    // to the allocator. A range that starts within or right after the rows
    // given back before also takes the piece that straddled their end.
    const bool continues = first <= buffer.ReleasedRows;
    std::uintptr_t start = (from + unit - 1) / unit * unit;
    if (continues && buffer.ReleasedEnd != 0)
        start = std::min(start, buffer.ReleasedEnd);
    const std::uintptr_t stop = to / unit * unit;
    if (stop > start)
        ::madvise(reinterpret_cast<void*>(start), stop - start, MADV_DONTNEED);
    if (continues && end > buffer.ReleasedRows) {
        buffer.ReleasedRows = end;
        buffer.ReleasedEnd = std::max({buffer.ReleasedEnd, stop, (bits + unit - 1) / unit * unit});
    }
    return true;
}

} // namespace orvanto

#include "support/picture_memory.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <unordered_set>

#include <sys/mman.h>
#include <unistd.h>

namespace {

// Pictures from this size on get large pages; below it the page faults are
// few anyway and a 2 MB alignment would waste memory.
constexpr std::size_t LargePage = std::size_t(2) << 20;
constexpr std::size_t LargePictureBytes = 2 * LargePage;

// The buffers handed out and not yet freed, so that only those are ever
// given back to the system page by page.
struct TOwnedBuffers {
    std::mutex Lock;
    std::unordered_set<const void*> Buffers;
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
    if (bytes >= LargePictureBytes && touch == TPictureTouch::Rows) {
        const std::size_t rounded = (bytes + LargePage - 1) / LargePage * LargePage;
        buffer = std::aligned_alloc(LargePage, rounded);
#ifdef MADV_HUGEPAGE
        if (buffer != nullptr)
            ::madvise(buffer, rounded, MADV_HUGEPAGE); // a hint; failure costs only speed
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
            owned.Buffers.insert(buffer);
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
    if (!OwnsPictureMemory(picture))
        return false;
    first = std::max(first, 0);
    end = std::min(end, picture.height());
    if (first >= end)
        return true;
    static const std::uintptr_t page = std::uintptr_t(::sysconf(_SC_PAGESIZE));
    const auto* bits = picture.constBits();
    const std::uintptr_t from = reinterpret_cast<std::uintptr_t>(bits + std::size_t(first) * std::size_t(picture.bytesPerLine()));
    const std::uintptr_t to = reinterpret_cast<std::uintptr_t>(bits + std::size_t(end) * std::size_t(picture.bytesPerLine()));
    // Whole pages only: the bytes around the rows belong to other rows or
    // to the allocator.
    const std::uintptr_t start = (from + page - 1) / page * page;
    const std::uintptr_t stop = to / page * page;
    if (stop > start)
        ::madvise(reinterpret_cast<void*>(start), stop - start, MADV_DONTNEED);
    return true;
}

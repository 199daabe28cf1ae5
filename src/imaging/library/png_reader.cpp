#include "imaging/library/png_reader.h"

#include "imaging/codecs/picture_allocation.h"
#include "imaging/colour/colour_profile.h"
#include "imaging/colour/exif_orientation.h"
#include "imaging/file_bytes.h"
#include "imaging/library/opaque_picture.h"
#include "support/memory/memory_limit.h"
#include "support/messages/messages.h"
#include "support/text/byte_order.h"

#include <png.h>

#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace orvanto {

namespace {

const std::uint8_t Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// The most one chunk besides the image data may make libpng hold (an ICC
// profile, EXIF data). Text chunks are skipped unread.
constexpr std::size_t ChunkLimit = 8 * 1024 * 1024;

struct TLayout {
    png_uint_32 Width = 0, Height = 0;
    int Passes = 1;
    bool Alpha = false;
    std::size_t RowBytes = 0;
};

// The reading as libpng's callbacks see it: the picture they fill and how
// far they have come.
struct TPngRead {
    std::size_t LargestBlock = 0;
    const TLoadProgress* Progress = nullptr;
    TLayout Layout;
    QImage Picture;
    // Rows with alpha wait here to be laid over white: one row, or the whole
    // picture when it is interlaced, whose later passes add to earlier rows.
    std::vector<std::uint8_t> Buffer;
    bool OutOfMemory = false;
    bool RowsBegun = false;
    std::int64_t RowsDone = 0; // of the last pass
    int LastPercent = -1;
    bool Complete = false;
};

// libpng's own texts are not shown: the reader's result says what went wrong.
[[noreturn]] void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

// A block larger than a row or a chunk may need is refused; libpng then
// skips the chunk that asked for it or gives up on the file.
png_voidp Allocate(png_structp png, png_alloc_size_t size)
{
    const auto* read = static_cast<const TPngRead*>(png_get_mem_ptr(png));
    return size <= read->LargestBlock ? std::malloc(size) : nullptr;
}
void Release(png_structp, png_voidp block) { std::free(block); }

struct TPngHandles {
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    ~TPngHandles() { png_destroy_read_struct(&Png, &Info, nullptr); }
};

// Runs step with libpng's errors caught: false when libpng gave up. libpng
// leaves step by a long jump, so step may hold nothing that needs destroying.
template <typename TStep>
[[gnu::noinline]] bool Guarded(png_structp png, const TStep& step)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    step();
    return true;
}

bool Wholly(const TLayout& layout) { return layout.Alpha && layout.Passes > 1; }

void OverWhite(const std::uint8_t* bgra, std::uint8_t* bgr, png_uint_32 width)
{
    for (png_uint_32 x = 0; x < width; ++x, bgra += 4, bgr += 3) {
        bgr[0] = std::uint8_t(OverWhite8(bgra[0], bgra[3]));
        bgr[1] = std::uint8_t(OverWhite8(bgra[1], bgra[3]));
        bgr[2] = std::uint8_t(OverWhite8(bgra[2], bgra[3]));
    }
}

// The seven passes of an interlaced picture: where each one's rows and
// columns start and how far apart they are.
constexpr int FirstRow[7] = {0, 0, 4, 0, 2, 0, 1}, RowStep[7] = {8, 8, 8, 4, 4, 2, 2};
constexpr int FirstColumn[7] = {0, 4, 0, 2, 0, 1, 0}, ColumnStep[7] = {8, 8, 4, 4, 2, 2, 1};

// libpng hands a pass's rows to the rows below them too, and its pixels
// spread over their neighbours, for a coarse first look. Only the pixels
// the pass holds are kept, so that a file cut short shows white where no
// pass has reached.
bool InPass(png_uint_32 y, int pass)
{
    return pass >= 0 && pass < 7 && int(y % png_uint_32(RowStep[pass])) == FirstRow[pass];
}

void Combine(const std::uint8_t* row, std::uint8_t* target, const TLayout& layout, int pass)
{
    if (layout.Passes == 1) {
        std::memcpy(target, row, layout.RowBytes);
        return;
    }
    const std::size_t size = layout.Alpha ? 4 : 3;
    for (std::size_t x = std::size_t(FirstColumn[pass]); x < layout.Width; x += std::size_t(ColumnStep[pass]))
        std::memcpy(target + x * size, row + x * size, size);
}

// Every kind of PNG as 8-bit blue, green, red and, where the file has
// transparency, alpha; then the picture the rows go into.
void OnHeader(png_structp png, png_infop info)
{
    auto& read = *static_cast<TPngRead*>(png_get_progressive_ptr(png));
    png_set_expand(png); // palette to colour, small grey to 8 bits, a transparent colour to alpha
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    TLayout& layout = read.Layout;
    layout.Passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    layout.Width = png_get_image_width(png, info);
    layout.Height = png_get_image_height(png, info);
    layout.Alpha = png_get_channels(png, info) == 4;
    layout.RowBytes = png_get_rowbytes(png, info);
    const std::int64_t buffered = !layout.Alpha ? 0 : std::int64_t(layout.RowBytes) * (Wholly(layout) ? layout.Height : 1);
    read.OutOfMemory = buffered > AllocationCeiling();
    try {
        if (!read.OutOfMemory) {
            // Opaque white, so that what an interlaced file never reached is white.
            read.Buffer.assign(std::size_t(buffered), 0xFF);
            read.Picture = AllocatePicture(layout.Width, layout.Height,
                                           layout.Passes > 1 ? TPictureFill::White : TPictureFill::None);
            read.OutOfMemory = read.Picture.isNull();
        }
    } catch (const std::bad_alloc&) {
        read.OutOfMemory = true;
    }
    if (read.OutOfMemory)
        png_error(png, "out of memory");
}

void OnRow(png_structp png, png_bytep row, png_uint_32 y, int pass)
{
    auto& read = *static_cast<TPngRead*>(png_get_progressive_ptr(png));
    const TLayout& layout = read.Layout;
    if (!row || y >= layout.Height)
        return; // an interlaced pass with nothing new for this row
    if (layout.Passes > 1 && !InPass(y, pass))
        return;
    read.RowsBegun = true;
    if (!layout.Alpha)
        Combine(row, read.Picture.scanLine(int(y)), layout, pass);
    else if (Wholly(layout))
        Combine(row, read.Buffer.data() + std::size_t(y) * layout.RowBytes, layout, pass);
    else
        OverWhite(row, read.Picture.scanLine(int(y)), layout.Width);
    read.RowsDone = std::int64_t(y) + 1;
    if (read.Progress && *read.Progress) {
        const std::int64_t done = std::int64_t(pass) * layout.Height + y + 1;
        const int percent = int(done * 99 / (std::int64_t(layout.Passes) * layout.Height));
        if (percent > read.LastPercent)
            (*read.Progress)(read.LastPercent = percent);
    }
}

void OnEnd(png_structp png, png_infop)
{
    static_cast<TPngRead*>(png_get_progressive_ptr(png))->Complete = true;
}

bool Decode(const std::uint8_t* data, std::size_t size, QImage& picture, std::string& error,
            const TLoadProgress& progress, bool& partial)
{
    TPngRead read;
    read.Progress = &progress;
    // Rows of up to 8 bytes a pixel, and the chunks.
    read.LargestBlock = std::size_t(BigEndian32(data + 16)) * 8 + 64 + ChunkLimit;
    TPngHandles handles;
    handles.Png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning, &read, Allocate,
                                           Release);
    if (!handles.Png || !(handles.Info = png_create_info_struct(handles.Png)))
        return false;
    png_structp png = handles.Png;
    png_set_chunk_malloc_max(png, ChunkLimit);
    png_set_chunk_cache_max(png, 256);
    static const png_byte Skipped[] = "tEXt\0zTXt\0iTXt\0sPLT";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, Skipped, 4);
    // libpng's reader of a stream in parts passes eXIf by; kept as an
    // unknown chunk it is read here.
    static const png_byte Kept[] = "eXIf";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_ALWAYS, Kept, 1);
    png_set_progressive_read_fn(png, &read, OnHeader, OnRow, OnEnd);

    // Handed over at once, the bytes are decoded as far as they go: a file
    // cut short simply ends with the rows its data held.
    Guarded(png, [&] { png_process_data(png, handles.Info, const_cast<png_bytep>(data), size); });
    if (read.OutOfMemory) {
        error = Messages::OutOfMemory;
        return false;
    }
    if (!read.RowsBegun)
        return false;
    const TLayout& layout = read.Layout;
    // Past the last row what follows (an eXIf chunk, the end) costs the
    // picture nothing if it is missing or broken.
    const bool complete = read.Complete || (layout.Passes == 1 && read.RowsDone == layout.Height);
    partial = !complete;
    if (partial && layout.Passes == 1)
        FillWhiteFrom(read.Picture, 0, read.RowsDone);
    if (Wholly(layout))
        for (png_uint_32 y = 0; y < layout.Height; ++y)
            OverWhite(read.Buffer.data() + std::size_t(y) * layout.RowBytes, read.Picture.scanLine(int(y)),
                      layout.Width);

    png_charp name = nullptr;
    int method = 0;
    png_bytep profile = nullptr;
    png_uint_32 profileLength = 0;
    if (png_get_iCCP(png, handles.Info, &name, &method, &profile, &profileLength) && profile && profileLength)
        ConvertToSrgb(read.Picture, QByteArray(reinterpret_cast<const char*>(profile), qsizetype(profileLength)));
    int orientation = 1;
    png_unknown_chunkp chunks = nullptr;
    for (int i = 0, count = png_get_unknown_chunks(png, handles.Info, &chunks); i < count; ++i)
        if (std::memcmp(chunks[i].name, "eXIf", 4) == 0 && chunks[i].data)
            orientation = ExifOrientation(chunks[i].data, chunks[i].size);
    error = Messages::OutOfMemory;
    picture = Oriented(std::move(read.Picture), orientation);
    if (picture.isNull())
        return false;
    if (complete && progress)
        progress(100);
    return true;
}

} // namespace

bool ReadPng(const std::uint8_t* data, std::size_t size, QImage& picture, std::string& error,
             const TLoadProgress& progress, bool* partial)
{
    error = Messages::UnknownFormat;
    bool cut = false;
    if (partial)
        *partial = false;
    if (size < 24 || std::memcmp(data, Signature, 8) != 0 || std::memcmp(data + 12, "IHDR", 4) != 0)
        return false;
    // The size is checked before libpng sets anything up for it.
    const std::int64_t width = BigEndian32(data + 16), height = BigEndian32(data + 20);
    if (width > 0 && height > 0 && !PictureFits(width, height)) {
        error = Messages::OutOfMemory;
        return false;
    }
    const bool read = DecodeWholeOrNothing(picture, error, [&](QImage& decoded) {
        return Decode(data, size, decoded, error, progress, cut);
    });
    if (read && partial)
        *partial = cut;
    return read;
}

bool ReadPngFile(const std::string& path, QImage& picture, std::string& error, const TLoadProgress& progress,
                 bool* partial)
{
    return ReadFileBytes(path, error, [&](const std::uint8_t* data, std::size_t size) {
        return ReadPng(data, size, picture, error, progress, partial);
    });
}

} // namespace orvanto

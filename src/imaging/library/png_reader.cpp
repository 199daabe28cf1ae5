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

// What libpng reads from and allocates for; shared with its callbacks.
struct TPngInput {
    const std::uint8_t* Data = nullptr;
    std::size_t Size = 0;
    std::size_t At = 0;
    std::size_t LargestBlock = 0;
    bool Short = false;
    // How far the rows have come, kept here (not in locals) so that they
    // survive libpng's jump out of a failed row.
    int Pass = 0;
    std::int64_t Rows = 0;
};

void ReadBytes(png_structp png, png_bytep out, std::size_t count)
{
    auto* input = static_cast<TPngInput*>(png_get_io_ptr(png));
    if (count > input->Size - input->At) {
        input->Short = true;
        png_error(png, "cut short");
    }
    std::memcpy(out, input->Data + input->At, count);
    input->At += count;
}

// libpng's own texts are not shown: the reader's result says what went wrong.
[[noreturn]] void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

// A block larger than a row or a chunk may need is refused; libpng then
// skips the chunk that asked for it or gives up on the file.
png_voidp Allocate(png_structp png, png_alloc_size_t size)
{
    const auto* input = static_cast<const TPngInput*>(png_get_mem_ptr(png));
    return size <= input->LargestBlock ? std::malloc(size) : nullptr;
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

struct TLayout {
    png_uint_32 Width = 0, Height = 0;
    int Passes = 1;
    bool Alpha = false;
    std::size_t RowBytes = 0;
};

// Every kind of PNG as 8-bit blue, green, red and, where the file has
// transparency, alpha.
void AskForBgr(png_structp png, png_infop info, TLayout& layout)
{
    png_read_info(png, info);
    png_set_expand(png); // palette to colour, small grey to 8 bits, a transparent colour to alpha
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    layout.Passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    layout.Width = png_get_image_width(png, info);
    layout.Height = png_get_image_height(png, info);
    layout.Alpha = png_get_channels(png, info) == 4;
    layout.RowBytes = png_get_rowbytes(png, info);
}

void OverWhite(const std::uint8_t* bgra, std::uint8_t* bgr, png_uint_32 width)
{
    for (png_uint_32 x = 0; x < width; ++x, bgra += 4, bgr += 3) {
        bgr[0] = std::uint8_t(OverWhite8(bgra[0], bgra[3]));
        bgr[1] = std::uint8_t(OverWhite8(bgra[1], bgra[3]));
        bgr[2] = std::uint8_t(OverWhite8(bgra[2], bgra[3]));
    }
}

class TRowReporter {
public:
    TRowReporter(const TLoadProgress& progress, const TLayout& layout)
        : FProgress(progress), FTotal(std::int64_t(layout.Passes) * layout.Height)
    {
    }
    void Reached(std::int64_t done)
    {
        const int percent = int(done * 99 / FTotal);
        if (FProgress && percent > FLast)
            FProgress(FLast = percent);
    }

private:
    const TLoadProgress& FProgress;
    std::int64_t FTotal;
    int FLast = -1;
};

// The rows, pass by pass, into picture: opaque rows straight into it, rows
// with alpha through buffer (one row, or the whole picture when interlaced,
// whose later passes add to the rows of the earlier ones).
void ReadRows(png_structp png, const TLayout& layout, QImage& picture, std::uint8_t* buffer, TPngInput& input,
              TRowReporter& reporter)
{
    const bool whole = layout.Alpha && layout.Passes > 1;
    for (input.Pass = 0; input.Pass < layout.Passes; ++input.Pass) {
        for (input.Rows = 0; input.Rows < std::int64_t(layout.Height); ++input.Rows) {
            const int y = int(input.Rows);
            std::uint8_t* row = !layout.Alpha ? picture.scanLine(y)
                                : whole       ? buffer + std::size_t(y) * layout.RowBytes
                                              : buffer;
            png_read_row(png, row, nullptr);
            if (layout.Alpha && !whole)
                OverWhite(buffer, picture.scanLine(y), layout.Width);
            reporter.Reached(std::int64_t(input.Pass) * layout.Height + y + 1);
        }
    }
}

bool Decode(const std::uint8_t* data, std::size_t size, QImage& picture, std::string& error,
            const TLoadProgress& progress, bool& partial)
{
    TPngInput input;
    input.Data = data;
    input.Size = size;
    // Rows of up to 8 bytes a pixel, and the chunks.
    input.LargestBlock = std::size_t(BigEndian32(data + 16)) * 8 + 64 + ChunkLimit;
    TPngHandles handles;
    handles.Png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning, &input, Allocate,
                                           Release);
    if (!handles.Png || !(handles.Info = png_create_info_struct(handles.Png)))
        return false;
    png_structp png = handles.Png;
    png_set_read_fn(png, &input, ReadBytes);
    png_set_chunk_malloc_max(png, ChunkLimit);
    png_set_chunk_cache_max(png, 256);
    static const png_byte Skipped[] = "tEXt\0zTXt\0iTXt\0sPLT";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, Skipped, 4);

    TLayout layout;
    if (!Guarded(png, [&] { AskForBgr(png, handles.Info, layout); }))
        return false;
    QByteArray profile;
    png_charp name = nullptr;
    int method = 0;
    png_bytep iccp = nullptr;
    png_uint_32 length = 0;
    if (png_get_iCCP(png, handles.Info, &name, &method, &iccp, &length) && iccp && length)
        profile = QByteArray(reinterpret_cast<const char*>(iccp), qsizetype(length));

    error = Messages::OutOfMemory;
    const bool whole = layout.Alpha && layout.Passes > 1;
    const std::int64_t bufferBytes = !layout.Alpha ? 0 : std::int64_t(layout.RowBytes) * (whole ? layout.Height : 1);
    if (bufferBytes > AllocationCeiling())
        return false;
    // Opaque white, so that what an interlaced file never reached is white.
    std::vector<std::uint8_t> buffer(std::size_t(bufferBytes), 0xFF);
    QImage target = AllocatePicture(layout.Width, layout.Height,
                                    layout.Passes > 1 ? TPictureFill::White : TPictureFill::None);
    if (target.isNull())
        return false;

    TRowReporter reporter(progress, layout);
    const bool complete = Guarded(png, [&] { ReadRows(png, layout, target, buffer.data(), input, reporter); });
    if (!complete) {
        if (input.Pass == 0 && input.Rows == 0) {
            error = Messages::UnknownFormat;
            return false;
        }
        partial = true;
        if (layout.Passes == 1)
            FillWhiteFrom(target, 0, input.Rows);
    } else {
        // An eXIf chunk may follow the image data. What breaks after the
        // last row costs the picture nothing, so a failure here is let be.
        Guarded(png, [&] { png_read_end(png, handles.Info); });
    }
    if (whole)
        for (png_uint_32 y = 0; y < layout.Height; ++y)
            OverWhite(buffer.data() + std::size_t(y) * layout.RowBytes, target.scanLine(int(y)), layout.Width);

    png_uint_32 exifLength = 0;
    png_bytep exif = nullptr;
    const int orientation =
        png_get_eXIf_1(png, handles.Info, &exifLength, &exif) && exif ? ExifOrientation(exif, exifLength) : 1;
    if (!profile.isEmpty())
        ConvertToSrgb(target, profile);
    picture = Oriented(std::move(target), orientation);
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

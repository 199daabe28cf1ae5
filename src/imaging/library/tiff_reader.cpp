#include "imaging/library/tiff_reader.h"
#include "support/messages/messages.h"

#include "imaging/codecs/picture_allocation.h"
#include "imaging/colour/colour_profile.h"
#include "imaging/colour/exif_orientation.h"
#include "imaging/file_bytes.h"
#include "support/files/file_listing.h"
#include "support/memory/memory_limit.h"

#include <QFile>

#include <algorithm>
#include <limits>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include <tiffio.h>

namespace orvanto {

namespace {

// The file's bytes as libtiff's client I/O sees them: read-only, mapped.
struct TMemoryFile {
    const std::uint8_t* Data;
    toff_t Size;
    toff_t Position;
};

tmsize_t ReadBytes(thandle_t handle, void* buffer, tmsize_t count)
{
    auto* file = static_cast<TMemoryFile*>(handle);
    if (count <= 0 || file->Position >= file->Size)
        return 0;
    const toff_t n = std::min<toff_t>(toff_t(count), file->Size - file->Position);
    std::memcpy(buffer, file->Data + file->Position, std::size_t(n));
    file->Position += n;
    return tmsize_t(n);
}

tmsize_t WriteBytes(thandle_t, void*, tmsize_t) { return 0; }

toff_t Seek(thandle_t handle, toff_t offset, int whence)
{
    auto* file = static_cast<TMemoryFile*>(handle);
    toff_t base = 0;
    if (whence == SEEK_CUR)
        base = file->Position;
    else if (whence == SEEK_END)
        base = file->Size;
    if (offset > ~toff_t(0) - base)
        return toff_t(-1);
    file->Position = base + offset;
    return file->Position;
}

int Close(thandle_t) { return 0; }
toff_t Size(thandle_t handle) { return static_cast<TMemoryFile*>(handle)->Size; }

int Map(thandle_t handle, void** base, toff_t* size)
{
    auto* file = static_cast<TMemoryFile*>(handle);
    *base = const_cast<std::uint8_t*>(file->Data);
    *size = file->Size;
    return 1;
}

void Unmap(thandle_t, void*, toff_t) {}

// libtiff's messages go nowhere: the caller gets one clear message instead.
int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TTiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
struct TOptionsFree {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
struct TImageEnd {
    void operator()(TIFFRGBAImage* image) const { TIFFRGBAImageEnd(image); }
};

bool HasHeader(const std::uint8_t* data, std::size_t size)
{
    if (size < 8)
        return false;
    const bool little = data[0] == 'I' && data[1] == 'I', big = data[0] == 'M' && data[1] == 'M';
    const int version = little ? data[2] | data[3] << 8 : data[2] << 8 | data[3];
    return (little || big) && (version == 42 || version == 43);
}

// libtiff's packed pixels (red in the low byte, alpha premultiplied) laid
// over white.
void StoreRow(const std::uint32_t* source, std::uint8_t* target, std::uint32_t width)
{
    for (std::uint32_t x = 0; x < width; ++x, target += 3) {
        const std::uint32_t p = source[x];
        const std::uint32_t clear = 255 - TIFFGetA(p);
        target[0] = std::uint8_t(std::min<std::uint32_t>(TIFFGetB(p) + clear, 255));
        target[1] = std::uint8_t(std::min<std::uint32_t>(TIFFGetG(p) + clear, 255));
        target[2] = std::uint8_t(std::min<std::uint32_t>(TIFFGetR(p) + clear, 255));
    }
}

// Rows decoded per call: whole strips or tiles, at least 64 rows where that
// stays small, so each strip is decoded once.
std::uint32_t RowsPerChunk(TIFF* tiff, std::uint32_t width, std::uint32_t height)
{
    std::uint32_t unit = 0;
    if (TIFFIsTiled(tiff))
        TIFFGetField(tiff, TIFFTAG_TILELENGTH, &unit);
    else
        TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &unit);
    unit = std::clamp<std::uint32_t>(unit, 1, height);
    const std::uint32_t budget = std::max<std::uint32_t>(1, std::uint32_t((32u << 20) / (std::uint64_t(width) * 4)));
    std::uint32_t chunk = (64 + unit - 1) / unit * unit;
    if (chunk > budget)
        chunk = unit <= budget ? budget / unit * unit : budget;
    return std::min(chunk, height);
}

// An 8-bit CMYK picture in strips, its inks turned into colour through the
// profile it carries. Null when the picture is of another kind or its
// profile cannot be used: libtiff's own formula then serves.
std::unique_ptr<TCmykToSrgb> CmykThroughProfile(TIFF* tiff)
{
    std::uint16_t photometric = 0, bits = 0, samples = 0, inks = INKSET_CMYK;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_INKSET, &inks);
    std::uint32_t profileSize = 0;
    void* profileData = nullptr;
    if (photometric != PHOTOMETRIC_SEPARATED || bits != 8 || samples != 4 || inks != INKSET_CMYK || TIFFIsTiled(tiff)
        || !TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &profileSize, &profileData) || !profileData || profileSize == 0)
        return nullptr;
    return TCmykToSrgb::Make(QByteArray(static_cast<const char*>(profileData), qsizetype(profileSize)), false);
}

// Strips of CMYK samples, contiguous or one plane per ink, through the
// profile. Whole strips are read: rows taken one by one from separate planes
// would restart a compressed strip for every row of every ink.
bool DecodeCmyk(TIFF* tiff, const TCmykToSrgb& inks, std::uint32_t width, std::uint32_t height, QImage& picture,
                std::string& error, const TLoadProgress& progress)
{
    std::uint16_t planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    const int planes = planar == PLANARCONFIG_SEPARATE ? 4 : 1;
    std::uint32_t stripRows = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &stripRows);
    stripRows = std::clamp<std::uint32_t>(stripRows, 1, height);
    const std::uint64_t sampleBytes = std::uint64_t(width) * (planes == 4 ? 1 : 4);
    const std::uint64_t stripBytes = sampleBytes * stripRows;
    if (stripBytes * std::uint64_t(planes) > std::uint64_t(std::max<std::int64_t>(AllocationCeiling(), 1 << 20))) {
        error = Messages::OutOfMemory;
        return false;
    }
    error = Messages::OutOfMemory;
    std::vector<std::uint8_t> strips(std::size_t(stripBytes) * std::size_t(planes));
    std::vector<std::uint8_t> cmyk(planes == 4 ? std::size_t(width) * 4 : 0);
    picture = AllocatePicture(width, height, TPictureFill::None);
    if (picture.isNull())
        return false;
    error = Messages::UnknownFormat;
    int lastPercent = -1;
    for (std::uint32_t y = 0; y < height; y += stripRows) {
        const std::uint32_t rows = std::min(stripRows, height - y);
        const tmsize_t wanted = tmsize_t(sampleBytes * rows);
        bool read = true;
        for (int ink = 0; ink < planes && read; ++ink)
            read = TIFFReadEncodedStrip(tiff, TIFFComputeStrip(tiff, y, std::uint16_t(ink)),
                                        strips.data() + std::size_t(stripBytes) * std::size_t(ink), wanted)
                == wanted;
        if (!read) {
            // Data cut short: the rows read stay, the rest is white.
            if (y == 0)
                return false;
            FillWhiteFrom(picture, 0, y);
            break;
        }
        for (std::uint32_t r = 0; r < rows; ++r) {
            const std::uint8_t* row = strips.data() + std::size_t(sampleBytes) * r;
            if (planes == 4) {
                for (std::uint32_t x = 0; x < width; ++x)
                    for (int ink = 0; ink < 4; ++ink)
                        cmyk[std::size_t(x) * 4 + std::size_t(ink)] = row[std::size_t(stripBytes) * std::size_t(ink) + x];
                row = cmyk.data();
            }
            inks.Convert(row, 0, picture.scanLine(int(y + r)), 0, int(width), 1);
        }
        const int percent = int(std::uint64_t(y + rows) * 99 / height);
        if (progress && percent > lastPercent)
            progress(lastPercent = percent);
    }
    return true;
}

bool Decode(TIFF* tiff, QImage& picture, std::string& error, const TLoadProgress& progress)
{
    std::uint32_t width = 0, height = 0;
    if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height))
        return false;
    if (!PictureFits(width, height)) {
        error = Messages::OutOfMemory;
        return false;
    }
    if (const std::unique_ptr<TCmykToSrgb> inks = CmykThroughProfile(tiff)) {
        std::uint16_t orientation = ORIENTATION_TOPLEFT;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
        if (!DecodeCmyk(tiff, *inks, width, height, picture, error, progress))
            return false;
        error = Messages::OutOfMemory;
        picture = Oriented(std::move(picture), orientation);
        return !picture.isNull();
    }
    char message[1024] = {};
    error = Messages::UnsupportedFormat;
    if (!TIFFRGBAImageOK(tiff, message))
        return false;
    TIFFRGBAImage image {};
    if (!TIFFRGBAImageBegin(&image, tiff, 1, message))
        return false;
    const std::unique_ptr<TIFFRGBAImage, TImageEnd> ending(&image);
    // The raster as stored, top row first; the orientation is applied after,
    // with the transpositions libtiff does not do.
    const int orientation = image.orientation;
    image.orientation = ORIENTATION_TOPLEFT;
    image.req_orientation = ORIENTATION_TOPLEFT;
    std::uint16_t photometric = PHOTOMETRIC_RGB;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PHOTOMETRIC, &photometric);

    error = Messages::OutOfMemory;
    const std::uint32_t chunk = RowsPerChunk(tiff, width, height);
    std::vector<std::uint32_t> raster(std::size_t(width) * chunk);
    picture = AllocatePicture(width, height, TPictureFill::None);
    if (picture.isNull())
        return false;
    error = Messages::UnknownFormat;
    int lastPercent = -1;
    for (std::uint32_t y = 0; y < height; y += chunk) {
        const std::uint32_t rows = std::min(chunk, height - y);
        image.row_offset = int(y);
        image.col_offset = 0;
        if (!TIFFRGBAImageGet(&image, raster.data(), width, rows)) {
            // Data cut short: the rows read stay, the rest is white.
            if (y == 0)
                return false;
            FillWhiteFrom(picture, 0, y);
            break;
        }
        for (std::uint32_t r = 0; r < rows; ++r)
            StoreRow(raster.data() + std::size_t(r) * width, picture.scanLine(int(y + r)), width);
        const int percent = int(std::uint64_t(y + rows) * 99 / height);
        if (progress && percent > lastPercent)
            progress(lastPercent = percent);
    }

    // A CMYK file's profile describes ink, not the colours computed above
    // (such files with a usable profile took the way above).
    std::uint32_t profileSize = 0;
    void* profileData = nullptr;
    if (photometric != PHOTOMETRIC_SEPARATED && TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &profileSize, &profileData)
        && profileData && profileSize > 0)
        ConvertToSrgb(picture, QByteArray(static_cast<const char*>(profileData), qsizetype(profileSize)));
    error = Messages::OutOfMemory;
    picture = Oriented(std::move(picture), orientation);
    return !picture.isNull();
}

} // namespace

namespace {

// The file read as libtiff asks, a strip at a time: the picture is the only
// large thing a load holds, not the file's bytes beside it.
tmsize_t ReadFromFile(thandle_t handle, void* buffer, tmsize_t count)
{
    return count <= 0 ? 0 : tmsize_t(static_cast<QFile*>(handle)->read(static_cast<char*>(buffer), count));
}

toff_t SeekInFile(thandle_t handle, toff_t offset, int whence)
{
    auto* file = static_cast<QFile*>(handle);
    toff_t base = 0;
    if (whence == SEEK_CUR)
        base = toff_t(file->pos());
    else if (whence == SEEK_END)
        base = toff_t(file->size());
    if (offset > toff_t(std::numeric_limits<qint64>::max()) - base || !file->seek(qint64(base + offset)))
        return toff_t(-1);
    return base + offset;
}

toff_t SizeOfFile(thandle_t handle) { return toff_t(static_cast<QFile*>(handle)->size()); }
int NoMap(thandle_t, void**, toff_t*) { return 0; }

bool ReadThrough(thandle_t handle, TIFFReadWriteProc read, TIFFSeekProc seek, TIFFSizeProc size, TIFFMapFileProc map,
                 QImage& picture, std::string& error, const TLoadProgress& progress)
{
    return DecodeWholeOrNothing(picture, error, [&](QImage& decoded) {
        const std::unique_ptr<TIFFOpenOptions, TOptionsFree> options(TIFFOpenOptionsAlloc());
        if (!options) {
            error = Messages::OutOfMemory;
            return false;
        }
        // libtiff's own buffers (directories, strips) stay under the ceiling,
        // though never so low that it cannot read the directory whose size
        // is checked against the ceiling below.
        TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(),
                                            tmsize_t(std::max<std::int64_t>(AllocationCeiling(), 1 << 20)));
        TIFFOpenOptionsSetErrorHandlerExtR(options.get(), Quiet, nullptr);
        TIFFOpenOptionsSetWarningHandlerExtR(options.get(), Quiet, nullptr);
        const std::unique_ptr<TIFF, TTiffCloser> tiff(TIFFClientOpenExt("picture", "r", handle, read, WriteBytes,
                                                                        seek, Close, size, map, Unmap, options.get()));
        if (!tiff)
            return false;
        return Decode(tiff.get(), decoded, error, progress);
    });
}

} // namespace

bool ReadTiff(const std::uint8_t* data, std::size_t size, QImage& picture, std::string& error,
              const TLoadProgress& progress)
{
    error = Messages::UnknownFormat;
    if (!HasHeader(data, size))
        return false;
    TMemoryFile file{data, toff_t(size), 0};
    return ReadThrough(&file, ReadBytes, Seek, Size, Map, picture, error, progress);
}

bool ReadTiffFile(const std::string& path, QImage& picture, std::string& error, const TLoadProgress& progress)
{
    QFile file;
    if (!OpenPictureFile(file, path, error))
        return false;
    std::uint8_t header[8] = {};
    error = Messages::UnknownFormat;
    if (file.read(reinterpret_cast<char*>(header), 8) != 8 || !HasHeader(header, 8) || !file.seek(0))
        return false;
    if (ReadThrough(&file, ReadFromFile, SeekInFile, SizeOfFile, NoMap, picture, error, progress))
        return true;
    // libtiff forgives more in a file it can map (tiles whose byte counts
    // overshoot, as ImageMagick writes them): read such a file mapped whole.
    file.close();
    return ReadFileBytes(path, error, [&](const std::uint8_t* data, std::size_t size) {
        return ReadTiff(data, size, picture, error, progress);
    });
}

} // namespace orvanto

#include "imaging/metafile/metafile.h"

#include "imaging/codecs/picture_allocation.h"
#include "imaging/metafile/metafile_formats.h"
#include "platform/platform.h"
#include "support/files/file_listing.h"
#include "support/memory/memory_limit.h"
#include "support/messages/messages.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <cstdlib>

namespace orvanto {

namespace {

TMetaBytes View(const QByteArray& bytes)
{
    return TMetaBytes(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
}

// a * b / c rounded to the nearest, halves away from zero, as the Windows
// MulDiv the sizes were always computed with.
std::int64_t MulDiv(double a, double b, double c)
{
    return std::int64_t(std::llround(a * b / c));
}

int ClampSize(std::int64_t size)
{
    // A negative or empty extent still makes a one-pixel picture; a huge one
    // is left for the allocation ceiling to refuse.
    if (size < 1)
        return 1;
    return size > (1 << 30) ? (1 << 30) : int(size);
}

} // namespace

TMetafile::TMetafile(int pixelsPerInch) : FPixelsPerInch(pixelsPerInch > 0 ? pixelsPerInch : Platform().Screen().PixelsPerInch()) {}

bool TMetafile::LoadFromFile(const std::string& path)
{
    FError = Messages::FileNotFound;
    if (!IsFile(path))
        return false;
    FError = Messages::FileInUse;
    QFile file;
    if (!OpenReadOnly(file, path))
        return false;
    FError = Messages::OutOfMemory;
    if (file.size() > AllocationCeiling())
        return false;
    FError = Messages::FileInUse;
    const QByteArray bytes = file.readAll();
    if (bytes.size() != file.size())
        return false;
    return LoadFromBytes(bytes);
}

bool TMetafile::LoadFromBytes(const QByteArray& bytes)
{
    FError = Messages::UnknownFormat;
    FPixelWidth = FPixelHeight = 0;
    FBytes.clear();
    TMetafileLayout layout;
    // Each reader gets a view of its own: a read past the end marks a view bad.
    if (ReadEmfLayout(View(bytes), layout)) {
        FPixelWidth = ClampSize(MulDiv(layout.Box.width(), FPixelsPerInch, 2540));
        FPixelHeight = ClampSize(MulDiv(layout.Box.height(), FPixelsPerInch, 2540));
    } else if (ReadWmfLayout(View(bytes), layout)) {
        // Through hundredths of a millimetre, as the size was always reported.
        const std::int64_t mmWidth = MulDiv(std::abs(layout.Box.width()), 2540, layout.UnitsPerInch);
        const std::int64_t mmHeight = MulDiv(std::abs(layout.Box.height()), 2540, layout.UnitsPerInch);
        FPixelWidth = ClampSize(MulDiv(double(mmWidth), FPixelsPerInch, 2540));
        FPixelHeight = ClampSize(MulDiv(double(mmHeight), FPixelsPerInch, 2540));
    } else {
        return false;
    }
    FEnhanced = layout.Enhanced;
    FBytes = bytes;
    FError.clear();
    return true;
}

void TMetafile::Draw(QImage& picture) const
{
    if (FBytes.isEmpty() || picture.isNull())
        return;
    TMetafileLayout layout;
    if (FEnhanced) {
        if (ReadEmfLayout(View(FBytes), layout))
            PlayEmf(View(FBytes), layout, picture);
    } else if (ReadWmfLayout(View(FBytes), layout)) {
        PlayWmf(View(FBytes), layout, picture);
    }
}

bool LoadMetafile(const std::string& path, QImage& picture, std::string& error, int pixelsPerInch)
{
    try {
        TMetafile metafile(pixelsPerInch);
        if (!metafile.LoadFromFile(path)) {
            error = metafile.LastError();
            return false;
        }
        error = Messages::OutOfMemory;
        QImage result = AllocatePicture(metafile.Width(), metafile.Height());
        if (result.isNull())
            return false;
        metafile.Draw(result);
        picture = result;
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace orvanto

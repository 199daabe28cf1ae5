#include "archive_file.h"
#include "command_registry.h"

#include "archive/zip_box.h"
#include "imaging/bitmap/bitmap_writer.h"
#include "support/memory/memory_limit.h"

#include <QBuffer>
#include <QImage>

#include <cstring>

namespace orvanto {

namespace {

const char* const Usage = "Usage: orvanto-tool carrier make ARCHIVE OUT.bmp [--width 334]";

// The bytes before the archive inside the pixel array: with the 54 header
// bytes they put the archive 154 bytes into the file, where the program's
// second look finds it.
constexpr int LeadingFiller = TZipBox::CarrierOffset - 54;
constexpr char Filler = char(0xFF);

// A 24-bit picture whose pixel array, in file order (bottom row first,
// padding included), is the leading filler, the archive and filler to the
// end. Null when it would be too large.
QImage CarrierPicture(const std::string& archive, int width)
{
    const std::int64_t rowBytes = (std::int64_t(width) * 3 + 3) / 4 * 4;
    const std::int64_t used = LeadingFiller + std::int64_t(archive.size());
    const std::int64_t rows = (used + rowBytes - 1) / rowBytes;
    if (rowBytes * rows > AllocationCeiling())
        return {};
    QImage picture(width, int(rows), QImage::Format_BGR888);
    if (picture.isNull() || picture.bytesPerLine() != rowBytes)
        return {};
    std::string pixels(std::size_t(rowBytes * rows), Filler);
    std::memcpy(pixels.data() + LeadingFiller, archive.data(), archive.size());
    for (int row = 0; row < int(rows); ++row)
        std::memcpy(picture.scanLine(int(rows) - 1 - row), pixels.data() + row * rowBytes,
                    std::size_t(rowBytes));
    return picture;
}

int RunCarrier(const std::vector<std::string>& arguments)
{
    std::vector<std::string> positional;
    int width = 334;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--width") {
            if (++i == arguments.size())
                return Fail(Usage);
            try {
                std::size_t used = 0;
                width = std::stoi(arguments[i], &used);
                if (used != arguments[i].size())
                    return Fail(Usage);
            } catch (...) {
                return Fail(Usage);
            }
            if (width < 1 || width > 32767)
                return Fail("The width must be 1 to 32767 pixels");
        } else {
            positional.push_back(arguments[i]);
        }
    }
    if (positional.size() != 3 || positional[0] != "make")
        return Fail(Usage);
    std::string archive, error;
    if (!ReadToolFile(positional[1], archive, error))
        return Fail(error);
    // Only an archive the program can read is worth carrying.
    {
        QByteArray data(archive.data(), qsizetype(archive.size()));
        QBuffer stream(&data);
        stream.open(QIODevice::ReadOnly);
        TZipBox box;
        if (!box.LoadFromStream(stream, false))
            return Fail(box.LastError() + ": " + positional[1]);
    }
    const QImage picture = CarrierPicture(archive, width);
    if (picture.isNull())
        return Fail("Out of memory: the archive is too large for a carrier picture");
    if (!SaveBitmapFile(picture, positional[2], error))
        return Fail(error + ": " + positional[2]);
    return 0;
}

TRegisterCommand registration{{"carrier", "carrier make ARCHIVE OUT.bmp [--width 334]",
                               "hides an archive in the pixels of a 24-bit Windows bitmap",
                               &RunCarrier}};

} // namespace

} // namespace orvanto

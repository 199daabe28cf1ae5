#include "bilevel_convert.h"

#include "imaging/codecs/portable_pixelmap.h"
#include "imaging/codecs/x_bitmap.h"

#include "imaging/file_bytes.h"

#include <QBuffer>
#include <QFile>

namespace orvanto {

bool ConvertBilevel(const std::string& input, const std::string& output, const TToolOptions& options,
                    bool& succeeded, std::string& error)
{
    int type = 4;
    std::string optionError;
    if (ExtensionOf(input) != ".XBM" || ExtensionOf(output) != ".PBM" || options.Values.size() > 1
        || (options.Values.size() == 1 && !options.Has("--pnm-type"))
        || !options.Integer("--pnm-type", 4, 1, 6, type, optionError) || type != 4)
        return false;
    TXBitmap reader;
    reader.BitsOnly = true;
    // The file's bytes are mapped, not copied. A file that does not load
    // takes the usual way, which reports it in the program's own words.
    bool loaded = false;
    std::string readError;
    ReadFileBytes(input, readError, [&](const std::uint8_t* data, std::size_t size) {
        QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
        QBuffer buffer(&bytes);
        if (!buffer.open(QIODevice::ReadOnly))
            return false;
        try {
            reader.LoadFromStream(buffer);
            loaded = true;
        } catch (...) {
            // reported again by the usual way
        }
        return loaded;
    });
    if (!loaded)
        return false;
    const QImage bits = reader.Bits;
    succeeded = WriteReplacing(
        output,
        [&bits](const std::string& temporary, std::string& failure) {
            TPortablePixelmap writer;
            QFile file(QString::fromStdString(temporary));
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
                failure = writer.Texts().InUse;
                return false;
            }
            if (!TPortablePixelmap::WriteRawBitmap(file, bits) || !file.flush()) {
                failure = writer.Texts().OutOfMemory;
                return false;
            }
            return true;
        },
        error, (std::int64_t(bits.width()) + 7) / 8 * bits.height());
    return true;
}

} // namespace orvanto

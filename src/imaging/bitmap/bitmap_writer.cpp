#include "imaging/bitmap/bitmap_writer.h"

#include "support/messages/messages.h"

#include <QFile>
#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <new>

namespace orvanto {

namespace {

constexpr int HeaderBytes = 54;

void Put16(char* p, std::uint32_t v)
{
    p[0] = char(v & 0xFF), p[1] = char(v >> 8 & 0xFF);
}

void Put32(char* p, std::uint32_t v)
{
    Put16(p, v & 0xFFFF), Put16(p + 2, v >> 16);
}

void WriteHeaders(char* h, int width, int height, std::uint32_t imageBytes)
{
    std::memset(h, 0, HeaderBytes);
    h[0] = 'B', h[1] = 'M';
    Put32(h + 2, HeaderBytes + imageBytes);
    Put32(h + 10, HeaderBytes);
    Put32(h + 14, 40);
    Put32(h + 18, std::uint32_t(width));
    Put32(h + 22, std::uint32_t(height));
    Put16(h + 26, 1);
    Put16(h + 28, 24);
    Put32(h + 34, imageBytes);
}

// The rows as stored, each padded to 4 bytes. A blue-green-red picture is
// copied row by row with its own padding bytes; any other is converted.
QByteArray RowsOf(const QImage& source, std::string& error)
{
    error = Messages::OutOfMemory;
    QImage picture = source.format() == QImage::Format_BGR888 ? source
                                                               : source.convertToFormat(QImage::Format_BGR888);
    if (picture.isNull())
        return QByteArray();
    const qsizetype stride = (qsizetype(picture.width()) * 3 + 3) / 4 * 4;
    QByteArray rows(stride * picture.height(), Qt::Uninitialized);
    if (rows.size() != stride * picture.height())
        return QByteArray();
    const qsizetype copied = std::min<qsizetype>(stride, picture.bytesPerLine());
    for (int y = 0; y < picture.height(); ++y) {
        char* dst = rows.data() + qsizetype(picture.height() - 1 - y) * stride;
        std::memcpy(dst, picture.constScanLine(y), std::size_t(copied));
        if (copied < stride)
            std::memset(dst + copied, 0, std::size_t(stride - copied));
    }
    error.clear();
    return rows;
}

} // namespace

QByteArray BitmapFileBytes(const QImage& picture, std::string& error)
{
    try {
        if (picture.isNull()) {
            error = Messages::OutOfMemory;
            return QByteArray();
        }
        const QByteArray rows = RowsOf(picture, error);
        if (rows.isEmpty())
            return QByteArray();
        QByteArray file(HeaderBytes + rows.size(), Qt::Uninitialized);
        WriteHeaders(file.data(), picture.width(), picture.height(), std::uint32_t(rows.size()));
        std::memcpy(file.data() + HeaderBytes, rows.constData(), std::size_t(rows.size()));
        return file;
    } catch (const std::bad_alloc&) {
        error = Messages::OutOfMemory;
        return QByteArray();
    }
}

bool SaveBitmapFile(const QImage& picture, QIODevice& device, std::string& error)
{
    try {
        if (picture.isNull()) {
            error = Messages::OutOfMemory;
            return false;
        }
        const QByteArray rows = RowsOf(picture, error);
        if (rows.isEmpty())
            return false;
        char header[HeaderBytes];
        WriteHeaders(header, picture.width(), picture.height(), std::uint32_t(rows.size()));
        error = Messages::OutOfDiskSpace;
        if (device.write(header, HeaderBytes) != HeaderBytes || device.write(rows) != rows.size())
            return false;
        error.clear();
        return true;
    } catch (const std::bad_alloc&) {
        error = Messages::OutOfMemory;
        return false;
    }
}

bool SaveBitmapFile(const QImage& picture, const std::string& path, std::string& error)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = Messages::FileInUse;
        return false;
    }
    if (!SaveBitmapFile(picture, file, error))
        return false;
    if (!file.flush()) {
        error = Messages::OutOfDiskSpace;
        return false;
    }
    return true;
}

} // namespace orvanto

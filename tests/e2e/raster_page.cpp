#include "tests/e2e/raster_page.h"

#include <QFile>

#include <cstdint>
#include <cstring>

namespace {

std::uint32_t BigEndian(const QByteArray& bytes, qsizetype at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData() + at);
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

TRasterPage Fail(TRasterPage page, const char* why)
{
    page.Image = QImage();
    page.Error = why;
    return page;
}

// The packing both formats share: per row a repeat count, then runs (0-127:
// one pixel, repeated count + 1 times) and literals (129-255: 257 - count
// pixels); 128 fills the rest of the row with white.
TRasterPage Unpack(TRasterPage page, const QByteArray& bytes, qsizetype at, int width, int height, int channels)
{
    if (width <= 0 || height <= 0 || width > 20000 || height > 30000)
        return Fail(page, "page size out of range");
    if (channels != 1 && channels != 3)
        return Fail(page, "neither grey nor colour");
    page.Image = QImage(width, height, QImage::Format_RGB888);
    if (page.Image.isNull())
        return Fail(page, "no memory");
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype end = bytes.size();
    QByteArray row(qsizetype(width) * channels, '\0');
    int y = 0;
    while (y < height) {
        if (at >= end)
            return Fail(page, "cut short");
        const int copies = data[at++] + 1;
        int x = 0;
        while (x < width) {
            if (at >= end)
                return Fail(page, "cut short in a row");
            const int code = data[at++];
            if (code == 128) {
                std::memset(row.data() + qsizetype(x) * channels, 255, qsizetype(width - x) * channels);
                x = width;
            } else if (code < 128) {
                if (at + channels > end || x + code + 1 > width)
                    return Fail(page, "run past the row");
                for (int i = 0; i <= code; ++i, ++x)
                    std::memcpy(row.data() + qsizetype(x) * channels, data + at, channels);
                at += channels;
            } else {
                const int count = 257 - code;
                if (at + qsizetype(count) * channels > end || x + count > width)
                    return Fail(page, "literal past the row");
                std::memcpy(row.data() + qsizetype(x) * channels, data + at, qsizetype(count) * channels);
                at += qsizetype(count) * channels;
                x += count;
            }
        }
        if (y + copies > height)
            return Fail(page, "rows past the page");
        for (int i = 0; i < copies; ++i, ++y) {
            uchar* out = page.Image.scanLine(y);
            for (int px = 0; px < width; ++px)
                for (int c = 0; c < 3; ++c)
                    out[px * 3 + c] = uchar(row[qsizetype(px) * channels + (channels == 3 ? c : 0)]);
        }
    }
    page.End = at;
    return page;
}

} // namespace

TRasterPage ReadRaster(const QByteArray& bytes, int index)
{
    TRasterPage page;
    if (bytes.startsWith("RaS2")) {
        page.Format = "pwg";
        qsizetype h = 4;
        for (int n = 0;; ++n) {
            if (bytes.size() < h + 1796)
                return Fail(page, "header cut short");
            if (std::strncmp(bytes.constData() + h, "PwgRaster", 10) != 0)
                return Fail(page, "not a PWG page header");
            const std::uint32_t dpiX = BigEndian(bytes, h + 276), dpiY = BigEndian(bytes, h + 280);
            const std::uint32_t bits = BigEndian(bytes, h + 384), pixelBits = BigEndian(bytes, h + 388);
            const std::uint32_t width = BigEndian(bytes, h + 372), perLine = BigEndian(bytes, h + 392);
            const std::uint32_t space = BigEndian(bytes, h + 400);
            page.Pages = int(BigEndian(bytes, h + 452));
            if (dpiX != dpiY || bits != 8 || perLine != width * (pixelBits / 8))
                return Fail(page, "resolution or sample size we do not read");
            if (!((space == 19 && pixelBits == 24) || (space == 18 && pixelBits == 8)))
                return Fail(page, "colour space we do not read");
            page.Dpi = int(dpiX);
            page = Unpack(page, bytes, h + 1796, int(width), int(BigEndian(bytes, h + 376)), int(pixelBits / 8));
            if (n == index || page.Image.isNull())
                return page;
            h = page.End;
        }
    }
    if (bytes.startsWith(QByteArray("UNIRAST\0", 8))) {
        page.Format = "urf";
        page.Pages = bytes.size() >= 12 ? int(BigEndian(bytes, 8)) : 0;
        qsizetype h = 12;
        for (int n = 0;; ++n) {
            if (bytes.size() < h + 32)
                return Fail(page, "header cut short");
            const int pixelBits = static_cast<unsigned char>(bytes[h]);
            const int space = static_cast<unsigned char>(bytes[h + 1]);
            if (!((space == 1 && pixelBits == 24) || (space == 0 && pixelBits == 8)))
                return Fail(page, "colour space we do not read");
            page.Dpi = int(BigEndian(bytes, h + 20));
            page = Unpack(page, bytes, h + 32, int(BigEndian(bytes, h + 12)), int(BigEndian(bytes, h + 16)),
                          pixelBits / 8);
            if (n == index || page.Image.isNull())
                return page;
            h = page.End;
        }
    }
    return Fail(page, "neither PWG nor Apple raster");
}

TRasterPage ReadRasterFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        TRasterPage page;
        page.Error = "cannot open " + path;
        return page;
    }
    return ReadRaster(file.readAll());
}

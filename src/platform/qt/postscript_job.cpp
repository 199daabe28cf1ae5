#include "platform/qt/postscript_job.h"

#include "imaging/codecs/jpeg_encoder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include <zlib.h>

namespace orvanto {

namespace {

constexpr int JpegQuality = 94;

bool IsGrey(const QImage& bitmap)
{
    for (int y = 0; y < bitmap.height(); ++y) {
        const std::uint8_t* p = bitmap.constScanLine(y);
        for (int x = 0; x < bitmap.width(); ++x, p += 3)
            if (p[0] != p[1] || p[1] != p[2])
                return false;
    }
    return true;
}

// Deflate level 1, row by row: colour rows are turned from blue-green-red
// into the red-green-blue order PostScript reads, one row at a time.
bool EncodeDeflate(const QImage& bitmap, bool grey, QByteArray& data)
{
    z_stream stream{};
    if (deflateInit(&stream, 1) != Z_OK)
        return false;
    bool done = true;
    try {
        const int width = bitmap.width();
        const std::size_t rowBytes = std::size_t(width) * (grey ? 1 : 3);
        std::vector<std::uint8_t> row(rowBytes);
        std::vector<std::uint8_t> out(1 << 16);
        for (int y = 0; y <= bitmap.height() && done; ++y) {
            const bool last = y == bitmap.height();
            if (!last) {
                const std::uint8_t* line = bitmap.constScanLine(y);
                for (int x = 0; x < width; ++x) {
                    if (grey) {
                        row[std::size_t(x)] = line[3 * x];
                    } else {
                        row[3 * std::size_t(x)] = line[3 * x + 2];
                        row[3 * std::size_t(x) + 1] = line[3 * x + 1];
                        row[3 * std::size_t(x) + 2] = line[3 * x];
                    }
                }
            }
            stream.next_in = row.data();
            stream.avail_in = last ? 0 : uInt(rowBytes);
            int status = Z_OK;
            do {
                stream.next_out = out.data();
                stream.avail_out = uInt(out.size());
                status = deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
                if (status == Z_STREAM_ERROR) {
                    done = false;
                    break;
                }
                data.append(reinterpret_cast<const char*>(out.data()), qsizetype(out.size() - stream.avail_out));
            } while (stream.avail_out == 0 || (last && status != Z_STREAM_END));
        }
    } catch (const std::bad_alloc&) {
        done = false;
    }
    deflateEnd(&stream);
    return done;
}

// ASCII85, lines of at most 80 characters: the print system's PostScript
// filters read the document as text lines.
void AppendAscii85(QByteArray& out, const QByteArray& data)
{
    const auto* in = reinterpret_cast<const std::uint8_t*>(data.constData());
    const qsizetype size = data.size();
    out.reserve(out.size() + size * 5 / 4 + size / 64 + 8);
    int column = 0;
    auto put = [&](char c) {
        out.append(c);
        if (++column == 80) {
            out.append('\n');
            column = 0;
        }
    };
    for (qsizetype i = 0; i < size; i += 4) {
        const qsizetype n = std::min<qsizetype>(4, size - i);
        std::uint32_t value = 0;
        for (qsizetype k = 0; k < 4; ++k)
            value = value << 8 | (k < n ? in[i + k] : 0);
        if (n == 4 && value == 0) {
            put('z');
            continue;
        }
        char digits[5];
        for (int k = 4; k >= 0; --k) {
            digits[k] = char('!' + value % 85);
            value /= 85;
        }
        for (qsizetype k = 0; k <= n; ++k)
            put(digits[k]);
    }
    out.append("~>\n");
}

QByteArray Number(double value)
{
    return QByteArray::number(value, 'f', 3);
}

} // namespace

bool TPostScriptJob::Encode(const QImage& source, TCompression compression, TEncodedImage& encoded)
{
    try {
        const QImage bitmap =
            source.format() == QImage::Format_BGR888 ? source : source.convertToFormat(QImage::Format_BGR888);
        if (bitmap.isNull())
            return false;
        TEncodedImage result;
        result.Width = bitmap.width();
        result.Height = bitmap.height();
        result.Grey = IsGrey(bitmap);
        result.Compression = compression;
        std::string error;
        const bool done = compression == TCompression::Jpeg
            ? EncodeJpeg(bitmap, JpegQuality, result.Data, error,
                         result.Grey ? TJpegChannels::Grey : TJpegChannels::Colour)
            : EncodeDeflate(bitmap, result.Grey, result.Data);
        if (!done)
            return false;
        encoded = std::move(result);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool TPostScriptJob::Add(const QImage& bitmap, const QRectF& destination)
{
    try {
        TPlaced placed;
        placed.Destination = destination;
        placed.Page = FPages;
        if (!Encode(bitmap, FCompression, placed.Image))
            return false;
        FImages.push_back(std::move(placed));
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

QByteArray TPostScriptJob::Document(const QSizeF& paper, bool landscape, const QRectF& clip) const
{
    // Points on the page as oriented, from its top left; PostScript counts
    // from the bottom left, upwards.
    const double pageHeight = landscape ? paper.width() : paper.height();
    QByteArray out;
    const QByteArray pages = QByteArray::number(FPages);
    out += "%!PS-Adobe-3.0\n%%Creator: Orvanto\n%%LanguageLevel: 2\n%%Pages: " + pages + "\n";
    out += "%%BoundingBox: 0 0 " + QByteArray::number(qRound(paper.width())) + ' '
        + QByteArray::number(qRound(paper.height())) + "\n%%EndComments\n";
    for (int page = 1; page <= FPages; ++page) {
        const QByteArray number = QByteArray::number(page);
        out += "%%Page: " + number + ' ' + number + "\nsave\n";
        if (landscape)
            out += Number(paper.width()) + " 0 translate 90 rotate\n";
        out += Number(clip.left()) + ' ' + Number(pageHeight - clip.bottom()) + ' ' + Number(clip.width()) + ' '
            + Number(clip.height()) + " rectclip\n";
        for (const TPlaced& placed : FImages) {
            if (placed.Page != page)
                continue;
            const TEncodedImage& image = placed.Image;
            const QRectF& to = placed.Destination;
            const QByteArray w = QByteArray::number(image.Width), h = QByteArray::number(image.Height);
            out += "gsave\n" + Number(to.left()) + ' ' + Number(pageHeight - to.bottom()) + " translate "
                + Number(to.width()) + ' ' + Number(to.height()) + " scale\n";
            out += image.Grey ? "/DeviceGray setcolorspace\n" : "/DeviceRGB setcolorspace\n";
            out += "<< /ImageType 1 /Width " + w + " /Height " + h + " /BitsPerComponent 8 /Decode "
                + (image.Grey ? "[0 1]" : "[0 1 0 1 0 1]") + " /ImageMatrix [" + w + " 0 0 -" + h + " 0 " + h
                + "]\n/DataSource currentfile /ASCII85Decode filter "
                + (image.Compression == TCompression::Jpeg ? "/DCTDecode" : "/FlateDecode") + " filter >> image\n";
            AppendAscii85(out, image.Data);
            out += "grestore\n";
        }
        out += "restore\nshowpage\n";
    }
    out += "%%Trailer\n%%EOF\n";
    return out;
}

} // namespace orvanto

#include "platform/qt/raster_job.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sstream>

namespace orvanto {

namespace {

constexpr int Bytes = 3; // 8-bit red, green, blue
constexpr std::size_t FlushSize = 256 * 1024;

// A page image turned and placed on the upright paper, with the source
// column of each paper column it covers.
struct TPaperImage {
    QImage Image;       // RGB888 or BGR888
    bool Bgr = false;
    QRect Target;       // on the paper
    QRect Visible;      // Target within the clip
    std::vector<int> X0; // per visible column: its source column
};

QImage TurnedCounterClockwise(const QImage& image)
{
    QImage turned(image.height(), image.width(), image.format());
    if (turned.isNull())
        return turned;
    for (int oy = 0; oy < turned.height(); ++oy) {
        uchar* out = turned.scanLine(oy);
        const int x = image.width() - 1 - oy;
        for (int ox = 0; ox < turned.width(); ++ox)
            std::memcpy(out + ox * Bytes, image.constScanLine(ox) + x * Bytes, Bytes);
    }
    return turned;
}

// A rectangle of the page as oriented, on the upright paper of height
// paperHeight: the page's top edge lies along the paper's left edge.
QRect OnPaper(const QRect& onPage, bool landscape, int paperHeight)
{
    if (!landscape)
        return onPage;
    return QRect(onPage.top(), paperHeight - onPage.left() - onPage.width(), onPage.height(), onPage.width());
}

// The source pixel under the centre of destination pixel d.
int SourceOf(int d, int targetLength, int sourceLength)
{
    const int s = int((std::int64_t(2 * d + 1) * sourceLength) / (2 * std::int64_t(targetLength)));
    return std::clamp(s, 0, sourceLength - 1);
}

void PutBigEndian(char* at, std::uint32_t value)
{
    at[0] = char(value >> 24);
    at[1] = char(value >> 16);
    at[2] = char(value >> 8);
    at[3] = char(value);
}

// One page's header; the file begins with "RaS2" once.
std::string PwgPageHeader(const TRasterJob::TPaper& paper, int pages)
{
    std::string header(1796, '\0');
    char* h = header.data();
    std::memcpy(h, "PwgRaster", 9);
    const std::uint32_t width = std::uint32_t(paper.Pixels.width());
    const std::uint32_t height = std::uint32_t(paper.Pixels.height());
    const std::pair<int, std::uint32_t> fields[] = {
        {276, std::uint32_t(paper.Dpi)}, {280, std::uint32_t(paper.Dpi)},         // HWResolution
        {340, 1},                                                                 // NumCopies
        {352, std::uint32_t(std::lround(paper.Points.width()))},                 // PageSize
        {356, std::uint32_t(std::lround(paper.Points.height()))},
        {372, width}, {376, height},                                              // cupsWidth, cupsHeight
        {384, 8}, {388, 8 * Bytes}, {392, width * Bytes},                         // bits, bytes per line
        {400, 19},                                                                // sRGB
        {420, Bytes},                                                             // colours
        {452, std::uint32_t(pages)}, {456, 1}, {460, 1}, // total pages, cross-feed and feed transforms
    };
    for (const auto& [offset, value] : fields)
        PutBigEndian(h + offset, value);
    return header;
}

// The file's header: the format and the page count.
std::string UrfFileHeader(int pages)
{
    std::string header(8 + 4, '\0');
    std::memcpy(header.data(), "UNIRAST", 8);
    PutBigEndian(header.data() + 8, std::uint32_t(pages));
    return header;
}

std::string UrfPageHeader(const TRasterJob::TPaper& paper)
{
    std::string header(32, '\0');
    char* page = header.data();
    page[0] = char(8 * Bytes);
    page[1] = 1; // sRGB
    page[2] = 1; // one-sided
    page[3] = 4; // normal quality
    PutBigEndian(page + 12, std::uint32_t(paper.Pixels.width()));
    PutBigEndian(page + 16, std::uint32_t(paper.Pixels.height()));
    PutBigEndian(page + 20, std::uint32_t(paper.Dpi));
    return header;
}

// One row in the packing both rasters share: runs of a repeated pixel as a
// count less one (0-127) and the pixel, other pixels as 257 less their
// number (129-255) and the pixels themselves.
void PackRow(const uchar* row, int width, std::string& out)
{
    const auto same = [row](int a, int b) { return std::memcmp(row + a * Bytes, row + b * Bytes, Bytes) == 0; };
    int i = 0;
    while (i < width) {
        int run = 1;
        while (i + run < width && run < 128 && same(i, i + run))
            ++run;
        if (run > 1 || i + 1 == width) {
            out.push_back(char(run - 1));
            out.append(reinterpret_cast<const char*>(row + i * Bytes), Bytes);
            i += run;
            continue;
        }
        int literal = 1;
        while (i + literal < width && literal < 128
               && !(i + literal + 1 < width && same(i + literal, i + literal + 1)))
            ++literal;
        if (literal == 1)
            out.push_back(char(0));
        else
            out.push_back(char(257 - literal));
        out.append(reinterpret_cast<const char*>(row + i * Bytes), std::size_t(literal) * Bytes);
        i += literal;
    }
}

// Draws the paper row y of one image into row (red, green, blue).
void DrawRow(const TPaperImage& placed, int y, uchar* row)
{
    const QImage& image = placed.Image;
    const uchar* source = image.constScanLine(SourceOf(y - placed.Target.top(), placed.Target.height(), image.height()));
    const int red = placed.Bgr ? 2 : 0, blue = placed.Bgr ? 0 : 2;
    uchar* out = row + placed.Visible.left() * Bytes;
    for (const int x : placed.X0) {
        const uchar* p = source + x * Bytes;
        out[0] = p[red];
        out[1] = p[1];
        out[2] = p[blue];
        out += Bytes;
    }
}

} // namespace

bool TRasterJob::Add(const QImage& bitmap, const QRect& destination)
{
    if (bitmap.isNull() || destination.isEmpty())
        return false;
    try {
        FImages.push_back({bitmap, destination, FPages - 1});
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

const char* TRasterJob::MimeType(TFormat format)
{
    return format == TFormat::Pwg ? "image/pwg-raster" : "image/urf";
}

bool TRasterJob::RasterFormatOf(const std::string& ppd, TFormat& format, int& dpi)
{
    bool pwg = false, urf = false;
    int resolution = 0;
    std::istringstream lines(ppd);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("*DefaultResolution:", 0) == 0) {
            // "600dpi" or "600x600dpi": one resolution for both directions.
            const std::string value = line.substr(19);
            const long across = std::strtol(value.c_str(), nullptr, 10);
            const std::size_t by = value.find('x');
            const long down = by == std::string::npos ? across : std::strtol(value.c_str() + by + 1, nullptr, 10);
            resolution = across == down && across > 0 && across <= 9600 ? int(across) : 0;
            continue;
        }
        const bool second = line.rfind("*cupsFilter2:", 0) == 0;
        if (!second && line.rfind("*cupsFilter:", 0) != 0)
            continue;
        const std::size_t open = line.find('"'), close = line.rfind('"');
        if (open == std::string::npos || close <= open)
            continue;
        std::istringstream words(line.substr(open + 1, close - open - 1));
        std::string source, target, cost, program;
        if (second)
            words >> source >> target >> cost >> program;
        else
            words >> source >> cost >> program;
        // A raster the printer takes as it is, with no program between.
        if (program != "-" || (second && target != source))
            continue;
        pwg = pwg || source == "image/pwg-raster";
        urf = urf || source == "image/urf";
    }
    if (resolution < 72 || resolution > 9600 || !(pwg || urf))
        return false;
    format = pwg ? TFormat::Pwg : TFormat::Urf;
    dpi = resolution;
    return true;
}

bool TRasterJob::Write(TFormat format, const TPaper& paper, const TSink& sink) const
{
    const int width = paper.Pixels.width(), height = paper.Pixels.height();
    if (width <= 0 || height <= 0 || paper.Dpi <= 0)
        return false;
    try {
        const QRect clip = OnPaper(paper.Clip, paper.Landscape, height) & QRect(0, 0, width, height);
        std::string out = format == TFormat::Pwg ? std::string("RaS2") : UrfFileHeader(FPages);
        out.reserve(FlushSize + std::size_t(width) * (Bytes + 1) * 2);
        const auto flush = [&] {
            if (out.size() < FlushSize)
                return true;
            const bool taken = sink(out.data(), out.size());
            out.clear();
            return taken;
        };
        std::vector<uchar> row(std::size_t(width) * Bytes), previous(row.size());
        for (int page = 0; page < FPages; ++page) {
            std::vector<TPaperImage> placed;
            for (const TPlaced& image : FImages) {
                if (image.Page != page)
                    continue;
                TPaperImage on;
                on.Image = image.Image;
                if (on.Image.format() != QImage::Format_BGR888 && on.Image.format() != QImage::Format_RGB888)
                    on.Image = on.Image.convertToFormat(QImage::Format_RGB888);
                if (paper.Landscape)
                    on.Image = TurnedCounterClockwise(on.Image);
                if (on.Image.isNull())
                    return false;
                on.Bgr = on.Image.format() == QImage::Format_BGR888;
                on.Target = OnPaper(image.Destination, paper.Landscape, height);
                on.Visible = on.Target & clip;
                if (on.Visible.isEmpty())
                    continue;
                for (int x = on.Visible.left(); x <= on.Visible.right(); ++x)
                    on.X0.push_back(SourceOf(x - on.Target.left(), on.Target.width(), on.Image.width()));
                placed.push_back(std::move(on));
            }

            out += format == TFormat::Pwg ? PwgPageHeader(paper, FPages) : UrfPageHeader(paper);
            int repeats = 0; // further copies of the previous row
            const auto putRow = [&](const std::vector<uchar>& pixels, int copies) {
                out.push_back(char(copies));
                PackRow(pixels.data(), width, out);
                return flush();
            };
            for (int y = 0; y < height; ++y) {
                std::fill(row.begin(), row.end(), uchar(255));
                for (const TPaperImage& image : placed)
                    if (y >= image.Visible.top() && y <= image.Visible.bottom())
                        DrawRow(image, y, row.data());
                if (y > 0 && row == previous && repeats < 255) {
                    ++repeats;
                    continue;
                }
                if (y > 0 && !putRow(previous, repeats))
                    return false;
                previous.swap(row);
                repeats = 0;
            }
            if (!putRow(previous, repeats))
                return false;
        }
        return out.empty() || sink(out.data(), out.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace orvanto

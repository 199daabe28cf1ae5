#pragma once

// A one-page job as a page raster, for printers that print rasters without a
// driver (IPP Everywhere, AirPrint): PWG raster or Apple raster ("URF"),
// 8-bit sRGB, at the printer's resolution. The print system passes such a
// page to the printer untouched, so no filter (Ghostscript above all) decodes,
// scales or re-encodes a pixel of it.
//
// The page images are kept as they come (Qt shares their pixels, nothing is
// copied) and drawn into the paper one row at a time while the document is
// written: a page at 600 dpi is about 100 MB of pixels, which never exist at
// once. An image is stretched over its destination by repeating (or
// skipping) pixels, as a PostScript printer draws an image: repeated pixels
// and rows pack small, so the job stays a fraction of the page's size.
//
// Failures: Write returns false when the sink refuses bytes or memory runs
// out; nothing throws.

#include <QImage>
#include <QRect>
#include <QSize>
#include <QSizeF>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace orvanto {

class TRasterJob {
public:
    enum class TFormat { Pwg, Urf };

    // The paper and where things go on it, in device pixels.
    struct TPaper {
        QSize Pixels;    // the upright paper
        QSizeF Points;   // the same, in points
        int Dpi = 0;
        // The page lies on the paper turned a quarter counter-clockwise, as
        // printers print landscape.
        bool Landscape = false;
        // Nothing is drawn outside this rectangle of the page as oriented.
        QRect Clip;
    };

    // Receives the document in pieces; false stops the writing.
    using TSink = std::function<bool(const char* data, std::size_t size)>;

    // destination: where the bitmap lands on the page as oriented, in device
    // pixels. A null bitmap or an empty destination is refused.
    bool Add(const QImage& bitmap, const QRect& destination);
    bool Empty() const { return FImages.empty(); }
    void Clear()
    {
        FImages.clear();
        FPages = 1;
    }
    // Later bitmaps go on a new page (a poster's next sheet).
    void NewPage() { ++FPages; }
    int Pages() const { return FPages; }

    bool Write(TFormat format, const TPaper& paper, const TSink& sink) const;

    static const char* MimeType(TFormat format);
    // The raster a print queue passes to its printer untouched, read from the
    // queue's PPD text ("*cupsFilter2" lines whose program is "-"), and the
    // printer's resolution for it ("*DefaultResolution"); false when it
    // takes none, as PostScript queues do, or names no resolution.
    static bool RasterFormatOf(const std::string& ppd, TFormat& format, int& dpi);

private:
    struct TPlaced {
        QImage Image;
        QRect Destination;
        int Page = 0;
    };
    std::vector<TPlaced> FImages;
    int FPages = 1;
};

} // namespace orvanto

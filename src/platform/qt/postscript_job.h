#pragma once

// A print job as one PostScript document: the page bitmaps of the job, each
// compressed the moment it arrives, placed on the paper in points.
//
// Why PostScript: CUPS hands a PostScript job to a PostScript printer as it
// is, where a PDF job is first converted to PostScript, which decodes and
// re-encodes every pixel of the page; and JPEG data inside PostScript reaches
// a PDF printer untouched. Why compress at once: the caller's 24-bit page
// goes in straight, with no 32-bit copy, and only the compressed bytes stay
// until the job ends. A page whose every pixel is grey goes as one channel,
// a third of the colour page's samples.
//
// Failures: Add returns false when memory runs out; nothing throws.

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSizeF>

#include <vector>

namespace orvanto {

class TPostScriptJob {
public:
    // Jpeg (quality 94, as a photograph prints without visible loss) or
    // Deflate, which keeps every pixel exactly.
    enum class TCompression { Jpeg, Deflate };

    // One page image as it travels: the compressed samples, row by row from
    // the top, red-green-blue or grey.
    struct TEncodedImage {
        QByteArray Data;
        int Width = 0;
        int Height = 0;
        bool Grey = false;
        TCompression Compression = TCompression::Jpeg;
    };

    explicit TPostScriptJob(TCompression compression) : FCompression(compression) {}

    // Compresses a 24-bit picture (any other format is converted first).
    // destination: where it lands, in points from the top left of the page
    // as it is oriented. False when memory ran out; the job is unchanged.
    bool Add(const QImage& bitmap, const QRectF& destination);
    bool Empty() const { return FImages.empty(); }
    void Clear()
    {
        FImages.clear();
        FPages = 1;
    }
    // Later pictures go on a page of their own (a poster's next sheet).
    void NewPage() { ++FPages; }
    int Pages() const { return FPages; }

    // The document: its pages on paper of one size (portrait size, points);
    // a landscape page lies on it turned a quarter counter-clockwise, as
    // printers print landscape. Nothing is drawn outside clip (points on the
    // oriented page).
    QByteArray Document(const QSizeF& paper, bool landscape, const QRectF& clip) const;

    // The compression of one picture, on its own for the tests.
    static bool Encode(const QImage& bitmap, TCompression compression, TEncodedImage& encoded);

private:
    struct TPlaced {
        TEncodedImage Image;
        QRectF Destination;
        int Page = 1;
    };
    TCompression FCompression;
    int FPages = 1;
    std::vector<TPlaced> FImages;
};

} // namespace orvanto

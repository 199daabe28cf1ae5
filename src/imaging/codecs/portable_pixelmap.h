#pragma once

#include "imaging/codecs/codec_graphic.h"

namespace orvanto {

class TByteStream;
class TByteImage;

// Reads and writes the portable bitmap, graymap and pixmap formats, plain
// (decimal text, magic P1..P3) and raw (bytes, P4..P6).
class TPortablePixelmap : public TCodecGraphic {
public:
    TPortablePixelmap();

    // The magic number's digit, 1..6; every assignment is clamped.
    int PixelType() const { return FPixelType; }
    void SetPixelType(int type);

    struct THeader {
        int PixelType = 3;
        std::int32_t Width = 0;
        std::int32_t Height = 0;
        std::int32_t MaxValue = 0;
        // Where the samples start: just behind the last header value for
        // the plain types, one byte (the separator) further for the raw ones.
        std::int64_t DataStart = 0;
    };
    // False for a stream that is not of the family ("Unknown format.").
    static bool ReadHeader(TByteStream& stream, std::int64_t start, THeader& header);
    // Writes a raw bitmap from a 1-bit picture (QImage::Format_Mono, 1 black,
    // the unused bits of each row's last byte 0), whose rows are already the
    // file's bytes: no 24-bit picture is made. False when writing fails.
    static bool WriteRawBitmap(QIODevice& device, const QImage& bits);
    // The last load ran out of data before the raster was complete; what
    // it never reached is white.
    bool Partial() const { return FPartial; }

protected:
    void LoadSteps(QIODevice& stream, std::string& message) override;
    void SaveSteps(QIODevice& stream, std::string& message) override;
    void AssignSettings(const TCodecGraphic& source) override;
    bool SameClass(const TGraphic& other) const override;

private:
    void ReadPlainBits(TByteStream& stream, const THeader& header, TByteImage& image);
    void ReadPlainSamples(TByteStream& stream, const THeader& header, TByteImage& image);
    void ReadRawBits(TByteStream& stream, const THeader& header, TByteImage& image);
    void ReadRawSamples(TByteStream& stream, const THeader& header, TByteImage& image);
    bool WriteData(TByteStream& stream, std::int64_t position);

    int FPixelType = 6;
    bool FPartial = false;
};

} // namespace orvanto

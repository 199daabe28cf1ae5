#pragma once

#include "imaging/codecs/codec_graphic.h"

namespace orvanto {

class TByteStream;
class TByteImage;

// Reads and writes X Bitmap files: two "#define" lines with the size and a
// "static" C array of hexadecimal bytes, least significant bit leftmost,
// 1 black.
class TXBitmap : public TCodecGraphic {
public:
    TXBitmap();

    // With BitsOnly set, loading fills Bits instead of Picture, which stays
    // empty: a 1-bit picture (QImage::Format_Mono, 1 black, first pixel in
    // the high bit), for callers that pass the bits on as they are and need
    // no 24-bit picture.
    bool BitsOnly = false;
    QImage Bits;

    struct THeader {
        std::int32_t Width = -1;
        std::int32_t Height = -1;
        std::int64_t DataStart = 0; // the line after the height's definition
    };
    // False when no width and height definitions are followed by a "static" line.
    static bool ReadHeader(TByteStream& stream, std::int64_t start, THeader& header);

protected:
    void LoadSteps(QIODevice& stream, std::string& message) override;
    void SaveSteps(QIODevice& stream, std::string& message) override;
    bool SameClass(const TGraphic& other) const override;

private:
    void ReadData(TByteStream& stream, std::int64_t start, TByteImage& image);
    void ReadData(const std::uint8_t* data, std::int64_t size, std::int64_t start, std::int32_t& x,
                  std::int32_t& y);
    bool WriteData(TByteStream& stream, std::int64_t& position);
    void LoadBits(QIODevice& device, std::string& message);
    void ReadBits(const std::uint8_t* data, std::int64_t size, std::int64_t start);
};

} // namespace orvanto

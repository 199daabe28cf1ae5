#pragma once

// Windows bitmaps (.BMP, .DIB, .RLE) into a 24-bit blue-green-red picture.
//
// Every variant real files use is read: the OS/2 core header, the information
// header and its extensions up to version 5, OS/2 2.x headers of any length;
// 1 to 32 bits per pixel, bit-field masks, RLE8/RLE4; packed bitmaps without
// the 14-byte file header. What a file cannot mean fails with
// "Unknown format"; a picture too large for the allocation ceiling with
// "Out of memory"; a file cut short shows what it holds and the rest white.
// The ICC profile a version-5 header embeds turns the colours into sRGB; a
// profile that is damaged or reaches past the data is ignored.
//
// Pixels that run-length data skips (delta and end-of-line codes) or never
// reaches before its end-of-bitmap code take the first palette colour, as the
// platform's own decoder leaves them. When the run-length data itself stops
// early (the file is cut short) the pixels not reached are white instead.

#include <QImage>
#include <QRgb>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class QIODevice;

namespace orvanto {

// Reads a bitmap held in memory. details, when given, receives a short
// description of the variant ("40-byte header, 8 bits, RLE8").
bool ReadBitmap(const std::uint8_t* data, std::size_t size, QImage& picture, std::string& error,
                std::string* details = nullptr);
bool ReadBitmap(const QByteArray& bytes, QImage& picture, std::string& error,
                std::string* details = nullptr);
// Reads from the device's position to its end.
bool ReadBitmap(QIODevice& device, QImage& picture, std::string& error,
                std::string* details = nullptr);
// "File not found" and "File in use" when the file cannot be read at all.
bool ReadBitmapFile(const std::string& path, QImage& picture, std::string& error,
                    std::string* details = nullptr);

// The image of an icon entry: a packed bitmap whose height counts the colour
// rows and the 1-bit mask rows together. Masked pixels show background
// (through the XOR rule of icons, so "inverting" pixels invert it); 32-bit
// entries with a real alpha channel are laid over background instead.
bool ReadIconBitmap(const std::uint8_t* data, std::size_t size, QRgb background, QImage& picture,
                    std::string& error);

// Reads only the size and depth of a packed bitmap's header (an icon entry);
// false when the header cannot be read. height is the full stored height.
bool PeekPackedBitmap(const std::uint8_t* data, std::size_t size, std::int64_t& width,
                      std::int64_t& height, int& bitsPerPixel);

// How the fourth byte of 32-bit pixels (and an alpha mask) is taken.
enum class TDibAlpha {
    OverWhite, // alpha counts when some pixel sets it; pixels are laid over white
    Ignore,    // the byte is padding: every pixel is opaque
    Keep,      // the picture is 32-bit ARGB with the alpha as stored
};

struct TDibOptions {
    // When given, the colour table of a bitmap of 8 bits or fewer holds
    // 16-bit indices into this palette instead of colours; an index past
    // its end is black.
    const std::vector<QRgb>* IndexedPalette = nullptr;
    TDibAlpha Alpha = TDibAlpha::OverWhite;
};

// A device-independent bitmap whose header with its colour table and whose
// pixel bits lie apart, as drawing records carry them. The picture is 24-bit
// blue-green-red, or 32-bit ARGB with TDibAlpha::Keep. Bits cut short leave
// the rest white; no bits at all fail with "Unknown format".
bool ReadDib(const std::uint8_t* header, std::size_t headerSize, const std::uint8_t* bits,
             std::size_t bitsSize, const TDibOptions& options, QImage& picture, std::string& error);
// A packed bitmap (header, colour table and bits in one block) with options;
// as ReadDib, no bits at all fail.
bool ReadPackedDib(const std::uint8_t* data, std::size_t size, const TDibOptions& options, QImage& picture,
                   std::string& error);

} // namespace orvanto

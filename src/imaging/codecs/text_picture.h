#pragma once

#include "imaging/codecs/codec_graphic.h"

#include <QImage>

#include <cstdint>
#include <string>

namespace orvanto {

class TByteStream;

// Up to 256 colours, each as a colour value (red in the low byte) and as the
// three pixel bytes blue, green, red.
struct TColorTable {
    static constexpr int Capacity = 256;
    std::uint32_t Colors[Capacity] = {};
    std::uint8_t Bytes[Capacity][3] = {};
    int Count = 0;

    // The index of the entry with exactly these pixel bytes, or -1.
    int FindColor(std::uint8_t blue, std::uint8_t green, std::uint8_t red) const;
    // The existing entry, else a new one while fewer than 256 are held, else -1.
    int AddColor(std::uint8_t blue, std::uint8_t green, std::uint8_t red);
    void SetColor(int index, std::uint32_t color);
};

// The first distinct colours of the picture in raster order, at most maximum
// (never more than 256). False only when there is no picture.
bool CollectColors(const QImage* bitmap, TColorTable& table, int maximum);

// A small palette picture written as printable text, so that it can live in
// a text file, a setting or a string constant:
//   T <bits> <width:3> <height:3> <palette:4 each> ~ <pixels> #
// in base-64 digits 0-9 A-Z a-z ( ), least significant digit first. Braces
// enclose (nesting) comments; blanks, line breaks, quotes and plus signs may
// stand anywhere.
class TTextPicture : public TCodecGraphic {
public:
    TTextPicture();

    // 1..6, clamped: the written palette holds 2^BitsPerPixel colours.
    int BitsPerPixel() const { return FBitsPerPixel; }
    void SetBitsPerPixel(int bits);
    // 0: one run of characters; 1: quoted pieces joined by "+"; 2: lines of 68.
    int LineStyle() const { return FLineStyle; }
    void SetLineStyle(int style);

    // The largest width or height the three-digit size fields can carry.
    static constexpr std::int32_t MaxDimension = 262143;

    // Reads the text as a Text Picture; false (LastError says why) on failure.
    bool LoadFromText(const std::string& text);

    static int DigitValue(char character);
    static char DigitChar(int value) { return Digits[value & 63]; }

protected:
    void LoadSteps(QIODevice& stream, std::string& message) override;
    void SaveSteps(QIODevice& stream, std::string& message) override;
    void AssignSettings(const TCodecGraphic& source) override;
    bool SameClass(const TGraphic& other) const override;

private:
    static constexpr char Digits[] =
        "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz()";

    int FBitsPerPixel = 6;
    int FLineStyle = 0;
};

// The picture a Text Picture text describes, as a new 24-bit bitmap; an empty
// (null) image when the text is not a Text Picture.
QImage BitmapFromText(const std::string& text);

} // namespace orvanto

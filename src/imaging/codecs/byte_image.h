#pragma once

#include <QImage>

#include <cstdint>
#include <vector>

namespace orvanto {

// A pixel cursor over a 24-bit blue-green-red picture: decoders emit pixels
// one after another in raster order, encoders walk the rows. The row last
// touched is cached, so setting a pixel costs no call into the picture.
// Never raises: pixels outside the raster are ignored.
class TByteImage {
public:
    // Attaches a picture (not owned; must be Format_BGR888), cursor at (0, 0).
    void SetBitmap(QImage* bitmap);
    QImage* Bitmap() const { return FBitmap; }

    std::int32_t Width = 0, Height = 0;
    std::int32_t MaxX = 0, MaxY = 0;
    std::int32_t CursorX = 0, CursorY = 0;

    // Sets the pixel at the cursor and advances it; false when the raster is full.
    bool PutNextPixel(std::uint8_t blue, std::uint8_t green, std::uint8_t red)
    {
        if (CursorX < 0 || CursorX > MaxX || CursorY < 0 || CursorY > MaxY || Width <= 0 || Height <= 0)
            return false;
        if (std::uint8_t* row = RowPointer(CursorY)) {
            std::uint8_t* pixel = row + std::ptrdiff_t(CursorX) * 3;
            pixel[0] = blue;
            pixel[1] = green;
            pixel[2] = red;
        }
        if (++CursorX > MaxX) {
            CursorX = 0;
            ++CursorY;
        }
        return true;
    }
    // Sets up to count pixels (3 bytes each, blue, green, red) at the cursor
    // but never past the end of the cursor's row, and advances the cursor;
    // the number set, 0 when the raster is full. Decoders of packed bits use
    // it to place a byte's pixels at once.
    std::int32_t PutRowPart(const std::uint8_t* pixels, std::int32_t count);
    bool Full() const { return CursorY > MaxY || Width <= 0 || Height <= 0; }
    // False (and nothing set) outside the raster.
    bool GetPixel(std::int32_t x, std::int32_t y, std::uint8_t& blue, std::uint8_t& green,
                  std::uint8_t& red);
    void SetPixel(std::int32_t x, std::int32_t y, std::uint8_t blue, std::uint8_t green, std::uint8_t red);
    // The pixel memory of row y through the row cache; nullptr outside.
    std::uint8_t* RowPointer(std::int32_t y)
    {
        if (y == FRowIndex)
            return FRowPixels;
        return FetchRow(y);
    }
    // Appends the byte's 8 bits, most significant first, each 0 or 1.
    static void ExpandBits(std::uint8_t value, std::vector<std::uint8_t>& bits);

private:
    std::uint8_t* FetchRow(std::int32_t y);

    QImage* FBitmap = nullptr;
    std::int32_t FRowIndex = -1;
    std::uint8_t* FRowPixels = nullptr;
};

} // namespace orvanto

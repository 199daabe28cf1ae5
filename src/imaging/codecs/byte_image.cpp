#include "imaging/codecs/byte_image.h"

#include <algorithm>
#include <cstring>

namespace orvanto {

void TByteImage::SetBitmap(QImage* bitmap)
{
    if (bitmap == FBitmap)
        return;
    FBitmap = bitmap;
    Width = bitmap != nullptr ? bitmap->width() : 0;
    Height = bitmap != nullptr ? bitmap->height() : 0;
    MaxX = Width - 1 < 0 ? 0 : Width - 1;
    MaxY = Height - 1 < 0 ? 0 : Height - 1;
    CursorX = 0;
    CursorY = 0;
    FRowIndex = -1;
    FRowPixels = nullptr;
}

std::uint8_t* TByteImage::FetchRow(std::int32_t y)
{
    if (FBitmap == nullptr || y < 0 || y >= Height || FBitmap->format() != QImage::Format_BGR888)
        return nullptr;
    std::uint8_t* row = FBitmap->scanLine(y);
    if (row == nullptr)
        return nullptr;
    FRowIndex = y;
    FRowPixels = row;
    return row;
}

bool TByteImage::GetPixel(std::int32_t x, std::int32_t y, std::uint8_t& blue, std::uint8_t& green,
                          std::uint8_t& red)
{
    if (x < 0 || x > MaxX || x >= Width || y < 0 || y > MaxY)
        return false;
    const std::uint8_t* row = RowPointer(y);
    if (row == nullptr)
        return false;
    blue = row[x * 3];
    green = row[x * 3 + 1];
    red = row[x * 3 + 2];
    return true;
}

void TByteImage::SetPixel(std::int32_t x, std::int32_t y, std::uint8_t blue, std::uint8_t green,
                          std::uint8_t red)
{
    if (x < 0 || x > MaxX || x >= Width || y < 0 || y > MaxY)
        return;
    if (std::uint8_t* row = RowPointer(y)) {
        row[x * 3] = blue;
        row[x * 3 + 1] = green;
        row[x * 3 + 2] = red;
    }
}

void TByteImage::ExpandBits(std::uint8_t value, std::vector<std::uint8_t>& bits)
{
    for (int bit = 7; bit >= 0; --bit)
        bits.push_back(std::uint8_t((value >> bit) & 1));
}

std::int32_t TByteImage::PutRowPart(const std::uint8_t* pixels, std::int32_t count)
{
    if (Full() || CursorX < 0 || CursorX > MaxX || count <= 0)
        return 0;
    const std::int32_t n = std::min(count, MaxX + 1 - CursorX);
    if (std::uint8_t* row = RowPointer(CursorY))
        std::memcpy(row + std::ptrdiff_t(CursorX) * 3, pixels, std::size_t(n) * 3);
    CursorX += n;
    if (CursorX > MaxX) {
        CursorX = 0;
        ++CursorY;
    }
    return n;
}

} // namespace orvanto

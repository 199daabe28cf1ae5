#pragma once

// Carrier pictures as the build makes them: 100 filler bytes, then the
// archive, in the pixel rows (padding included) in file order.

#include "archive/zip_box.h"

#include <QImage>

#include <cstring>
#include <string>
#include <vector>

struct TCarrierEntry {
    std::string Name;
    std::string Bytes;
    std::uint8_t Method = TBoxItem::MethodStored;
};

inline QImage CarrierFixture(const std::vector<TCarrierEntry>& entries)
{
    std::string pixels(100, '\xFF');
    for (const auto& e : entries) {
        auto item = PackBoxItem(e.Name, "\\", e.Bytes, true);
        item->pM = e.Method;
        pixels += item->WriteRecord();
    }
    // 33 pixels a row: 99 bytes of pixels and one byte of padding.
    const int rows = int(pixels.size() / 100) + 1;
    pixels.resize(std::size_t(rows) * 100, '\xFF');
    QImage picture(33, rows, QImage::Format_BGR888);
    for (int row = 0; row < rows; ++row)
        std::memcpy(picture.scanLine(rows - 1 - row), pixels.data() + row * 100, 100);
    return picture;
}

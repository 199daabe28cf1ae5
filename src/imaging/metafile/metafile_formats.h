#pragma once

// The two record formats: their headers and the loops that play their
// records. Shared by the picture class and the fuzz targets.

#include "imaging/metafile/metafile_bytes.h"
#include "imaging/metafile/metafile_player.h"

#include <QRectF>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace orvanto {

struct TMetafileLayout {
    bool Enhanced = false;
    std::size_t RecordsStart = 0;
    // 16-bit: the picture's box in logical units and their units per inch.
    // Enhanced: the frame in hundredths of a millimetre.
    QRectF Box;
    double UnitsPerInch = 2540;
    // 16-bit: where the window starts before the records move it.
    QPointF WindowOrigin;
    std::uint32_t ObjectCount = 0;
    // Enhanced: the reference device in pixels and in millimetres.
    QSizeF DevicePixels, DeviceMillimetres;
};

// Reads the header of either format; false when it is not sound.
bool ReadWmfLayout(const TMetaBytes& bytes, TMetafileLayout& layout);
bool ReadEmfLayout(const TMetaBytes& bytes, TMetafileLayout& layout);

// Plays the records onto picture, the box spanning the whole picture. Stops
// at the end record, at the end of the bytes or at the first damaged record.
// Returns the number of records played.
std::size_t PlayWmf(const TMetaBytes& bytes, const TMetafileLayout& layout, QImage& picture);
std::size_t PlayEmf(const TMetaBytes& bytes, const TMetafileLayout& layout, QImage& picture);

// The players' record tables: one row per record number, sorted by it.
template <typename TRecord, std::size_t Count>
constexpr bool SortedByNumber(const TRecord (&table)[Count])
{
    return std::is_sorted(table, table + Count,
                          [](const TRecord& a, const TRecord& b) { return a.Number < b.Number; });
}

// The row of a record number, found by halves; null when the table has none.
template <typename TRecord, std::size_t Count>
const TRecord* FindRecord(const TRecord (&table)[Count], std::uint32_t number)
{
    const TRecord* found = std::lower_bound(table, table + Count, number, [](const TRecord& row, std::uint32_t n) {
        return row.Number < n;
    });
    return found != table + Count && found->Number == number ? found : nullptr;
}

// Text of the 8-bit records in a font's character set.
QString DecodeCharSetText(const TMetaBytes& bytes, int charSet);

} // namespace orvanto

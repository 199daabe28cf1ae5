#pragma once

// The page-settings record and its four setting enumerations. The record is
// a plain value: callers copy the current one, change fields and hand it
// back to ApplyInfo; the workspace writes the derived fields for display.

#include <cstdint>
#include <string>

namespace orvanto {

enum TPrintScale : std::uint8_t {
    psActualSize = 0,
    psScaleToPage = 1,
    psFitToPage = 2,
    psAsIs = 3,
    psCustom = 4,
    psCustomFixed = 5,
};

enum TPrintPosition : std::uint8_t {
    ppTopLeft = 0,
    ppTopRight = 1,
    ppBottomLeft = 2,
    ppBottomRight = 3,
    ppCenter = 4,
    ppCustom = 5,
};

enum TPrintQuality : std::uint8_t {
    pqLow = 0,
    pqMedium = 1,
    pqHigh = 2,
};

enum TPrintOrientation : std::uint8_t {
    poPortrait = 0,
    poLandscape = 1,
};

inline constexpr int PrintScaleCount = 6;
inline constexpr int PrintPositionCount = 6;
inline constexpr int PrintQualityCount = 3;
inline constexpr int PrintOrientationCount = 2;

// The English display names; shown translated. Empty for a value out of range.
std::string PrintScaleName(int scale);
std::string PrintPositionName(int position);
std::string PrintQualityName(int quality);
std::string PrintOrientationName(int orientation);

struct TPrintWorkspaceInfo {
    std::string PrinterName; // at most 32 characters once applied
    std::string JobTitle;
    std::string Caption;
    std::uint8_t Quality = pqLow;
    std::uint8_t Position = ppTopLeft;
    std::uint8_t Scale = psActualSize;
    std::uint8_t Orientation = poPortrait;
    std::int32_t ZoomX = 0;  // percent, scale Custom
    std::int32_t ZoomY = 0;  // percent, scale Custom
    std::int32_t ZoomXY = 0; // percent, scale Custom Fixed
    std::int32_t PageWidth = 0;  // page pixels
    std::int32_t PageHeight = 0; // page pixels
    std::int32_t X = 0;          // page pixels, position Custom
    std::int32_t Y = 0;          // page pixels, position Custom
    std::int32_t PictureWidth = 0;
    std::int32_t PictureHeight = 0;
    std::int32_t OutLeft = 0; // layout result on the target surface
    std::int32_t OutTop = 0;
    std::int32_t OutWidth = 0;
    std::int32_t OutHeight = 0;
    long double FactorX = 0; // target units per page pixel
    long double FactorY = 0;
    std::int32_t LastPrintWidth = 0;
    std::int32_t LastPrintHeight = 0;
    std::int32_t LastPrintBudget = 0;
    std::int32_t Resolution = 0; // percent of the budget the last print could use
    std::int32_t PageWidthMM = 0;
    std::int32_t PageHeightMM = 0;
    std::int32_t PictureWidthMM = 0;
    std::int32_t PictureHeightMM = 0;
    std::string CopiesText;
    bool NoSave = false;
};

// The values a new workspace starts with.
void SetDefaults(TPrintWorkspaceInfo& info);

} // namespace orvanto

#pragma once

// The print settings: what the user chooses for a print and what the
// settings file keeps between runs, as one plain value. The settings bar,
// the menus, the settings file and the unattended run copy the current
// value, change fields and hand it back through the workspace's ApplyInfo,
// which validates it. A new setting is a field here, a line of Validated
// when it has a range, and a row of the settings-key table
// (app/workspace_settings.cpp).

#include <cstdint>
#include <string>

namespace orvanto {

// The four modes keep a byte underneath: the settings file stores the low 8
// bits of a number, and Validated brings any byte into range.
enum TPrintScale : std::uint8_t {
    psActualSize = 0,
    psScaleToPage = 1,
    psFitToPage = 2,
    psAsIs = 3,
    psCustom = 4,
    psCustomFixed = 5,
    psExactSize = 6, // SizeX x SizeY on paper
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

// How a zoom command of the menus changes the zoom percentages.
enum class TZoomMode { Set, Add };

inline constexpr int PrintScaleCount = 7;
inline constexpr int PrintPositionCount = 6;
inline constexpr int PrintQualityCount = 3;
inline constexpr int PrintOrientationCount = 2;
inline constexpr int MostCopies = 99;

// The English display names; shown translated. Empty for a value out of range.
std::string PrintScaleName(int scale);
std::string PrintPositionName(int position);
std::string PrintQualityName(int quality);
std::string PrintOrientationName(int orientation);

struct TPrintSettings {
    TPrintQuality Quality = pqLow;
    TPrintPosition Position = ppCenter;
    TPrintScale Scale = psFitToPage;
    TPrintOrientation Orientation = poPortrait;
    std::int32_t ZoomX = 0;  // percent, scale Custom
    std::int32_t ZoomY = 0;  // percent, scale Custom
    std::int32_t ZoomXY = 0; // percent, scale Custom Fixed
    std::int32_t X = 0;      // page pixels, position Custom
    std::int32_t Y = 0;      // page pixels, position Custom
    int Copies = 1;          // 1..MostCopies; the printer keeps the count
    std::uint32_t BkColor = 0xFF0000; // page colour, red in the low byte
    int UseBkColor = 0;               // 1: the page is BkColor, else white
    bool AutoPrint = false;
    bool AutoClose = false;
    int PreviewSize = 0; // 0 Overall, 1 Close Up
    // Scale Exact Size: the printed size, hundredths of a millimetre; the
    // lock keeps the picture's aspect when one side is typed; Fill covers a
    // size of another aspect (cutting the picture's edges), else it fits.
    std::int32_t SizeX = 10000;
    std::int32_t SizeY = 15000;
    bool SizeLock = true;
    bool SizeFill = false;
    // A picture larger than the printable area prints over several sheets
    // that overlap by PosterOverlap (hundredths of a millimetre).
    bool Poster = false;
    std::int32_t PosterOverlap = 1000;
    // What Printer Setup chose: the queue's name and the paper's PWG media
    // name; empty for the default printer and its own paper.
    std::string Printer;
    std::string Paper;

    // The page colour printed and shown: BkColor when UseBkColor is 1.
    std::uint32_t EffectiveBackground() const { return UseBkColor == 1 ? BkColor : 0xFFFFFF; }
    bool operator==(const TPrintSettings&) const = default;
    // Every mode, the copies, the preview size and the printed sizes
    // brought into range.
    TPrintSettings Validated() const;
};

} // namespace orvanto

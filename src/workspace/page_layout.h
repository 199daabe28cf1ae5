#pragma once

// The page layout engine: where, and how large, the picture lands on the
// printed page. The preview and the print job call the same Layout with
// their own scale factors, so what the user sees is what prints.
//
// Everything is measured in printer pixels ("page pixels"); a layout result
// is turned into a target surface's units only at the very end. The engine
// holds no widgets and asks no device itself: the printer's and the screen's
// metrics come in as plain values, and decisions that need a window (a new
// page geometry) come back as results.

#include "workspace/print_workspace_info.h"

#include <cstdint>
#include <utility>

namespace orvanto {

inline constexpr int FallbackPrinterDpi = 300;
inline constexpr int FallbackScreenPpi = 96;
inline constexpr int FallbackPageWidth = 2400;
inline constexpr int FallbackPageHeight = 3000;
inline constexpr int FallbackPrintBitmapWidth = 2000;
inline constexpr int FallbackPrintBitmapHeight = 2500;
inline constexpr std::int32_t DefaultMemoryBudget = 15000000;
// Zoom percentages below this act as this: the factor stays positive, so no
// formula yields a negative size (see ZoomFactor).
inline constexpr std::int32_t SmallestZoom = -3200;

// Rounds to the nearest integer, halves to the even neighbour, saturating at
// the 32-bit range (not-a-number gives 0).
std::int32_t Round(long double value);
// Integer halving that truncates toward zero: -7 gives -3.
std::int64_t Halve(std::int64_t value);

// 1 + p / 100 for p >= 1; 1 + p / 3201 for p <= 0, with p below SmallestZoom
// taken as SmallestZoom.
long double ZoomFactor(std::int32_t percent);
// A length zoomed by a percentage; 0 stays 0.
std::int32_t ZoomLength(std::int32_t length, std::int32_t percent);

// The page bitmap side actually rendered for a quality level, from the side
// that fits the memory budget: High renders it whole, Medium three quarters
// of it, Low half. Always at least 1, never above the given side when that is
// positive; width and height go through the same rule, keeping the aspect.
std::int32_t QualityDimension(std::int32_t dimension, int quality);

// What the printer and the screen report. A value below 1 means unknown (or
// the device could not be asked); the engine then uses its fallback.
struct TDeviceMetrics {
    int PrinterDpiX = 0;
    int PrinterDpiY = 0;
    int PageWidth = 0;  // printable page, printer pixels
    int PageHeight = 0;
    int ScreenPpi = 0;
};

// What ApplyInfo (and the commands built on it) decided; the caller acts on it.
struct TApplyResult {
    bool Applied = false;           // the record became the current settings
    bool NewPageGeometry = false;   // position, scale or orientation changed: relayout
    bool ZoomChanged = false;       // the picture's size on the page may differ
};

class TPageLayout {
public:
    TPageLayout();

    // The current settings; callers copy them, change fields and ApplyInfo.
    const TPrintWorkspaceInfo& Info() const { return FInfo; }
    // The settings a new workspace starts with.
    void ResetSettings();
    // The derived texts, for display.
    void SetTexts(std::string copiesText, std::string caption, std::string jobTitle);
    // The page bitmap of the last print and the budget it ended with.
    void SetLastPrint(std::int32_t width, std::int32_t height, std::int32_t budget);
    void SetResolution(std::int32_t percent);
    // The two settings written without ApplyInfo: the drag moves the Custom
    // offsets (saturating), the printer dialog sets the orientation.
    void MoveCustomOffset(std::int32_t dx, std::int32_t dy);
    void SetOrientation(std::uint8_t orientation);

    // Validates info and makes it the current settings.
    TApplyResult ApplyInfo(TPrintWorkspaceInfo info);

    // Writes OutLeft, OutTop, OutWidth, OutHeight of info from its scale,
    // position, page and picture sizes and factors, with the current zoom
    // percentages. For position Custom, at least 3 units of the picture stay
    // on a surface of surfaceWidth x surfaceHeight.
    void Layout(TPrintWorkspaceInfo& info, int surfaceWidth, int surfaceHeight) const;
    // The picture's size on the page, page pixels, for info's scale.
    std::pair<std::int32_t, std::int32_t> SizeOnPage(const TPrintWorkspaceInfo& info) const;
    // The picture's pixels per inch of paper across and down, for info's
    // scale at the printer's resolution; 0 for a side of no length.
    std::pair<std::int32_t, std::int32_t> PrintPpi(const TPrintWorkspaceInfo& info) const;
    // Below this a print looks soft: the pixels show as steps.
    static constexpr int SharpPpi = 150;

    // The largest page bitmap of the page's aspect within budget bytes
    // (3 bytes a pixel), at least one row high; without a page, 2000 x 2500
    // shrunk into the budget. 1 x 1 when not even that fits.
    std::pair<int, int> FitPrintBitmap(std::int64_t budget) const;

    // Printer resolution and screen density, with fallbacks, and the page aspect.
    void ReadDeviceMetrics(const TDeviceMetrics& device);
    // The geometry steps of a relayout: takes the page size (2400 x 3000 when unknown) and the picture size, reads
    // the device metrics and fits the page bitmap to the memory budget.
    void UpdatePageGeometry(const TDeviceMetrics& device, int pictureWidth, int pictureHeight);
    // The four millimetre sizes of the current settings.
    void UpdateMillimetres();

    // 0 or less means no limit (the largest 32-bit value). True when the
    // budget changed; the caller then relayouts.
    bool SetMemoryBudget(std::int64_t bytes);
    std::int32_t MemoryBudget() const { return FMemoryBudget; }

    // The preview page and its outer frame in screen pixels; sets the
    // preview factors and the record's own factors.
    void SetPreviewGeometry(int pageWidth, int pageHeight, int frameWidth, int frameHeight);
    long double PreviewFactorX() const { return FPreviewFactorX; }
    long double PreviewFactorY() const { return FPreviewFactorY; }

    int PrinterDpiX() const { return FPrinterDpiX; }
    int PrinterDpiY() const { return FPrinterDpiY; }
    int ScreenPpi() const { return FScreenPpi; }
    long double PageAspect() const { return FPageAspect; }
    int PrintBitmapWidth() const { return FPrintBitmapWidth; }
    int PrintBitmapHeight() const { return FPrintBitmapHeight; }

    bool CanZoom(bool pictureLoaded) const;
    // ZoomX under Custom, ZoomXY under Custom Fixed, else 0.
    std::int32_t CurrentZoom() const;
    bool CanCenter(bool pictureLoaded) const;

private:
    TPrintWorkspaceInfo FInfo;
    int FPrinterDpiX = FallbackPrinterDpi;
    int FPrinterDpiY = FallbackPrinterDpi;
    int FScreenPpi = FallbackScreenPpi;
    long double FPageAspect = 0;
    std::int32_t FMemoryBudget = DefaultMemoryBudget;
    int FPrintBitmapWidth = FallbackPrintBitmapWidth;
    int FPrintBitmapHeight = FallbackPrintBitmapHeight;
    long double FPreviewFactorX = 1;
    long double FPreviewFactorY = 1;
};

} // namespace orvanto

#pragma once

// The page layout engine: where, and how large, the picture lands on the
// printed page. The preview and the print job call the same Place with
// their own scale factors, so what the user sees is what prints.
//
// Everything is measured in printer pixels ("page pixels"); a layout result
// is turned into a target surface's units only at the very end. The engine
// holds no widgets and asks no device itself: the printer's and the screen's
// metrics come in as plain values, and decisions that need a window (a new
// page geometry) come back as results.

#include "workspace/poster_plan.h"
#include "workspace/print_workspace_info.h"

#include <cstdint>
#include <optional>
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
    // Where the printable area begins on the paper, printer pixels.
    int PrintableLeft = 0;
    int PrintableTop = 0;
};

// The part of the picture that prints, picture pixels: all of it unless
// Exact Size with Fill cuts its edges.
struct TSourcePart {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
};

// What ApplyInfo (and the commands built on it) decided; the caller acts on it.
struct TApplyResult {
    bool Applied = false;           // the record became the current settings
    bool NewPageGeometry = false;   // position, scale or orientation changed: relayout
    bool ZoomChanged = false;       // the picture's size on the page may differ
};

// One target surface of a layout (the preview, a page bitmap): its units per
// page pixel, its size, the picture's size, and a position other than the
// current one when asked.
struct TPlacementRequest {
    long double FactorX = 1;
    long double FactorY = 1;
    std::int32_t PictureWidth = 0;
    std::int32_t PictureHeight = 0;
    int SurfaceWidth = 0;
    int SurfaceHeight = 0;
    std::optional<TPrintPosition> Position;
};

// Where the picture lands, in the surface's units.
struct TPlacement {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool operator==(const TPlacement&) const = default;
};

enum class TAxis { Across, Down };

class TPageLayout {
public:
    TPageLayout();

    // The current settings; callers copy them, change fields and ApplyInfo.
    const TPrintWorkspaceInfo& Info() const { return FInfo; }
    // Validates info and makes it the current settings.
    TApplyResult ApplyInfo(TPrintWorkspaceInfo info);
    // The settings a new workspace starts with.
    void ResetSettings();
    // What the workspace writes for display.
    void SetTexts(TWorkspaceTexts texts);
    void SetLastPrint(const TLastPrint& print);
    // The two settings written without ApplyInfo: the drag moves the Custom
    // offsets (saturating), the printer dialog sets the orientation.
    void MoveCustomOffset(std::int32_t dx, std::int32_t dy);
    void SetOrientation(TPrintOrientation orientation);

    // Where the picture lands on request's surface with the current settings
    // and page. For position Custom, at least 3 units of the picture stay on
    // the surface.
    TPlacement Place(const TPlacementRequest& request) const;
    // The picture's pixels per inch of paper across and down at the current
    // scale and the printer's resolution; 0 for a side of no length.
    std::pair<std::int32_t, std::int32_t> PrintPpi(std::int32_t pictureWidth,
                                                   std::int32_t pictureHeight) const;
    // Below this a print looks soft: the pixels show as steps.
    static constexpr int SharpPpi = 150;
    // The picture as printed, page pixels: its drawn size (for Exact Size
    // with Fit, smaller than the typed size by the bands) and its source part.
    std::pair<std::int32_t, std::int32_t> PrintedSize(std::int32_t pictureWidth,
                                                      std::int32_t pictureHeight) const;
    TSourcePart Source(std::int32_t pictureWidth, std::int32_t pictureHeight) const;
    // Poster on and the picture larger than the printable area.
    bool PosterApplies(std::int32_t pictureWidth, std::int32_t pictureHeight) const;
    // The sheets of the poster for the current page; see poster_plan.h.
    TPosterPlan PosterPlan(std::int32_t pictureWidth, std::int32_t pictureHeight) const;
    // Where the printable area begins on the paper, page pixels.
    int PrintableLeft() const { return FPrintableLeft; }
    int PrintableTop() const { return FPrintableTop; }
    // Page pixels and millimetres on paper, each axis by its printer resolution.
    long double Millimetres(TAxis axis, long double pixels) const;
    std::int32_t PagePixels(TAxis axis, double millimetres) const;

    // The largest page bitmap of the page's aspect within budget bytes
    // (3 bytes a pixel), at least one row high; without a page, 2000 x 2500
    // shrunk into the budget. 1 x 1 when not even that fits.
    std::pair<int, int> FitPrintBitmap(std::int64_t budget) const;

    // The geometry steps of a relayout: takes the page size (2400 x 3000
    // when unknown) and the picture size, reads the device metrics (with
    // fallbacks) and fits the page bitmap to the memory budget.
    void UpdatePageGeometry(const TDeviceMetrics& device, int pictureWidth, int pictureHeight);
    // The four millimetre sizes of the current page and picture.
    void UpdateMillimetres();

    // 0 or less means no limit (the largest 32-bit value). True when the
    // budget changed; the caller then relayouts.
    bool SetMemoryBudget(std::int64_t bytes);
    std::int32_t MemoryBudget() const { return FMemoryBudget; }

    // The preview page in screen pixels.
    void SetPreviewGeometry(int pageWidth, int pageHeight);
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
    // The picture's size on the page, page pixels, for the current scale.
    std::pair<std::int32_t, std::int32_t> SizeOnPage(std::int32_t pictureWidth,
                                                     std::int32_t pictureHeight) const;

    TPrintWorkspaceInfo FInfo;
    int FPrintableLeft = 0;
    int FPrintableTop = 0;
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

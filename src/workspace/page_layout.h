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

#include "workspace/page_maths.h"
#include "workspace/page_placement.h"
#include "workspace/poster_plan.h"
#include "workspace/print_workspace_info.h"

#include <cstdint>
#include <utility>

namespace orvanto {

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

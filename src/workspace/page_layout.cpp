#include "workspace/page_layout.h"

#include "workspace/exact_size.h"
#include "workspace/poster_sheet.h"

#include "support/files/paths.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

namespace orvanto {

namespace {

constexpr std::int64_t Int32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t Int32Min = std::numeric_limits<std::int32_t>::min();

std::int32_t Saturate(std::int64_t value)
{
    return std::int32_t(value > Int32Max ? Int32Max : value < Int32Min ? Int32Min : value);
}

constexpr std::size_t PrinterNameLength = 32;
constexpr long double MmPerInch = 25.4L;

} // namespace

TPageLayout::TPageLayout()
{
    UpdatePageGeometry(TDeviceMetrics{}, 0, 0);
}

TApplyResult TPageLayout::ApplyInfo(TPrintWorkspaceInfo info)
{
    TApplyResult result;
    if (info.PrinterName.size() > PrinterNameLength)
        info.PrinterName.resize(PrinterNameLength);
    static_cast<TPrintSettings&>(info) = info.Validated();

    result.NewPageGeometry = info.Position != FInfo.Position || info.Scale != FInfo.Scale
                             || info.Orientation != FInfo.Orientation;
    FInfo = std::move(info);
    return result;
}

void TPageLayout::ResetSettings()
{
    static_cast<TPrintSettings&>(FInfo) = TPrintSettings();
    FInfo.LastPrint.Resolution = 100;
    FInfo.NoSave = false;
}

void TPageLayout::SetTexts(TWorkspaceTexts texts)
{
    FInfo.Texts = std::move(texts);
}

void TPageLayout::SetLastPrint(const TLastPrint& print)
{
    FInfo.LastPrint = print;
}

void TPageLayout::MoveCustomOffset(std::int32_t dx, std::int32_t dy)
{
    FInfo.X = Saturate(std::int64_t(FInfo.X) + dx);
    FInfo.Y = Saturate(std::int64_t(FInfo.Y) + dy);
}

void TPageLayout::SetOrientation(TPrintOrientation orientation)
{
    FInfo.Orientation = TPrintOrientation(Clamp(orientation, 0, PrintOrientationCount - 1));
}

std::pair<std::int32_t, std::int32_t> TPageLayout::PrintPpi(std::int32_t pictureWidth,
                                                            std::int32_t pictureHeight) const
{
    const auto [w, h] = PrintedSize(pictureWidth, pictureHeight);
    const TSourcePart part = Source(pictureWidth, pictureHeight);
    const auto perInch = [](std::int32_t pixels, int dpi, std::int32_t pagePixels) {
        return pixels > 0 && pagePixels > 0 ? Round((long double)pixels * dpi / pagePixels) : 0;
    };
    return {perInch(part.Width, FPrinterDpiX, w), perInch(part.Height, FPrinterDpiY, h)};
}

std::pair<std::int32_t, std::int32_t> TPageLayout::PrintedSize(std::int32_t pictureWidth,
                                                               std::int32_t pictureHeight) const
{
    if (FInfo.Scale != psExactSize)
        return SizeOnPage(pictureWidth, pictureHeight);
    const TExactPlacement exact = PlaceExactSize(FInfo.SizeX, FInfo.SizeY, FPrinterDpiX, FPrinterDpiY,
                                                 pictureWidth, pictureHeight, FInfo.SizeFill);
    return {exact.Width, exact.Height};
}

TSourcePart TPageLayout::Source(std::int32_t pictureWidth, std::int32_t pictureHeight) const
{
    if (FInfo.Scale != psExactSize)
        return {0, 0, pictureWidth, pictureHeight};
    const TExactPlacement exact = PlaceExactSize(FInfo.SizeX, FInfo.SizeY, FPrinterDpiX, FPrinterDpiY,
                                                 pictureWidth, pictureHeight, FInfo.SizeFill);
    return {exact.SourceLeft, exact.SourceTop, exact.SourceWidth, exact.SourceHeight};
}

bool TPageLayout::PosterApplies(std::int32_t pictureWidth, std::int32_t pictureHeight) const
{
    if (!FInfo.Poster || pictureWidth < 1 || pictureHeight < 1)
        return false;
    const auto [w, h] = PrintedSize(pictureWidth, pictureHeight);
    return NeedsPoster(w, h, FInfo.Geometry.PageWidth, FInfo.Geometry.PageHeight);
}

TPosterPlan TPageLayout::PosterPlan(std::int32_t pictureWidth, std::int32_t pictureHeight) const
{
    const auto [w, h] = PrintedSize(pictureWidth, pictureHeight);
    return PlanPoster(w, h, FInfo.Geometry.PageWidth, FInfo.Geometry.PageHeight,
                      SizeToPagePixels(FInfo.PosterOverlap, FPrinterDpiX), PosterBorder(FPrinterDpiX));
}

long double TPageLayout::Millimetres(TAxis axis, long double pixels) const
{
    return pixels / (axis == TAxis::Across ? FPrinterDpiX : FPrinterDpiY) * MmPerInch;
}

std::int32_t TPageLayout::PagePixels(TAxis axis, double millimetres) const
{
    return Round(millimetres / double(MmPerInch) * (axis == TAxis::Across ? FPrinterDpiX : FPrinterDpiY));
}

std::pair<std::int32_t, std::int32_t> TPageLayout::SizeOnPage(std::int32_t pw, std::int32_t ph) const
{
    const std::int32_t W = FInfo.Geometry.PageWidth, H = FInfo.Geometry.PageHeight;
    switch (FInfo.Scale) {
    case psActualSize:
        return {Round((long double)FPrinterDpiX / FScreenPpi * pw),
                Round((long double)FPrinterDpiY / FScreenPpi * ph)};
    case psScaleToPage: {
        // Without a picture side there is nothing to touch the page edges.
        if (pw <= 0 && ph <= 0)
            return {0, 0};
        const long double infinite = std::numeric_limits<long double>::infinity();
        long double f = pw > 0 ? (long double)W / pw : infinite;
        const long double g = ph > 0 ? (long double)H / ph : infinite;
        if (f > g)
            f = g;
        return {pw > 0 ? Round(f * pw) : 0, ph > 0 ? Round(f * ph) : 0};
    }
    case psFitToPage:
        return {W, H};
    case psAsIs:
        return {pw, ph};
    case psCustom:
        return {ZoomLength(pw, FInfo.ZoomX), ZoomLength(ph, FInfo.ZoomY)};
    case psExactSize:
        // The typed size is the box that the position places.
        return {SizeToPagePixels(FInfo.SizeX, FPrinterDpiX), SizeToPagePixels(FInfo.SizeY, FPrinterDpiY)};
    case psCustomFixed:
    default:
        return {ZoomLength(pw, FInfo.ZoomXY), ZoomLength(ph, FInfo.ZoomXY)};
    }
}

TPlacement TPageLayout::Place(const TPlacementRequest& request) const
{
    const auto [w, h] = SizeOnPage(request.PictureWidth, request.PictureHeight);
    const std::int64_t W = FInfo.Geometry.PageWidth, H = FInfo.Geometry.PageHeight;
    const TPrintPosition position = request.Position.value_or(FInfo.Position);
    std::int64_t x = 0, y = 0;
    switch (position) {
    case ppTopLeft: break;
    case ppTopRight: x = W - w; break;
    case ppBottomLeft: y = H - h; break;
    case ppBottomRight: x = W - w; y = H - h; break;
    case ppCenter: x = Halve(W - w); y = Halve(H - h); break;
    default: x = FInfo.X; y = FInfo.Y; break;
    }
    std::int64_t drawnWidth = w, drawnHeight = h;
    if (FInfo.Scale == psExactSize) {
        // Fit draws the picture smaller than the box, centred in it.
        const TExactPlacement exact = PlaceExactSize(FInfo.SizeX, FInfo.SizeY, FPrinterDpiX, FPrinterDpiY,
                                                     request.PictureWidth, request.PictureHeight, FInfo.SizeFill);
        x += exact.OffsetX;
        y += exact.OffsetY;
        drawnWidth = exact.Width;
        drawnHeight = exact.Height;
    }
    // Each edge is rounded on its own, so the right edge is Left + Width.
    TPlacement out;
    out.Left = Round(x * request.FactorX);
    out.Top = Round(y * request.FactorY);
    out.Width = Round(drawnWidth * request.FactorX);
    out.Height = Round(drawnHeight * request.FactorY);
    if (position != ppCustom)
        return out;
    // A picture dragged off the page stays reachable: 3 units of it remain
    // on the surface. X and Y keep what the user set.
    constexpr std::int64_t Keep = 3;
    const std::int64_t surfaceWidth = request.SurfaceWidth, surfaceHeight = request.SurfaceHeight;
    if (std::int64_t(out.Left) + out.Width < Keep)
        out.Left = Saturate(Keep - out.Width);
    if (surfaceWidth < std::int64_t(out.Left) + Keep)
        out.Left = Saturate(surfaceWidth - Keep);
    if (std::int64_t(out.Top) + out.Height < Keep)
        out.Top = Saturate(Keep - out.Height);
    if (surfaceHeight < std::int64_t(out.Top) + Keep)
        out.Top = Saturate(surfaceHeight - Keep);
    return out;
}

std::pair<int, int> TPageLayout::FitPrintBitmap(std::int64_t budget) const
{
    // A page so wide that its height rounds to nothing still gets one row,
    // rather than the fallback far beyond the budget.
    auto rows = [this](std::int64_t n) { return std::max<std::int64_t>(1, Round(n * FPageAspect)); };
    std::int64_t n = FInfo.Geometry.PageWidth;
    std::int64_t m = rows(n);
    while (n >= 1 && n * m * 3 > budget) {
        --n;
        m = rows(n);
    }
    if (n >= 1 && FPageAspect > 0)
        return {int(n), int(m)};
    // No page to fit: the fallback size, shrunk into the budget keeping its
    // shape; never below one pixel.
    std::int64_t width = FallbackPrintBitmapWidth, height = FallbackPrintBitmapHeight;
    if (width * height * 3 > budget) {
        const double k = std::sqrt(double(std::max<std::int64_t>(budget, 0)) / double(width * height * 3));
        width = std::max<std::int64_t>(1, std::int64_t(width * k));
        height = std::max<std::int64_t>(1, std::int64_t(height * k));
    }
    return {int(width), int(height)};
}

void TPageLayout::UpdatePageGeometry(const TDeviceMetrics& device, int pictureWidth,
                                     int pictureHeight)
{
    TPageGeometry& geometry = FInfo.Geometry;
    geometry.PageWidth = device.PageWidth > 0 ? device.PageWidth : FallbackPageWidth;
    geometry.PageHeight = device.PageHeight > 0 ? device.PageHeight : FallbackPageHeight;
    geometry.PictureWidth = pictureWidth;
    geometry.PictureHeight = pictureHeight;
    FPrinterDpiX = device.PrinterDpiX < 1 ? FallbackPrinterDpi : device.PrinterDpiX;
    FPrinterDpiY = device.PrinterDpiY < 1 ? FallbackPrinterDpi : device.PrinterDpiY;
    // Actual Size divides by the screen density; a screen that reports none
    // is taken as the common 96 pixels per inch.
    FScreenPpi = device.ScreenPpi < 1 ? FallbackScreenPpi : device.ScreenPpi;
    FPageAspect = geometry.PageWidth > 0 ? (long double)geometry.PageHeight / geometry.PageWidth : 0;
    FPrintableLeft = std::max(device.PrintableLeft, 0);
    FPrintableTop = std::max(device.PrintableTop, 0);
    std::tie(FPrintBitmapWidth, FPrintBitmapHeight) = FitPrintBitmap(FMemoryBudget);
}

void TPageLayout::UpdateMillimetres()
{
    const TPageGeometry& pixels = FInfo.Geometry;
    auto mm = [this](TAxis axis, std::int32_t length) { return Round(Millimetres(axis, length)); };
    FInfo.Millimetres = {mm(TAxis::Across, pixels.PageWidth), mm(TAxis::Down, pixels.PageHeight),
                         mm(TAxis::Across, pixels.PictureWidth), mm(TAxis::Down, pixels.PictureHeight)};
}

bool TPageLayout::SetMemoryBudget(std::int64_t bytes)
{
    const std::int32_t budget = bytes <= 0 ? std::int32_t(Int32Max) : Saturate(bytes);
    if (budget == FMemoryBudget)
        return false;
    FMemoryBudget = budget;
    return true;
}

void TPageLayout::SetPreviewGeometry(int pageWidth, int pageHeight)
{
    const TPageGeometry& page = FInfo.Geometry;
    const long double W = page.PageWidth > 0 ? page.PageWidth : FallbackPageWidth;
    const long double H = page.PageHeight > 0 ? page.PageHeight : FallbackPageHeight;
    FPreviewFactorX = pageWidth / W;
    FPreviewFactorY = pageHeight / H;
}

bool TPageLayout::CanZoom(bool pictureLoaded) const
{
    return FInfo.Scale == psCustomFixed || (FInfo.Scale == psCustom && pictureLoaded);
}

std::int32_t TPageLayout::CurrentZoom() const
{
    if (FInfo.Scale == psCustom)
        return FInfo.ZoomX;
    if (FInfo.Scale == psCustomFixed)
        return FInfo.ZoomXY;
    return 0;
}

bool TPageLayout::CanCenter(bool pictureLoaded) const
{
    return pictureLoaded && FInfo.Position == ppCustom;
}

} // namespace orvanto

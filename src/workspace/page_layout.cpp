#include "workspace/page_layout.h"

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

} // namespace

std::int32_t Round(long double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= Int32Max)
        return std::int32_t(Int32Max);
    if (value <= Int32Min)
        return std::int32_t(Int32Min);
    // The default rounding mode sends halves to the even neighbour.
    return std::int32_t(std::nearbyint(value));
}

std::int64_t Halve(std::int64_t value)
{
    return value / 2;
}

long double ZoomFactor(std::int32_t percent)
{
    if (percent >= 1)
        return 1 + percent * 0.01L;
    // At -3201 the factor would reach 0 and below it turn negative, giving
    // pictures no size or a negative one; the settings bar never offers
    // less than -3200, so a smaller stored value means that.
    if (percent < SmallestZoom)
        percent = SmallestZoom;
    return 1 + percent / 3201.0L;
}

std::int32_t ZoomLength(std::int32_t length, std::int32_t percent)
{
    if (percent == 0 || length == 0)
        return length;
    return Round(length * ZoomFactor(percent));
}

std::int32_t QualityDimension(std::int32_t dimension, int quality)
{
    // The page bitmap is stretched over the whole page whatever its size, so
    // this trades sharpness for job size only. High keeps every pixel the
    // memory budget allows; Medium keeps three quarters of each side (a job
    // of about 56 %), Low half of each side (a quarter of the bytes, still
    // 150 dpi and more on most pages): quick drafts that look smooth.
    std::int64_t side = dimension;
    switch (quality) {
    case pqHigh: break;
    case pqMedium: side = side * 3 / 4; break;
    default: side = side / 2; break;
    }
    return Saturate(side < 1 ? 1 : side);
}

TPageLayout::TPageLayout()
{
    SetDefaults(FInfo);
    UpdatePageGeometry(TDeviceMetrics{}, 0, 0);
}

TApplyResult TPageLayout::ApplyInfo(TPrintWorkspaceInfo info)
{
    TApplyResult result;
    if (info.PrinterName.size() > PrinterNameLength)
        info.PrinterName.resize(PrinterNameLength);
    info.Quality = std::uint8_t(Clamp(info.Quality, 0, PrintQualityCount - 1));
    info.Position = std::uint8_t(Clamp(info.Position, 0, PrintPositionCount - 1));
    info.Scale = std::uint8_t(Clamp(info.Scale, 0, PrintScaleCount - 1));
    info.Orientation = std::uint8_t(Clamp(info.Orientation, 0, PrintOrientationCount - 1));

    result.NewPageGeometry = info.Position != FInfo.Position || info.Scale != FInfo.Scale
                             || info.Orientation != FInfo.Orientation;
    result.ZoomChanged = info.ZoomX != FInfo.ZoomX || info.ZoomY != FInfo.ZoomY || info.ZoomXY != FInfo.ZoomXY;
    FInfo = std::move(info);
    result.Applied = true;
    return result;
}

void TPageLayout::ResetSettings()
{
    SetDefaults(FInfo);
}

void TPageLayout::SetTexts(std::string copiesText, std::string caption, std::string jobTitle)
{
    FInfo.CopiesText = std::move(copiesText);
    FInfo.Caption = std::move(caption);
    FInfo.JobTitle = std::move(jobTitle);
}

void TPageLayout::SetLastPrint(std::int32_t width, std::int32_t height, std::int32_t budget)
{
    FInfo.LastPrintWidth = width;
    FInfo.LastPrintHeight = height;
    FInfo.LastPrintBudget = budget;
}

void TPageLayout::SetResolution(std::int32_t percent)
{
    FInfo.Resolution = percent;
}

void TPageLayout::MoveCustomOffset(std::int32_t dx, std::int32_t dy)
{
    FInfo.X = Saturate(std::int64_t(FInfo.X) + dx);
    FInfo.Y = Saturate(std::int64_t(FInfo.Y) + dy);
}

void TPageLayout::SetOrientation(std::uint8_t orientation)
{
    FInfo.Orientation = std::uint8_t(Clamp(orientation, 0, PrintOrientationCount - 1));
}

std::pair<std::int32_t, std::int32_t> TPageLayout::PrintPpi(const TPrintWorkspaceInfo& info) const
{
    const auto [w, h] = SizeOnPage(info);
    const auto perInch = [](std::int32_t pixels, int dpi, std::int32_t pagePixels) {
        return pixels > 0 && pagePixels > 0 ? Round((long double)pixels * dpi / pagePixels) : 0;
    };
    return {perInch(info.PictureWidth, FPrinterDpiX, w), perInch(info.PictureHeight, FPrinterDpiY, h)};
}

std::pair<std::int32_t, std::int32_t> TPageLayout::SizeOnPage(const TPrintWorkspaceInfo& info) const
{
    const std::int32_t pw = info.PictureWidth, ph = info.PictureHeight;
    const std::int32_t W = info.PageWidth, H = info.PageHeight;
    switch (info.Scale) {
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
    case psCustomFixed:
    default:
        return {ZoomLength(pw, FInfo.ZoomXY), ZoomLength(ph, FInfo.ZoomXY)};
    }
}

void TPageLayout::Layout(TPrintWorkspaceInfo& info, int surfaceWidth, int surfaceHeight) const
{
    const auto [w, h] = SizeOnPage(info);
    const std::int64_t W = info.PageWidth, H = info.PageHeight;
    std::int64_t x = 0, y = 0;
    switch (info.Position) {
    case ppTopLeft: break;
    case ppTopRight: x = W - w; break;
    case ppBottomLeft: y = H - h; break;
    case ppBottomRight: x = W - w; y = H - h; break;
    case ppCenter: x = Halve(W - w); y = Halve(H - h); break;
    default: x = info.X; y = info.Y; break;
    }
    // Each edge is rounded on its own, so the right edge is OutLeft + OutWidth.
    info.OutLeft = Round(x * info.FactorX);
    info.OutTop = Round(y * info.FactorY);
    info.OutWidth = Round(w * info.FactorX);
    info.OutHeight = Round(h * info.FactorY);
    if (info.Position != ppCustom)
        return;
    // A picture dragged off the page stays reachable: 3 units of it remain
    // on the surface. X and Y keep what the user set.
    constexpr std::int64_t Keep = 3;
    if (std::int64_t(info.OutLeft) + info.OutWidth < Keep)
        info.OutLeft = Saturate(Keep - info.OutWidth);
    if (std::int64_t(surfaceWidth) < std::int64_t(info.OutLeft) + Keep)
        info.OutLeft = Saturate(std::int64_t(surfaceWidth) - Keep);
    if (std::int64_t(info.OutTop) + info.OutHeight < Keep)
        info.OutTop = Saturate(Keep - info.OutHeight);
    if (std::int64_t(surfaceHeight) < std::int64_t(info.OutTop) + Keep)
        info.OutTop = Saturate(std::int64_t(surfaceHeight) - Keep);
}

std::pair<int, int> TPageLayout::FitPrintBitmap(std::int64_t budget) const
{
    // A page so wide that its height rounds to nothing still gets one row,
    // rather than the fallback far beyond the budget.
    auto rows = [this](std::int64_t n) { return std::max<std::int64_t>(1, Round(n * FPageAspect)); };
    std::int64_t n = FInfo.PageWidth;
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

void TPageLayout::ReadDeviceMetrics(const TDeviceMetrics& device)
{
    FPrinterDpiX = device.PrinterDpiX < 1 ? FallbackPrinterDpi : device.PrinterDpiX;
    FPrinterDpiY = device.PrinterDpiY < 1 ? FallbackPrinterDpi : device.PrinterDpiY;
    // Actual Size divides by the screen density; a screen that reports none
    // is taken as the common 96 pixels per inch.
    FScreenPpi = device.ScreenPpi < 1 ? FallbackScreenPpi : device.ScreenPpi;
    FPageAspect = FInfo.PageWidth > 0 ? (long double)FInfo.PageHeight / FInfo.PageWidth : 0;
}

void TPageLayout::UpdatePageGeometry(const TDeviceMetrics& device, int pictureWidth,
                                     int pictureHeight)
{
    FInfo.PageWidth = device.PageWidth > 0 ? device.PageWidth : FallbackPageWidth;
    FInfo.PageHeight = device.PageHeight > 0 ? device.PageHeight : FallbackPageHeight;
    FInfo.PictureWidth = pictureWidth;
    FInfo.PictureHeight = pictureHeight;
    ReadDeviceMetrics(device);
    std::tie(FPrintBitmapWidth, FPrintBitmapHeight) = FitPrintBitmap(FMemoryBudget);
}

void TPageLayout::UpdateMillimetres()
{
    auto millimetres = [](std::int32_t pixels, int dpi) {
        return Round((long double)pixels / dpi * 25.4L);
    };
    FInfo.PageWidthMM = millimetres(FInfo.PageWidth, FPrinterDpiX);
    FInfo.PageHeightMM = millimetres(FInfo.PageHeight, FPrinterDpiY);
    FInfo.PictureWidthMM = millimetres(FInfo.PictureWidth, FPrinterDpiX);
    FInfo.PictureHeightMM = millimetres(FInfo.PictureHeight, FPrinterDpiY);
}

bool TPageLayout::SetMemoryBudget(std::int64_t bytes)
{
    const std::int32_t budget = bytes <= 0 ? std::int32_t(Int32Max) : Saturate(bytes);
    if (budget == FMemoryBudget)
        return false;
    FMemoryBudget = budget;
    return true;
}

void TPageLayout::SetPreviewGeometry(int pageWidth, int pageHeight, int frameWidth, int frameHeight)
{
    const long double W = FInfo.PageWidth > 0 ? FInfo.PageWidth : FallbackPageWidth;
    const long double H = FInfo.PageHeight > 0 ? FInfo.PageHeight : FallbackPageHeight;
    FPreviewFactorX = pageWidth / W;
    FPreviewFactorY = pageHeight / H;
    FInfo.FactorX = frameWidth / W;
    FInfo.FactorY = frameHeight / H;
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

#include "workspace/page_layout.h"

#include "support/geometry/rect.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>
#include <vector>

using namespace orvanto;

namespace {

constexpr std::int32_t Int32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t Int32Min = std::numeric_limits<std::int32_t>::min();

TEST(PageLayout, RoundingSendsHalvesToEvenAndHalvingTruncates)
{
    const struct {
        long double Value;
        std::int32_t Expected;
    } rounds[] = {{2.5L, 2}, {3.5L, 4}, {-2.5L, -2}, {-3.5L, -4}, {0.5L, 0}, {2.4999L, 2},
                  {1e30L, Int32Max}, {-1e30L, Int32Min}, {std::numeric_limits<long double>::quiet_NaN(), 0}};
    for (const auto& c : rounds)
        EXPECT_EQ(Round(c.Value), c.Expected) << double(c.Value);
    EXPECT_EQ(Halve(-7), -3);
    EXPECT_EQ(Halve(7), 3);
    EXPECT_EQ(Halve(-1), 0);
}

TEST(PageLayout, ZoomLengths)
{
    const struct {
        std::int32_t Length, Percent, Expected;
    } cases[] = {
        {5, 10, 6},         // 5.5 rounds to even
        {3, 50, 4},         // 4.5 rounds to even
        {15, 10, 16},       // 16.5
        {100, 100, 200},    {100, 3200, 3300}, {7, 0, 7},
        {3201, -100, 3101}, // linear in 1/3201 steps, not a half
        {3201, -3200, 1},   {0, -50, 0},       {0, 300, 0},
        // Below -3200 the smallest zoom holds: never zero or negative for a picture.
        {3201, -3201, 1},   {3201, -100000, 1}, {6402, Int32Min, 2},
        {1000000, Int32Max, Int32Max}, // saturates instead of wrapping
    };
    for (const auto& c : cases)
        EXPECT_EQ(ZoomLength(c.Length, c.Percent), c.Expected) << c.Length << " at " << c.Percent;
    EXPECT_GT(ZoomFactor(-3201), 0.0L);
    EXPECT_EQ(ZoomFactor(-5000), ZoomFactor(-3200));
    EXPECT_EQ(ZoomFactor(100), 2.0L);
}

// An engine on a page of the given size, 300 dpi, 96 ppi screen.
TPageLayout Engine(int pageWidth = 2400, int pageHeight = 3000, int dpi = 300, int ppi = 96)
{
    TPageLayout engine;
    engine.UpdatePageGeometry({dpi, dpi, pageWidth, pageHeight, ppi}, 0, 0);
    return engine;
}

TEST(PageLayout, LayoutPlacesThePictureByScaleAndPosition)
{
    const struct {
        const char* Name;
        int Scale, Position, PictureWidth, PictureHeight, X, Y;
        long double FactorX, FactorY;
        int SurfaceWidth, SurfaceHeight;
        int ZoomX, ZoomY, ZoomXY; // current settings
        TRect Expected;           // left, top, width, height
        int DpiX = 300, DpiY = 300;
        int PpiX = -1, PpiY = -1; // picture pixels per inch on paper, worked out by hand; -1 unchecked
    } cases[] = {
        {"scale to page, centred", psScaleToPage, ppCenter, 100, 50, 0, 0, 1, 1, 2400, 3000, 0, 0, 0,
         {0, 900, 2400, 1200}},
        {"scale to page, tall", psScaleToPage, ppTopLeft, 50, 300, 0, 0, 1, 1, 0, 0, 0, 0, 0,
         {0, 0, 500, 3000}},
        {"wider than the page: -7 halves to -3", psAsIs, ppCenter, 2407, 3000, 0, 0, 1, 1, 0, 0, 0, 0,
         0, {-3, 0, 2407, 3000}},
        {"narrower than the page: 7 halves to 3, not 4", psAsIs, ppCenter, 2393, 2991, 0, 0, 1, 1, 0, 0,
         0, 0, 0, {3, 4, 2393, 2991}},
        {"fit to page", psFitToPage, ppBottomRight, 10, 10, 0, 0, 1, 1, 0, 0, 0, 0, 0,
         {0, 0, 2400, 3000}},
        {"actual size at 300 dpi on 96 ppi", psActualSize, ppTopRight, 96, 48, 0, 0, 1, 1, 0, 0, 0, 0,
         0, {2100, 0, 300, 150}, 300, 300, 96, 96}, // 96 px over 300 / 300 in
        {"fit to page: 1600 px over 8 in, 1200 px over 10 in", psFitToPage, ppCenter, 1600, 1200, 0, 0, 1, 1,
         0, 0, 0, 0, 0, {0, 0, 2400, 3000}, 300, 300, 200, 120},
        {"custom zoom +100% / +300%: 600 px over 4 in, 400 px over 5.33 in", psCustom, ppTopLeft, 600, 400, 0,
         0, 1, 1, 0, 0, 100, 300, 0, {0, 0, 1200, 1600}, 300, 300, 150, 75},
        {"actual size at 300 x 600 dpi: each side by its own resolution", psActualSize, ppTopLeft, 96, 48,
         0, 0, 1, 1, 0, 0, 0, 0, 0, {0, 0, 300, 300}, 300, 600},
        {"as is, bottom left", psAsIs, ppBottomLeft, 640, 480, 0, 0, 1, 1, 0, 0, 0, 0, 0,
         {0, 2520, 640, 480}},
        {"custom zoom -3200", psCustom, ppTopLeft, 3201, 3201, 0, 0, 1, 1, 0, 0, -3200, 100, 0,
         {0, 0, 1, 6402}},
        {"custom fixed zoom", psCustomFixed, ppCenter, 100, 200, 0, 0, 1, 1, 0, 0, 500, 500, 50,
         {1125, 1350, 150, 300}},
        {"each edge rounded on its own", psAsIs, ppCustom, 5, 5, 5, 7, 0.5L, 0.5L, 1000, 1000, 0, 0, 0,
         {2, 4, 2, 2}},
        {"preview factors", psScaleToPage, ppCenter, 100, 50, 0, 0, 0.1L, 0.1L, 240, 300, 0, 0, 0,
         {0, 90, 240, 120}},
        {"custom far right stays 3 inside", psAsIs, ppCustom, 100, 100, 100000, 50, 0.1L, 0.1L, 240,
         300, 0, 0, 0, {237, 5, 10, 10}},
        {"custom far left and up", psAsIs, ppCustom, 100, 100, -100000, -100000, 0.1L, 0.1L, 240, 300,
         0, 0, 0, {-7, -7, 10, 10}},
        {"custom below the surface", psAsIs, ppCustom, 100, 100, 0, 5000, 1, 1, 2400, 3000, 0, 0, 0,
         {0, 2997, 100, 100}},
        {"no picture to scale", psScaleToPage, ppCenter, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0,
         {1200, 1500, 0, 0}},
    };
    for (const auto& c : cases) {
        TPageLayout engine;
        engine.UpdatePageGeometry({c.DpiX, c.DpiY, 2400, 3000, 96}, 0, 0);
        TPrintWorkspaceInfo settings = engine.Info();
        settings.ZoomX = c.ZoomX;
        settings.ZoomY = c.ZoomY;
        settings.ZoomXY = c.ZoomXY;
        settings.Scale = TPrintScale(c.Scale);
        settings.Position = TPrintPosition(c.Position);
        settings.X = c.X;
        settings.Y = c.Y;
        engine.ApplyInfo(settings);
        TPlacementRequest request;
        request.PictureWidth = c.PictureWidth;
        request.PictureHeight = c.PictureHeight;
        request.FactorX = c.FactorX;
        request.FactorY = c.FactorY;
        request.SurfaceWidth = c.SurfaceWidth;
        request.SurfaceHeight = c.SurfaceHeight;
        const TPlacement at = engine.Place(request);
        EXPECT_EQ((TRect{at.Left, at.Top, at.Width, at.Height}), c.Expected)
            << c.Name << ": got " << at.Left << "," << at.Top << " " << at.Width << "x" << at.Height;
        EXPECT_EQ(engine.Info().X, c.X) << c.Name;
        EXPECT_EQ(engine.Info().Y, c.Y) << c.Name;
        if (c.PpiX >= 0) {
            EXPECT_EQ(engine.PrintPpi(c.PictureWidth, c.PictureHeight), std::make_pair(c.PpiX, c.PpiY))
                << c.Name;
        }
    }
}

TEST(PageLayout, DevicesThatReportNothingGetTheFallbacks)
{
    const struct {
        TDeviceMetrics Device;
        int PageWidth, PageHeight, DpiX, DpiY, WidthMM, HeightMM, BitmapWidth, BitmapHeight;
        int PictureWidthMM, PictureHeightMM; // of the 640 x 480 picture
    } cases[] = {
        {{0, 0, 0, 0, 0}, 2400, 3000, 300, 300, 203, 254, 2000, 2500, 54, 41},
        {{-5, 0, -1, -1, 96}, 2400, 3000, 300, 300, 203, 254, 2000, 2500, 54, 41},
        // A4 at 600 dpi: too large for the budget, fitted at the page's aspect.
        {{600, 600, 4960, 7016, 96}, 4960, 7016, 600, 600, 210, 297, 1880, 2659, 27, 20},
        // A small page fits whole; each direction measured at its own resolution.
        {{100, 200, 800, 2000, 96}, 800, 2000, 100, 200, 203, 254, 800, 2000, 163, 61},
        {{200, 100, 2000, 800, 96}, 2000, 800, 200, 100, 254, 203, 2000, 800, 81, 122},
    };
    for (const auto& c : cases) {
        TPageLayout engine;
        engine.UpdatePageGeometry(c.Device, 640, 480);
        engine.UpdateMillimetres();
        const TPrintWorkspaceInfo& info = engine.Info();
        EXPECT_EQ(info.Geometry.PageWidth, c.PageWidth);
        EXPECT_EQ(info.Geometry.PageHeight, c.PageHeight);
        EXPECT_EQ(engine.PrinterDpiX(), c.DpiX);
        EXPECT_EQ(engine.PrinterDpiY(), c.DpiY);
        EXPECT_GE(engine.ScreenPpi(), 1);
        EXPECT_EQ(info.Millimetres.PageWidth, c.WidthMM);
        EXPECT_EQ(info.Millimetres.PageHeight, c.HeightMM);
        EXPECT_EQ(info.Millimetres.PictureWidth, c.PictureWidthMM);
        EXPECT_EQ(info.Millimetres.PictureHeight, c.PictureHeightMM);
        EXPECT_EQ(engine.PrintBitmapWidth(), c.BitmapWidth) << c.PageWidth;
        EXPECT_EQ(engine.PrintBitmapHeight(), c.BitmapHeight) << c.PageWidth;
        EXPECT_LE(std::int64_t(engine.PrintBitmapWidth()) * engine.PrintBitmapHeight() * 3,
                  DefaultMemoryBudget);
        EXPECT_EQ(info.Geometry.PictureWidth, 640);
    }
}

TEST(PageLayout, PageBitmapFitsTheBudget)
{
    const struct {
        std::int64_t Budget;
        int Width, Height;
        int PageWidth = 2400, PageHeight = 3000;
    } cases[] = {
        {15000000, 2000, 2500},           // exactly the budget
        {14999999, 1999, 2499},
        {0, 2400, 3000},                   // 0 or less: no limit
        {-1, 2400, 3000},
        {2, 1, 1}, // nothing fits: the smallest bitmap, not one far beyond the budget
        {3, 1, 1},
        {1000000, 516, 645},
        // So wide a page that its height would round to no row: one row.
        {100, 33, 1, 10000, 100},
    };
    for (const auto& c : cases) {
        TPageLayout engine = Engine(c.PageWidth, c.PageHeight);
        engine.SetMemoryBudget(c.Budget);
        const auto [width, height] = engine.FitPrintBitmap(engine.MemoryBudget());
        EXPECT_EQ(width, c.Width) << c.Budget;
        EXPECT_EQ(height, c.Height) << c.Budget;
    }
    TPageLayout engine;
    EXPECT_EQ(engine.MemoryBudget(), DefaultMemoryBudget);
    EXPECT_FALSE(engine.SetMemoryBudget(DefaultMemoryBudget));
    EXPECT_TRUE(engine.SetMemoryBudget(0));
    EXPECT_EQ(engine.MemoryBudget(), Int32Max);
}

TEST(PageLayout, ApplyInfoClampsAndReportsWhatChanged)
{
    const struct {
        const char* Name;
        void (*Change)(TPrintWorkspaceInfo&);
        bool NewGeometry;
    } cases[] = {
        {"nothing", [](TPrintWorkspaceInfo&) {}, false},
        {"quality alone", [](TPrintWorkspaceInfo& i) { i.Quality = pqHigh; }, false},
        {"offsets alone", [](TPrintWorkspaceInfo& i) { i.X = 40; i.Y = -3; }, false},
        {"scale", [](TPrintWorkspaceInfo& i) { i.Scale = psAsIs; }, true},
        {"position", [](TPrintWorkspaceInfo& i) { i.Position = ppTopLeft; }, true},
        {"orientation", [](TPrintWorkspaceInfo& i) { i.Orientation = poLandscape; }, true},
        {"zoom x", [](TPrintWorkspaceInfo& i) { i.ZoomX = 5; }, false},
        {"zoom y", [](TPrintWorkspaceInfo& i) { i.ZoomY = -5; }, false},
        {"zoom xy", [](TPrintWorkspaceInfo& i) { i.ZoomXY = 99999; }, false},
    };
    for (const auto& c : cases) {
        TPageLayout engine = Engine();
        TPrintWorkspaceInfo info = engine.Info();
        c.Change(info);
        const TApplyResult result = engine.ApplyInfo(info);
        EXPECT_EQ(result.NewPageGeometry, c.NewGeometry) << c.Name;
        EXPECT_EQ(engine.Info().X, info.X) << c.Name;
        EXPECT_EQ(engine.Info().ZoomXY, info.ZoomXY) << c.Name;
    }

    TPageLayout engine;
    TPrintWorkspaceInfo info = engine.Info();
    info.Scale = TPrintScale(9);
    info.Position = TPrintPosition(200);
    info.Quality = TPrintQuality(3);
    info.Orientation = TPrintOrientation(255);
    info.PreviewSize = 7;
    info.Copies = 0;
    info.PrinterName = std::string(32, 'p') + "12345678";
    info.Texts.Caption = "carried along";
    // Sizes as a garbled settings file gives them: none, then beyond 10 m.
    std::tie(info.SizeX, info.SizeY, info.PosterOverlap) = std::tuple(-5, 2000000000, -3);
    engine.ApplyInfo(info);
    EXPECT_EQ(engine.Info().SizeX, 10000);
    EXPECT_EQ(engine.Info().SizeY, 1000000);
    EXPECT_EQ(engine.Info().PosterOverlap, 0);
    EXPECT_EQ(engine.Info().Scale, psExactSize);
    EXPECT_EQ(engine.Info().Position, ppCustom);
    EXPECT_EQ(engine.Info().Quality, pqHigh);
    EXPECT_EQ(engine.Info().Orientation, poLandscape);
    EXPECT_EQ(engine.Info().PreviewSize, 1) << "Close Up";
    EXPECT_EQ(engine.Info().Copies, 1);
    EXPECT_EQ(engine.Info().PrinterName, std::string(32, 'p'));
    EXPECT_EQ(engine.Info().Texts.Caption, "carried along");
}

TEST(PageLayout, QualityKeepsSidesPositiveWithinTheBudgetAndOrdered)
{
    const std::int32_t sides[] = {1, 2, 3, 7, 1000, 1826, 2000, 2500, 5000, Int32Max};
    for (const std::int32_t side : sides) {
        std::int32_t previous = 0;
        for (const int quality : {pqLow, pqMedium, pqHigh}) {
            const std::int32_t result = QualityDimension(side, quality);
            EXPECT_GE(result, 1) << side << " at " << quality;
            EXPECT_LE(result, side) << side << " at " << quality;
            EXPECT_GE(result, previous) << side << " at " << quality;
            previous = result;
        }
        // High is as sharp as the budget allows; Low is a real saving.
        EXPECT_EQ(QualityDimension(side, pqHigh), side);
        if (side >= 4) {
            EXPECT_LE(std::int64_t(QualityDimension(side, pqLow)) * 2, side);
        }
    }
    // The same rule for both sides keeps the page's aspect.
    for (const int quality : {pqLow, pqMedium, pqHigh}) {
        const long double aspect =
            (long double)QualityDimension(2500, quality) / QualityDimension(2000, quality);
        EXPECT_NEAR(double(aspect), 1.25, 0.002) << quality;
    }
    EXPECT_EQ(QualityDimension(0, pqHigh), 1);
    EXPECT_EQ(QualityDimension(-5, pqLow), 1);
}

TEST(PageLayout, DefaultsAndNames)
{
    TPageLayout engine;
    const TPrintWorkspaceInfo& info = engine.Info();
    EXPECT_EQ(info.Quality, pqLow);
    EXPECT_EQ(info.Scale, psFitToPage);
    EXPECT_EQ(info.Position, ppCenter);
    EXPECT_EQ(info.Orientation, poPortrait);
    EXPECT_EQ(info.LastPrint.Resolution, 100);
    EXPECT_FALSE(info.NoSave);
    EXPECT_EQ(info.ZoomXY, 0);
    EXPECT_EQ(info.Geometry.PageWidth, 2400);

    const struct {
        std::string (*Name)(int);
        std::vector<std::string> Names;
    } enumerations[] = {
        {PrintScaleName,
         {"Actual Size", "Scale to Page", "Fit to Page", "As Is", "Custom", "Custom Fixed", "Exact Size"}},
        {PrintPositionName,
         {"Top Left", "Top Right", "Bottom Left", "Bottom Right", "Center", "Custom"}},
        {PrintQualityName, {"Low", "Medium", "High"}},
        {PrintOrientationName, {"Portrait", "Landscape"}},
    };
    for (const auto& e : enumerations) {
        for (std::size_t i = 0; i < e.Names.size(); ++i)
            EXPECT_EQ(e.Name(int(i)), e.Names[i]);
        EXPECT_EQ(e.Name(int(e.Names.size())), "");
        EXPECT_EQ(e.Name(-1), "");
    }
}

} // namespace

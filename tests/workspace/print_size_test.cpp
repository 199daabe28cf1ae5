#include "workspace/exact_size.h"
#include "workspace/photo_sizes.h"
#include "workspace/print_size.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using namespace orvanto;

namespace {

TEST(PrintSize, InchesOnLetterAndLegalOrWhereTheLocaleMeasuresInThem)
{
    const struct {
        const char* Paper;
        bool LocaleInches;
        TSizeUnit Expected;
    } cases[] = {
        {"iso_a4_210x297mm", false, TSizeUnit::Millimetre},
        {"na_letter_8.5x11in", false, TSizeUnit::Inch},
        {"na_legal_8.5x14in", false, TSizeUnit::Inch},
        {"na_ledger_11x17in", false, TSizeUnit::Millimetre}, // only Letter and Legal
        {"iso_a4_210x297mm", true, TSizeUnit::Inch},
        {"", false, TSizeUnit::Millimetre},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SizeUnitFor(c.Paper, c.LocaleInches), c.Expected) << c.Paper << " " << c.LocaleInches;
}

TEST(PrintSize, TypedSizesAreRefusedClampedOrTaken)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double Value;
        TSizeUnit Unit;
        TTypedSize::TOutcome Outcome;
        std::int32_t Hundredths; // checked unless refused
    } cases[] = {
        {100.0, TSizeUnit::Millimetre, TTypedSize::Accepted, 10000},
        {123.4, TSizeUnit::Millimetre, TTypedSize::Accepted, 12340},
        {4.0, TSizeUnit::Inch, TTypedSize::Accepted, 10160},
        {0.01, TSizeUnit::Millimetre, TTypedSize::Accepted, 1},
        {0.0, TSizeUnit::Millimetre, TTypedSize::Refused, 0},
        {-5.0, TSizeUnit::Inch, TTypedSize::Refused, 0},
        {nan, TSizeUnit::Millimetre, TTypedSize::Refused, 0},
        {inf, TSizeUnit::Millimetre, TTypedSize::Refused, 0},
        {0.001, TSizeUnit::Millimetre, TTypedSize::Refused, 0}, // rounds to nothing
        {10000.0, TSizeUnit::Millimetre, TTypedSize::Accepted, 1000000}, // exactly 10 m
        {10000.1, TSizeUnit::Millimetre, TTypedSize::Clamped, 1000000},
        {394.0, TSizeUnit::Inch, TTypedSize::Clamped, 1000000},
    };
    for (const auto& c : cases) {
        const TTypedSize typed = CheckTypedSize(c.Value, c.Unit);
        EXPECT_EQ(typed.Outcome, c.Outcome) << c.Value;
        if (c.Outcome != TTypedSize::Refused) {
            EXPECT_EQ(typed.Hundredths, c.Hundredths) << c.Value;
        }
    }
}

TEST(PrintSize, BoxesShowTenthsOfMillimetresOrHundredthsOfInches)
{
    EXPECT_DOUBLE_EQ(SizeInUnit(10000, TSizeUnit::Millimetre), 100.0);
    EXPECT_DOUBLE_EQ(SizeInUnit(12345, TSizeUnit::Millimetre), 123.5);
    EXPECT_DOUBLE_EQ(SizeInUnit(10160, TSizeUnit::Inch), 4.0);
    EXPECT_DOUBLE_EQ(SizeInUnit(8890, TSizeUnit::Inch), 3.5);
    EXPECT_DOUBLE_EQ(SizeInUnit(10000, TSizeUnit::Inch), 3.94);
    EXPECT_EQ(SizeDecimals(TSizeUnit::Millimetre), 1);
    EXPECT_EQ(SizeDecimals(TSizeUnit::Inch), 2);
}

TEST(PrintSize, StoredSizesAndLockedSides)
{
    EXPECT_EQ(ClampStoredSize(0, DefaultSizeX), DefaultSizeX);   // a missing key
    EXPECT_EQ(ClampStoredSize(-40, DefaultSizeY), DefaultSizeY); // garbage
    EXPECT_EQ(ClampStoredSize(2000000000, DefaultSizeX), LargestSize);
    EXPECT_EQ(ClampStoredSize(5, DefaultSizeX), 5);
    EXPECT_EQ(LockedSide(10000, 4000, 3000), 7500);
    EXPECT_EQ(LockedSide(10000, 3000, 4000), 13333);
    EXPECT_EQ(LockedSide(900000, 1, 1000), LargestSize);
    EXPECT_EQ(LockedSide(10000, 0, 3000), 10000); // no picture: nothing to keep
}

TEST(PhotoSizes, EachSizeIsTurnedToThePicture)
{
    const struct {
        const char* Name;
        int PictureWidth, PictureHeight;
        std::int32_t Width, Height;
    } cases[] = {
        {"9 × 13 cm", 3000, 4000, 9000, 13000},     {"10 × 15 cm", 4000, 3000, 15000, 10000},
        {"13 × 18 cm", 3000, 4000, 13000, 18000},   {"15 × 20 cm", 100, 100, 15000, 20000},
        {"20 × 30 cm", 6000, 4000, 30000, 20000},   {"3.5 × 5 in", 3000, 4000, 8890, 12700},
        {"4 × 6 in", 6000, 4000, 15240, 10160},     {"5 × 7 in", 3000, 4000, 12700, 17780},
        {"8 × 10 in", 3000, 4000, 20320, 25400},    {"35 × 45 mm", 350, 450, 3500, 4500},
    };
    ASSERT_EQ(std::size(cases), std::size_t(PhotoSizeCount));
    for (int i = 0; i < PhotoSizeCount; ++i) {
        const auto& c = cases[i];
        EXPECT_EQ(std::string(PhotoSizes[i].Name), c.Name);
        const auto [w, h] = PhotoSizeFor(i, c.PictureWidth, c.PictureHeight);
        EXPECT_EQ(w, c.Width) << c.Name;
        EXPECT_EQ(h, c.Height) << c.Name;
    }
    EXPECT_EQ(PhotoSizeFor(PhotoSizeCount, 10, 10), std::make_pair(0, 0));
    EXPECT_EQ(PhotoSizeFor(-1, 10, 10), std::make_pair(0, 0));
}

TEST(ExactSize, FitLeavesBandsAndFillCutsTheCentre)
{
    const struct {
        const char* Name;
        std::int32_t SizeX, SizeY;
        int PictureWidth, PictureHeight;
        bool Fill;
        TExactPlacement Expected;
    } cases[] = {
        // 10 x 15 cm at 600 dpi is 2362 x 3543 printer pixels.
        {"same shape", 10000, 15000, 4000, 6000, false, {2362, 3543, 2362, 3543, 0, 0, 0, 0, 4000, 6000}},
        {"wide picture, fit: bands above and below", 10000, 15000, 4000, 3000, false,
         {2362, 3543, 2362, 1772, 0, 885, 0, 0, 4000, 3000}},
        {"wide picture, fill: the sides are cut", 10000, 15000, 4000, 3000, true,
         {2362, 3543, 2362, 3543, 0, 0, 1000, 0, 2000, 3000}},
        {"tall picture in a wide box, fit: bands beside", 15000, 10000, 3000, 4000, false,
         {3543, 2362, 1772, 2362, 885, 0, 0, 0, 3000, 4000}},
        {"tall picture in a wide box, fill: top and bottom cut", 15000, 10000, 3000, 4000, true,
         {3543, 2362, 3543, 2362, 0, 0, 0, 1000, 3000, 2000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TExactPlacement p = PlaceExactSize(c.SizeX, c.SizeY, 600, 600, c.PictureWidth, c.PictureHeight, c.Fill);
        const TExactPlacement& e = c.Expected;
        EXPECT_EQ(p.BoxWidth, e.BoxWidth);
        EXPECT_EQ(p.BoxHeight, e.BoxHeight);
        EXPECT_EQ(p.Width, e.Width);
        EXPECT_EQ(p.Height, e.Height);
        EXPECT_EQ(p.OffsetX, e.OffsetX);
        EXPECT_EQ(p.OffsetY, e.OffsetY);
        EXPECT_EQ(p.SourceLeft, e.SourceLeft);
        EXPECT_EQ(p.SourceTop, e.SourceTop);
        EXPECT_EQ(p.SourceWidth, e.SourceWidth);
        EXPECT_EQ(p.SourceHeight, e.SourceHeight);
    }
}

TEST(ExactSize, StretchedMeansMoreThanOnePercentOffTheShape)
{
    const struct {
        long double PictureWidth, PictureHeight, PrintedWidth, PrintedHeight;
        bool Expected;
    } cases[] = {
        {4, 3, 200, 150, false},
        {4, 3, 210, 297, true},     // a 4:3 photo over a portrait page
        {100, 100, 100.9L, 100, false},
        {100, 100, 101.1L, 100, true},
        {100, 100, 100, 101.1L, true},
        {0, 100, 100, 100, false},  // no picture: nothing to stretch
    };
    for (const auto& c : cases)
        EXPECT_EQ(Stretched(c.PictureWidth, c.PictureHeight, c.PrintedWidth, c.PrintedHeight), c.Expected)
            << double(c.PrintedWidth) << " x " << double(c.PrintedHeight);
}

} // namespace

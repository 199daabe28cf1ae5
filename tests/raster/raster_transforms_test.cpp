#include "raster/raster_transforms.h"

#include "support/memory/memory_limit.h"
#include "support/memory/picture_memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using namespace orvanto;

namespace {

// A picture whose every byte differs from its neighbours, so a pixel moved
// to the wrong place or a channel swapped shows.
QImage Pattern(int width, int height, unsigned seed = 1)
{
    QImage picture(width, height, QImage::Format_BGR888);
    unsigned state = seed * 2654435761u + 12345u;
    for (int y = 0; y < height; ++y) {
        uchar* row = picture.scanLine(y);
        for (int i = 0; i < width * 3; ++i) {
            state = state * 1103515245u + 12345u;
            row[i] = uchar(state >> 16);
        }
    }
    return picture;
}

// Same size and the same pixel bytes (padding ignored).
::testing::AssertionResult SamePixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return ::testing::AssertionFailure()
               << "sizes " << a.width() << "x" << a.height() << " and " << b.width() << "x"
               << b.height();
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return ::testing::AssertionFailure() << "pixel " << x << "," << y << " differs";
    return ::testing::AssertionSuccess();
}

// The simplest per-pixel references: the picture as it should look.
QImage ReferenceTurn(const QImage& source, bool clockwise)
{
    QImage turned(source.height(), source.width(), QImage::Format_BGR888);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) {
            if (clockwise)
                turned.setPixel(source.height() - 1 - y, x, source.pixel(x, y));
            else
                turned.setPixel(y, source.width() - 1 - x, source.pixel(x, y));
        }
    return turned;
}

QImage ReferenceMove(const QImage& source, const TRect& rect, bool flip, bool mirror)
{
    QImage moved = source.copy();
    for (int y = rect.Top; y < rect.Bottom; ++y)
        for (int x = rect.Left; x < rect.Right; ++x) {
            const int fromX = mirror ? rect.Right - 1 - (x - rect.Left) : x;
            const int fromY = flip ? rect.Bottom - 1 - (y - rect.Top) : y;
            moved.setPixel(x, y, source.pixel(fromX, fromY));
        }
    return moved;
}

TManipulationInfo Whole(QImage& picture)
{
    TManipulationInfo info;
    info.Bitmap = &picture;
    info.Rect = PictureRect(&picture);
    return info;
}

TEST(RasterTransforms, RectanglesAreClampedAndNormalised)
{
    const struct {
        TRect Given;
        bool Exclusive;
        TRect Expected;
    } cases[] = {
        {{10, 0, 2, 5}, true, {2, 0, 10, 5}},
        {{0, 0, 20, 10}, true, {0, 0, 20, 10}},     // the whole picture stays
        {{0, 0, 20, 10}, false, {0, 0, 19, 9}},     // last pixel inclusive
        {{-5, -1, 30, 99}, true, {0, 0, 20, 10}},
        {{25, 12, -3, -7}, true, {0, 0, 20, 10}},   // clamped, then swapped
        {{7, 9, 7, 3}, false, {7, 3, 7, 9}},
    };
    for (const auto& c : cases) {
        QImage picture = Pattern(20, 10);
        TManipulationInfo info = Whole(picture);
        info.Rect = c.Given;
        info.Exclusive = c.Exclusive;
        ASSERT_TRUE(ManipulationValidate(info));
        EXPECT_EQ(info.Rect, c.Expected) << c.Given.Left << "," << c.Given.Top << ","
                                         << c.Given.Right << "," << c.Given.Bottom;
    }
    EXPECT_EQ(PictureRect(nullptr), (TRect{0, 0, -1, -1}));
}

TEST(RasterTransforms, EveryOperationRefusesAMissingPicture)
{
    const std::function<bool(TManipulationInfo&)> operations[] = {
        ManipulationValidate, FlipVertical, MirrorHorizontal, InvertColors, InvertChannels,
        [](TManipulationInfo& i) { return RotateQuarter(i, RotateClockwise); },
        [](TManipulationInfo& i) { return RotateBy(i, 90); },
        [](TManipulationInfo& i) { return RotateBy(i, 180); },
    };
    for (const auto& operation : operations) {
        TManipulationInfo info;
        info.InvertRed = 1;
        EXPECT_FALSE(operation(info));
        EXPECT_EQ(info.ErrorText, "Undefined image handle.");
    }
}

TEST(RasterTransforms, RotateByMatchesThePerPixelReferenceForEveryRange)
{
    enum Expect { Unchanged, Clockwise, Half, Counter, Refused };
    const struct {
        int Angle;
        Expect Result;
    } cases[] = {
        {0, Unchanged},    {360, Unchanged},  {-360, Unchanged}, {-89, Unchanged},
        {-1, Unchanged},   {1, Clockwise},    {45, Clockwise},   {90, Clockwise},
        {-359, Clockwise}, {-270, Clockwise}, {91, Half},        {180, Half},
        {-269, Half},      {-180, Half},      {181, Counter},    {270, Counter},
        {-179, Counter},   {-90, Counter},    {271, Refused},    {359, Refused},
        {361, Refused},    {-361, Refused},   {100000, Refused},
    };
    // Odd and even sizes, and sizes that do not fill a whole tile.
    const QSize sizes[] = {{7, 5}, {64, 64}, {130, 67}, {1, 1}};
    for (const QSize size : sizes)
        for (const auto& c : cases) {
            const QImage original = Pattern(size.width(), size.height(), unsigned(c.Angle + 1000));
            QImage picture = original.copy();
            TManipulationInfo info = Whole(picture);
            info.ErrorText = "kept";
            const TRect all{0, 0, size.width(), size.height()};
            QImage expected;
            switch (c.Result) {
            case Unchanged: case Refused: expected = original; break;
            case Clockwise: expected = ReferenceTurn(original, true); break;
            case Counter: expected = ReferenceTurn(original, false); break;
            case Half: expected = ReferenceMove(original, all, true, true); break;
            }
            EXPECT_EQ(RotateBy(info, c.Angle), c.Result != Refused) << c.Angle;
            EXPECT_TRUE(SamePixels(picture, expected)) << c.Angle << " on " << size.width() << "x"
                                                       << size.height();
            if (c.Result == Refused) {
                EXPECT_EQ(info.ErrorText, "kept") << c.Angle;
            }
        }
}

TEST(RasterTransforms, FlipAndMirrorMoveOnlyTheRectangle)
{
    const struct {
        int Width, Height;
        TRect Rect;
    } cases[] = {
        {1, 1, {0, 0, 1, 1}},   {2, 3, {0, 0, 2, 3}},   {5, 4, {0, 0, 5, 4}},
        {4, 5, {0, 0, 4, 5}},   {33, 17, {0, 0, 33, 17}}, {10, 9, {2, 3, 7, 8}},
        {10, 9, {3, 0, 4, 9}},  {10, 9, {0, 4, 10, 5}}, {10, 9, {5, 5, 5, 5}},
    };
    for (const auto& c : cases)
        for (const bool flip : {true, false}) {
            const QImage original = Pattern(c.Width, c.Height, unsigned(c.Width * 31 + c.Height));
            QImage picture = original.copy();
            TManipulationInfo info = Whole(picture);
            info.Rect = c.Rect;
            ASSERT_TRUE(flip ? FlipVertical(info) : MirrorHorizontal(info));
            EXPECT_TRUE(SamePixels(picture, ReferenceMove(original, c.Rect, flip, !flip)))
                << (flip ? "flip " : "mirror ") << c.Width << "x" << c.Height << " rect "
                << c.Rect.Left << "," << c.Rect.Top << "," << c.Rect.Right << "," << c.Rect.Bottom;
        }
}

TEST(RasterTransforms, HalfTurnIsFlipAndMirrorOfTheRectangle)
{
    const struct {
        int Width, Height;
        TRect Rect;
    } cases[] = {
        {1, 1, {0, 0, 1, 1}},    {1, 4, {0, 0, 1, 4}},   {5, 1, {0, 0, 5, 1}},
        {5, 4, {0, 0, 5, 4}},    {4, 5, {0, 0, 4, 5}},   {33, 17, {0, 0, 33, 17}},
        {10, 9, {2, 3, 7, 8}},   {10, 9, {3, 0, 4, 9}},  {10, 9, {0, 4, 10, 5}},
        {10, 9, {5, 5, 5, 5}},   {10, 9, {9, 2, 1, 7}},
        // Large enough to be shared between two cores, odd and even heights.
        {1031, 1021, {0, 0, 1031, 1021}}, {1200, 1000, {0, 0, 1200, 1000}},
        {1200, 1000, {3, 5, 1197, 996}},
    };
    for (const auto& c : cases) {
        const QImage original = Pattern(c.Width, c.Height, unsigned(c.Width * 13 + c.Height));
        QImage picture = original.copy();
        TManipulationInfo info = Whole(picture);
        info.Rect = c.Rect;
        ASSERT_TRUE(RotateHalf(info));
        TRect rect = c.Rect;
        NormalizeRect(rect);
        EXPECT_TRUE(SamePixels(picture, ReferenceMove(original, rect, true, true)))
            << c.Width << "x" << c.Height << " rect " << c.Rect.Left << "," << c.Rect.Top << ","
            << c.Rect.Right << "," << c.Rect.Bottom;
    }
}

TEST(RasterTransforms, QuarterTurnsOfThinAndVeryTallPictures)
{
    // Taller than 65,536 rows: the turn must not depend on a fixed row table.
    // Large enough to be shared between two cores, with an odd split.
    const QSize sizes[] = {{9, 1}, {1, 9}, {1, 1}, {3, 70001}, {70001, 2}, {1031, 1021}};
    for (const QSize size : sizes)
        for (const int direction : {RotateClockwise, RotateCounterClockwise}) {
            const QImage original = Pattern(size.width(), size.height(), 7);
            QImage picture = original.copy();
            TManipulationInfo info = Whole(picture);
            ASSERT_TRUE(RotateQuarter(info, direction));
            EXPECT_EQ(picture.size(), size.transposed());
            EXPECT_TRUE(SamePixels(picture, ReferenceTurn(original, direction == RotateClockwise)))
                << size.width() << "x" << size.height() << " direction " << direction;
        }
}

TEST(RasterTransforms, QuarterTurnsOfPicturesGivenBackWhileTurning)
{
    // Pictures of the program's own memory are handed back band by band
    // during the turn; large ones are shared between two cores. A picture
    // someone else still holds must come out of the turn untouched.
    const QSize sizes[] = {{5, 3}, {700, 130}, {1031, 1021}, {2000, 700}};
    for (const QSize size : sizes)
        for (const int direction : {RotateClockwise, RotateCounterClockwise})
            for (const bool shared : {false, true}) {
                const QImage original = Pattern(size.width(), size.height(), 11);
                QImage picture = NewPictureMemory(size.width(), size.height());
                for (int y = 0; y < size.height(); ++y)
                    std::memcpy(picture.scanLine(y), original.constScanLine(y), std::size_t(size.width()) * 3);
                const QImage alias = shared ? picture : QImage();
                TManipulationInfo info = Whole(picture);
                ASSERT_TRUE(RotateQuarter(info, direction));
                EXPECT_TRUE(SamePixels(picture, ReferenceTurn(original, direction == RotateClockwise)))
                    << size.width() << "x" << size.height() << " direction " << direction;
                if (shared) {
                    EXPECT_TRUE(SamePixels(alias, original)) << size.width() << "x" << size.height();
                }
            }
}

TEST(RasterTransforms, TurnsAndInversionsUndoThemselves)
{
    const struct {
        std::function<bool(TManipulationInfo&)> First, Second;
        const char* Name;
    } cases[] = {
        {[](TManipulationInfo& i) { return RotateBy(i, 90); },
         [](TManipulationInfo& i) { return RotateBy(i, -90); }, "90 then -90"},
        {[](TManipulationInfo& i) { return RotateBy(i, 270); },
         [](TManipulationInfo& i) { return RotateBy(i, 90); }, "270 then 90"},
        {[](TManipulationInfo& i) { return RotateBy(i, 180); },
         [](TManipulationInfo& i) { return RotateBy(i, 180); }, "180 twice"},
        {InvertColors, InvertColors, "inverting twice"},
        {FlipVertical, FlipVertical, "flipping twice"},
        {MirrorHorizontal, MirrorHorizontal, "mirroring twice"},
    };
    for (const auto& c : cases) {
        const QImage original = Pattern(37, 23, 3);
        QImage picture = original.copy();
        TManipulationInfo info = Whole(picture);
        ASSERT_TRUE(c.First(info)) << c.Name;
        EXPECT_FALSE(SamePixels(picture, original)) << c.Name << ": the first step did nothing";
        info.Rect = PictureRect(&picture);
        ASSERT_TRUE(c.Second(info)) << c.Name;
        EXPECT_TRUE(SamePixels(picture, original)) << c.Name;
    }
}

TEST(RasterTransforms, InversionTouchesOnlyTheChosenChannelsInsideTheRectangle)
{
    const struct {
        int Red, Green, Blue;
        TRect Rect;
    } cases[] = {
        {255, 255, 255, {0, 0, 13, 6}}, {1, 0, 0, {0, 0, 13, 6}}, {0, 7, 0, {0, 0, 13, 6}},
        {0, 0, -1, {0, 0, 13, 6}},      {1, 0, 1, {2, 1, 9, 4}},  {0, 0, 0, {0, 0, 13, 6}},
        {1, 1, 1, {4, 2, 4, 5}},
    };
    for (const auto& c : cases) {
        const QImage original = Pattern(13, 6, 11);
        QImage picture = original.copy();
        TManipulationInfo info = Whole(picture);
        info.Rect = c.Rect;
        info.InvertRed = c.Red;
        info.InvertGreen = c.Green;
        info.InvertBlue = c.Blue;
        ASSERT_TRUE(InvertChannels(info));
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 13; ++x) {
                const bool inside = x >= c.Rect.Left && x < c.Rect.Right && y >= c.Rect.Top
                                    && y < c.Rect.Bottom;
                const QRgb was = original.pixel(x, y);
                const QRgb expected = qRgb(inside && c.Red ? 255 - qRed(was) : qRed(was),
                                           inside && c.Green ? 255 - qGreen(was) : qGreen(was),
                                           inside && c.Blue ? 255 - qBlue(was) : qBlue(was));
                ASSERT_EQ(picture.pixel(x, y), expected)
                    << x << "," << y << " with " << c.Red << "/" << c.Green << "/" << c.Blue;
            }
    }
}

TEST(RasterTransforms, OtherFormatsAreTurnedIntoTwentyFourBit)
{
    QImage original = Pattern(11, 7, 5);
    const std::function<bool(TManipulationInfo&)> operations[] = {
        FlipVertical, MirrorHorizontal, InvertColors,
        [](TManipulationInfo& i) { return RotateQuarter(i, RotateClockwise); }};
    for (const auto& operation : operations) {
        QImage expected = original.copy();
        TManipulationInfo reference = Whole(expected);
        ASSERT_TRUE(operation(reference));
        QImage picture = original.convertToFormat(QImage::Format_RGB32);
        TManipulationInfo info = Whole(picture);
        ASSERT_TRUE(operation(info));
        EXPECT_EQ(picture.format(), QImage::Format_BGR888);
        EXPECT_TRUE(SamePixels(picture, expected));
    }
}

TEST(RasterTransforms, AQuarterTurnWithoutMemoryLeavesThePicture)
{
    const QImage original = Pattern(300, 200, 9);
    QImage picture = original.copy();
    TManipulationInfo info = Whole(picture);
    SetAllocationCeilingForTesting(100 * 1024);
    const bool turned = RotateBy(info, 90);
    SetAllocationCeilingForTesting(0);
    EXPECT_FALSE(turned);
    EXPECT_EQ(info.ErrorText, "Out of memory");
    EXPECT_TRUE(SamePixels(picture, original));
}

TEST(RasterTransforms, ASharedPictureIsCopiedBeforeItChanges)
{
    QImage picture = Pattern(8, 8, 4);
    const QImage alias = picture; // shares the pixels until one side writes
    const QImage original = alias.copy();
    TManipulationInfo info = Whole(picture);
    ASSERT_TRUE(MirrorHorizontal(info));
    EXPECT_TRUE(SamePixels(alias, original));
    QImage target;
    ASSERT_TRUE(CopyBitmap(picture, target));
    EXPECT_TRUE(SamePixels(target, picture));
    EXPECT_EQ(target.format(), picture.format());
}

} // namespace

#include "tests/imaging/metafile/metafile_test_support.h"

#include "support/memory/memory_limit.h"
#include "tests/test_support.h"
#include "tools/orvanto-tool/metafile_builder.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <gtest/gtest.h>

using namespace orvanto;

using namespace metafile_test;

namespace {

TEST(Metafile, ReportsTheFrameAtThePixelsPerInch)
{
    const struct {
        const char* Name;
        std::string Bytes;
        int PixelsPerInch, Width, Height;
    } cases[] = {
        {"placeable twips", TWmf().Finish(0, 0, 0, 3000, 2250, 1440), 96, 200, 150},
        {"placeable twips at 192", TWmf().Finish(0, 0, 0, 3000, 2250, 1440), 192, 400, 300},
        {"placeable box not at the origin", TWmf().Finish(0, 100, 200, 1100, 700, 1000), 96, 96, 48},
        {"placeable box upside down", TWmf().Finish(0, 0, 2250, 3000, 0, 1440), 96, 200, 150},
        {"plain: the window extent", TWmf().Add(0x020C, {120, 300}).Finish(0), 96, 300, 120},
        {"enhanced frame", TEmf().Finish(0, 0, 5292, 3969), 96, 200, 150},
        {"enhanced frame at 300", TEmf().Finish(100, 100, 2640, 1370), 300, 300, 150},
    };
    for (const auto& c : cases) {
        TMetafile metafile(c.PixelsPerInch);
        ASSERT_TRUE(metafile.LoadFromBytes(Bytes(c.Bytes))) << c.Name << ": " << metafile.LastError();
        EXPECT_EQ(metafile.Width(), c.Width) << c.Name;
        EXPECT_EQ(metafile.Height(), c.Height) << c.Name;
    }
}

TEST(Metafile, RefusesWhatIsNoMetafile)
{
    std::string badSignature = TEmf().Finish(0, 0, 100, 100);
    badSignature[40] = 'X';
    std::string badHeaderSize = TWmf().Finish(0, 0, 0, 100, 100, 96);
    badHeaderSize[22 + 2] = 8;
    std::string inverted = TEmf().Finish(100, 100, 0, 0);
    inverted.replace(8, 16, Longs({10, 10, 0, 0}));
    std::string shortEmf = TEmf().Finish(0, 0, 100, 100).substr(0, 60);
    const struct {
        const char* Name;
        std::string Bytes;
    } cases[] = {
        {"empty", ""},
        {"text", "hello, this is not a picture at all"},
        {"enhanced signature", badSignature},
        {"enhanced header cut short", shortEmf},
        {"16-bit header size", badHeaderSize},
        {"placeable with no units per inch", TWmf().Finish(0, 0, 0, 100, 100, 0).replace(0, 4, "\xD7\xCD\xC6\x9A")},
        {"plain without a window", TWmf().Add(0x041B, {10, 10, 0, 0}).Finish(0)},
        {"enhanced with frame and bounds inside out", inverted},
    };
    for (const auto& c : cases) {
        TMetafile metafile(96);
        EXPECT_FALSE(metafile.LoadFromBytes(Bytes(c.Bytes))) << c.Name;
        EXPECT_EQ(metafile.LastError(), "Unknown format") << c.Name;
    }
}

TEST(Metafile, OpenFailuresNameTheirCause)
{
    QImage picture;
    std::string error;
    EXPECT_FALSE(LoadMetafile(MakeTempFolder("none") + "missing.wmf", picture, error, 96));
    EXPECT_EQ(error, "File not found");

    // A frame of a hundred metres: refused by the ceiling, not attempted.
    SetAllocationCeilingForTesting(1 << 20);
    error.clear();
    EXPECT_TRUE(Render(TEmf().Finish(0, 0, 10000000, 10000000), &error).isNull());
    EXPECT_EQ(error, "Out of memory");
    SetAllocationCeilingForTesting(0);
}

TEST(Metafile, PicturesAreWhiteTwentyFourBit)
{
    const QImage picture = Render(TEmf().Finish(0, 0, 2646, 2646));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.format(), QImage::Format_BGR888);
    EXPECT_EQ(picture.size(), QSize(100, 100));
    EXPECT_EQ(At(picture, 50, 50), 0xFFFFFFu);
}

TEST(Metafile, ShapesLandWhereTheirRecordsPutThem)
{
    const std::vector<TPixelCase> cases = {
        {"enhanced rectangle", FinishCanvas(EmfCanvas(Red).Add(43, {20, 30, 60, 70})), {{21, 31}, {58, 68}}, {{19, 50}, {62, 50}, {40, 28}, {40, 72}}},
        {"enhanced ellipse", FinishCanvas(EmfCanvas(Red).Add(42, {0, 0, 100, 100})), {{50, 50}, {50, 3}}, {{4, 4}, {96, 96}}},
        {"16-bit polygon", FinishCanvas(WmfCanvas(Red).Add(0x0324, Words({3, 10, 90, 90, 90, 50, 10}))), {{50, 80}, {50, 20}}, {{15, 20}, {85, 20}}},
        {"16-point polygon", FinishCanvas(EmfCanvas(Red).Add(86, Longs({0, 0, 0, 0, 4}) + Words({10, 10, 90, 10, 90, 90, 10, 90}))), {{50, 50}, {12, 88}}, {{5, 5}, {95, 95}}},
        {"poly-polygon with a hole", FinishCanvas(EmfCanvas(Red).Add(91, Longs({0, 0, 0, 0, 2, 8, 4, 4}) + Words({10, 10, 90, 10, 90, 90, 10, 90, 30, 30, 70, 30, 70, 70, 30, 70}))), {{20, 20}, {80, 80}}, {{50, 50}}},
        {"pie: the quarter between the two rays", FinishCanvas(EmfCanvas(Red).Add(47, {0, 0, 100, 100, 100, 50, 50, 0})), {{70, 30}}, {{30, 30}, {30, 70}, {70, 70}}},
        {"chord: the side of the chord with the arc", FinishCanvas(EmfCanvas(Red).Add(46, {0, 0, 100, 100, 100, 50, 0, 50})), {{50, 20}}, {{50, 80}}},
        {"round rectangle corners", FinishCanvas(EmfCanvas(Red).Add(44, {0, 0, 100, 100, 60, 60})), {{50, 50}, {50, 2}}, {{2, 2}, {97, 97}}},
        {"16-bit rectangle", FinishCanvas(WmfCanvas(Red).Add(0x041B, {80, 60, 20, 10})), {{12, 22}, {58, 78}}, {{8, 50}, {62, 50}}},
        {"16-bit pie, parameters last to first", FinishCanvas(WmfCanvas(Red).Add(0x081A, {0, 50, 50, 100, 100, 100, 0, 0})), {{70, 30}}, {{30, 30}, {30, 70}, {70, 70}}},
        {"16-bit chord, parameters last to first", FinishCanvas(WmfCanvas(Red).Add(0x0830, {50, 0, 50, 100, 100, 100, 0, 0})), {{50, 20}}, {{50, 80}}},
    };
    for (const auto& c : cases)
        CheckPixels(c);
}

TEST(Metafile, FillModesAndPathsDecideTheInside)
{
    // A star whose centre is inside only by the winding rule.
    auto star = [](int mode) {
        return FinishCanvas(EmfCanvas(Red).Add(19, {mode}).Add(86, Longs({0, 0, 0, 0, 5}) + Words({50, 0, 80, 100, 0, 35, 100, 35, 20, 100})));
    };
    TEmf path = EmfCanvas(Red);
    path.Add(59, std::string()).Add(27, {10, 10}).Add(54, {90, 10}).Add(54, {90, 90}).Add(54, {10, 90}).Add(61, std::string()).Add(60, std::string()).Add(62, {0, 0, 0, 0});
    TEmf aborted = EmfCanvas(Red);
    aborted.Add(59, std::string()).Add(43, {0, 0, 100, 100}).Add(68, std::string()).Add(62, {0, 0, 0, 0});
    const std::vector<TPixelCase> cases = {
        {"alternate leaves the centre empty", star(1), {{50, 20}}, {{50, 50}}},
        {"winding fills it", star(2), {{50, 20}, {50, 50}}, {}},
        {"a filled path", FinishCanvas(path), {{50, 50}, {12, 88}}, {{5, 50}, {95, 50}}},
        {"an aborted path draws nothing", FinishCanvas(aborted), {}, {{50, 50}}},
    };
    for (const auto& c : cases)
        CheckPixels(c);
}

TEST(Metafile, MappingModesPlaceLogicalUnits)
{
    std::string turn;
    for (float v : {0.0f, 1.0f, -1.0f, 0.0f, 100.0f, 0.0f}) // 90 degrees, then 100 to the right
        PutFloat(turn, v);
    const std::vector<TPixelCase> cases = {
        // A tenth of a millimetre, y upwards from an origin at the bottom.
        {"low metric", FinishCanvas(EmfCanvas(Red).Add(17, {2}).Add(12, {0, 100}).Add(43, {0, 0, 132, 132})), {{2, 97}, {48, 52}}, {{2, 40}, {60, 97}}},
        {"anisotropic window over a viewport", FinishCanvas(EmfCanvas(Red).Add(17, {8}).Add(9, {1000, 1000}).Add(11, {100, 50}).Add(12, {0, 50}).Add(43, {0, 0, 500, 1000})), {{10, 60}, {48, 98}}, {{10, 40}, {60, 60}}},
        {"isotropic keeps the aspect", FinishCanvas(EmfCanvas(Red).Add(17, {7}).Add(9, {100, 100}).Add(11, {100, 50}).Add(43, {0, 0, 100, 100})), {{10, 10}, {45, 45}}, {{60, 10}, {10, 60}}},
        {"world transform turns and moves", FinishCanvas(EmfCanvas(Red).Add(35, turn).Add(43, {10, 10, 40, 80})), {{70, 20}, {25, 35}}, {{70, 90}, {5, 20}}},
        {"saved state comes back", FinishCanvas(EmfCanvas(Red).Add(33, std::string()).Add(12, {50, 50}).Add(34, {-1}).Add(43, {0, 0, 10, 10})), {{5, 5}}, {{55, 55}}},
        {"16-bit window moves the picture", FinishCanvas(WmfCanvas(Red).Add(0x020B, {-50, -50}).Add(0x041B, {10, 10, 0, 0})), {{55, 55}}, {{5, 5}}},
        {"16-bit window extent scales it", FinishCanvas(WmfCanvas(Red).Add(0x020C, {10, 10}).Add(0x041B, {5, 5, 0, 0})), {{10, 10}, {45, 45}}, {{60, 60}}},
        // As office programs export: anisotropic, the window extent the size of
        // the placeable box (here off the origin), no viewport extent. The
        // window, starting at 0, 0, fills the picture: the circle touches all
        // four sides.
        {"16-bit anisotropic window over a box off the origin", WmfCanvas(Red).Add(0x0103, {8}).Add(0x020C, {100, 100}).Add(0x0418, {100, 100, 0, 0}).Finish(4, -30, 20, 70, 120, 96), {{50, 50}, {2, 50}, {97, 50}, {50, 2}, {50, 97}}, {{3, 3}, {96, 96}}},
    };
    for (const auto& c : cases)
        CheckPixels(c);
}

TEST(Metafile, ClippingKeepsDrawingInside)
{
    TEmf clipPath = EmfCanvas(Red);
    clipPath.Add(59, std::string()).Add(43, {0, 0, 50, 100}).Add(60, std::string()).Add(67, {5}).Add(43, {0, 0, 100, 100});
    std::string region = Longs({32, 1, 1, 16, 50, 0, 100, 100}) + Longs({50, 0, 100, 100});
    TEmf regionClip = EmfCanvas(Red);
    regionClip.Add(75, Longs({std::int64_t(region.size()), 5}) + region).Add(43, {0, 0, 100, 100});
    TEmf reset = EmfCanvas(Red);
    reset.Add(30, {0, 0, 10, 10}).Add(75, {0, 5}).Add(43, {0, 0, 100, 100});
    const std::vector<TPixelCase> cases = {
        {"intersect", FinishCanvas(EmfCanvas(Red).Add(30, {20, 20, 40, 40}).Add(43, {0, 0, 100, 100})), {{30, 30}}, {{10, 10}, {50, 50}}},
        {"exclude", FinishCanvas(EmfCanvas(Red).Add(29, {20, 20, 40, 40}).Add(43, {0, 0, 100, 100})), {{10, 10}, {50, 50}}, {{30, 30}}},
        {"16-bit intersect then restore", FinishCanvas(WmfCanvas(Red).Add(0x001E, {}).Add(0x0416, {40, 40, 20, 20}).Add(0x041B, {100, 100, 0, 0}).Add(0x0127, {-1}).Add(0x041B, {10, 10, 0, 0})), {{30, 30}, {5, 5}}, {{50, 50}}},
        {"a selected path", FinishCanvas(clipPath), {{20, 50}}, {{80, 50}}},
        {"a selected region", FinishCanvas(regionClip), {{80, 50}}, {{20, 50}}},
        {"selecting no region lifts the clip", FinishCanvas(reset), {{80, 80}}, {}},
    };
    for (const auto& c : cases)
        CheckPixels(c);
}

TEST(Metafile, BitmapsAndRasterOperations)
{
    std::string bits;
    const std::string info = Dib24(2, 2, [](int x, int y) { return x == 0 && y == 0 ? 0xFF0000u : 0x0000FFu; }, &bits);
    // Stretch the 2 x 2 bitmap over the whole picture: red top left, blue elsewhere.
    const std::string stretch = Longs({0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 80, std::int64_t(info.size()),
                                       80 + std::int64_t(info.size()), std::int64_t(bits.size()), 0, 0xCC0020, 100, 100}) + info + bits;
    const std::string packed = Dib24(2, 2, [](int x, int y) { return x == 0 && y == 0 ? 0xFF0000u : 0x0000FFu; });
    const QImage stretched = Render(FinishCanvas(EmfCanvas(Red).Add(81, stretch)));
    ASSERT_FALSE(stretched.isNull());
    EXPECT_EQ(At(stretched, 10, 10), 0xFF0000u);
    EXPECT_EQ(At(stretched, 90, 90), 0x0000FFu);
    EXPECT_EQ(At(stretched, 90, 10), 0x0000FFu);

    const QImage wmf = Render(FinishCanvas(WmfCanvas(Red).Add(0x0F43, Longs({0xCC0020}) + Words({0, 2, 2, 0, 0, 50, 50, 0, 0}) + packed)));
    ASSERT_FALSE(wmf.isNull());
    EXPECT_EQ(At(wmf, 10, 10), 0xFF0000u);
    EXPECT_EQ(At(wmf, 40, 40), 0x0000FFu);
    EXPECT_EQ(At(wmf, 75, 75), 0xFFFFFFu);

    const std::vector<TPixelCase> cases = {
        {"pattern copy fills with the brush", FinishCanvas(WmfCanvas(Red).Add(0x061D, Longs({0xF00021}) + Words({50, 50, 0, 0}))), {{25, 25}}, {{75, 75}}},
        {"blackness then invert gives white", FinishCanvas(WmfCanvas(Red).Add(0x061D, Longs({0x000042}) + Words({50, 50, 0, 0})).Add(0x061D, Longs({0x550009}) + Words({50, 50, 0, 0}))), {}, {{25, 25}}},
    };
    for (const auto& c : cases)
        CheckPixels(c);
    const QImage inverted = Render(FinishCanvas(WmfCanvas(Red).Add(0x061D, Longs({0x550009}) + Words({50, 50, 0, 0}))));
    ASSERT_FALSE(inverted.isNull());
    EXPECT_EQ(At(inverted, 25, 25), 0u);
}

TEST(Metafile, TextIsDrawnInItsColourWhereItIsAnchored)
{
    auto count = [](const QImage& p, QRect area) {
        int dark = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                dark += qBlue(p.pixel(x, y)) > 150 && qRed(p.pixel(x, y)) < 100;
        return dark;
    };
    std::string font = Longs({1, -30, 0, 0, 0, 700}) + std::string(8, '\0');
    for (char16_t c : std::u16string(u"DejaVu Sans"))
        Put16(font, c);
    font.resize(96, '\0');
    auto text = [&](int align) {
        std::string r = Longs({0, 0, -1, -1, 1, 0, 0, 50, 50, 2, 76, 0, 0, 0, -1, -1, 0});
        Put16(r, 'H');
        Put16(r, 'H');
        TEmf e;
        e.Add(82, font).Add(37, {1}).Add(24, {Blue}).Add(18, {1}).Add(22, {align}).Add(84, r);
        return Render(e.Finish(0, 0, 2646, 2646));
    };
    const QImage left = text(0), right = text(2 | 24);
    ASSERT_FALSE(left.isNull());
    ASSERT_FALSE(right.isNull());
    // Left and top aligned: the letters hang below and to the right of the anchor.
    EXPECT_GT(count(left, QRect(50, 50, 40, 35)), 40);
    EXPECT_EQ(count(left, QRect(0, 0, 50, 50)), 0);
    // Right and baseline aligned: above and to the left.
    EXPECT_GT(count(right, QRect(10, 15, 40, 35)), 40);
    EXPECT_EQ(count(right, QRect(50, 52, 50, 48)), 0);
}

TEST(Metafile, DamagedRecordsStopThePlayButKeepTheDrawing)
{
    TEmf e = EmfCanvas(Red);
    e.Add(43, {0, 0, 50, 50});
    std::string drawn = FinishCanvas(e);
    // A record claiming more bytes than the file holds, then a rectangle that must not appear.
    std::string overlong = drawn.substr(0, drawn.size() - 20) + Longs({43, 4000, 50, 50, 100, 100});
    // A record of size zero would never advance.
    std::string zero = drawn.substr(0, drawn.size() - 20) + Longs({43, 0, 50, 50, 100, 100});
    // A polygon whose point count runs past its record.
    TEmf counted = EmfCanvas(Red);
    counted.Add(43, {0, 0, 50, 50}).Add(86, Longs({0, 0, 0, 0, 1000000}) + Words({50, 50, 100, 50, 100, 100})).Add(43, {50, 50, 100, 100});
    TWmf w = WmfCanvas(Red);
    w.Add(0x041B, {50, 50, 0, 0});
    std::string wmf = FinishCanvas(w);
    std::string wmfCut = wmf.substr(0, wmf.size() - 6) + Longs({2}) + Words({0x041B}) + Words({100, 100, 50, 50});
    std::string wmfPolygon = wmf.substr(0, wmf.size() - 6) + Longs({5}) + Words({0x0324, 9000, 50, 50}) + Words({3, 0, 0});
    const std::vector<TPixelCase> cases = {
        {"overlong record", overlong, {{25, 25}}, {{75, 75}}},
        {"record of size zero", zero, {{25, 25}}, {{75, 75}}},
        {"point count past the record", FinishCanvas(counted), {{25, 25}}, {{75, 75}}},
        {"16-bit record below the minimum size", wmfCut, {{25, 25}}, {{75, 75}}},
        {"16-bit polygon past its record", wmfPolygon, {{25, 25}}, {{75, 75}}},
    };
    for (const auto& c : cases)
        CheckPixels(c);
}

TEST(Metafile, HostileFilesNeitherCrashNorHang)
{
    const QDir folder(QString::fromStdString(TestDataPath("crashers")));
    int tried = 0;
    for (const QString& name : folder.entryList({"*.wmf", "*.emf"}, QDir::Files)) {
        QImage picture;
        std::string error;
        const bool opened = LoadMetafile(folder.filePath(name).toStdString(), picture, error, 96);
        // Either a picture or one of the open's own messages, never anything else.
        if (opened)
            EXPECT_EQ(picture.format(), QImage::Format_BGR888) << name.toStdString();
        else
            EXPECT_TRUE(error == "Unknown format" || error == "Out of memory") << name.toStdString() << ": " << error;
        ++tried;
    }
    EXPECT_GT(tried, 0);
}

} // namespace

namespace {

// Mean difference of two pictures of one size, 0..1, after averaging 4 x 4
// blocks so that edge smoothing and font hinting do not count.
double BlockDifference(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    double total = 0;
    int blocks = 0;
    for (int by = 0; by + 4 <= x.height(); by += 4) {
        for (int bx = 0; bx + 4 <= x.width(); bx += 4) {
            int sum[2][3] = {};
            for (int yy = by; yy < by + 4; ++yy) {
                for (int xx = bx; xx < bx + 4; ++xx) {
                    const QRgb p = x.pixel(xx, yy), q = y.pixel(xx, yy);
                    sum[0][0] += qRed(p); sum[0][1] += qGreen(p); sum[0][2] += qBlue(p);
                    sum[1][0] += qRed(q); sum[1][1] += qGreen(q); sum[1][2] += qBlue(q);
                }
            }
            for (int c = 0; c < 3; ++c)
                total += std::abs(sum[0][c] - sum[1][c]) / 16.0;
            ++blocks;
        }
    }
    return blocks == 0 ? 1 : total / (blocks * 3 * 255.0);
}

// The hand-made metafiles of tests/data/metafiles, each beside the picture
// LibreOffice drew of it (cut from its page at the picture's size).
TEST(Metafile, RendersLikeAnIndependentPlayer)
{
    constexpr double Tolerance = 0.07;
    const QDir folder(QString::fromStdString(TestDataPath("metafiles")));
    int compared = 0;
    for (const QString& name : folder.entryList({"*.wmf", "*.emf"}, QDir::Files)) {
        const QString expectedPath = folder.filePath(QFileInfo(name).completeBaseName() + ".png");
        const QImage expected(expectedPath);
        ASSERT_FALSE(expected.isNull()) << expectedPath.toStdString();
        QImage ours;
        std::string error;
        ASSERT_TRUE(LoadMetafile(folder.filePath(name).toStdString(), ours, error, 96)) << name.toStdString() << ": " << error;
        ASSERT_EQ(ours.size(), expected.size()) << name.toStdString();
        // The comparison has to be able to fail: an empty picture is far off.
        QImage blank(expected.size(), QImage::Format_RGB32);
        blank.fill(Qt::white);
        EXPECT_GT(BlockDifference(blank, expected), 0.03) << name.toStdString();
        EXPECT_LT(BlockDifference(ours, expected), Tolerance) << name.toStdString();
        ++compared;
    }
    EXPECT_GE(compared, 10);
}

TEST(Metafile, HatchesAndGradientsFollowTheirRecords)
{
    // A cross hatch leaves white between its lines on a transparent background.
    TEmf hatch;
    hatch.Add(39, {1, 2, Green, 4}).Add(37, {1}).Add(37, {0x80000008}).Add(18, {1}).Add(43, {0, 0, 100, 100});
    const QImage hatched = Render(FinishCanvas(hatch));
    ASSERT_FALSE(hatched.isNull());
    int green = 0, white = 0;
    for (int y = 10; y < 90; ++y)
        for (int x = 10; x < 90; ++x) {
            green += At(hatched, x, y) == 0x008000u;
            white += At(hatched, x, y) == 0xFFFFFFu;
        }
    EXPECT_GT(green, 400);
    EXPECT_GT(white, 3000);

    // A horizontal gradient from red to blue.
    std::string g = Longs({0, 0, 0, 0, 2, 1, 0}) + Longs({0, 0}) + Words({0xFF00, 0, 0, 0}) + Longs({100, 100})
                    + Words({0, 0, 0xFF00, 0}) + Longs({0, 1});
    TEmf gradient;
    gradient.Add(118, g);
    const QImage shaded = Render(FinishCanvas(gradient));
    ASSERT_FALSE(shaded.isNull());
    EXPECT_GT(qRed(shaded.pixel(3, 50)), 230);
    EXPECT_LT(qBlue(shaded.pixel(3, 50)), 25);
    EXPECT_GT(qBlue(shaded.pixel(96, 50)), 230);
    EXPECT_NEAR(qRed(shaded.pixel(50, 50)), 128, 20);
}

} // namespace

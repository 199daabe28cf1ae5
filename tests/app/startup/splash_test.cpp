#include "app/startup/splash.h"

#include "archive/zip_box.h"
#include "imaging/bitmap/bitmap_writer.h"
#include "tests/archive/carrier_fixture.h"
#include "tests/test_support.h"
#include "ui/compact_splash.h"

#include <QImage>

#include <algorithm>

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

std::string SplashBitmap()
{
    QImage picture(300, 200, QImage::Format_BGR888);
    picture.fill(QColor(40, 120, 160));
    std::string error;
    return BitmapFileBytes(picture, error).toStdString();
}

TEST(Splash, Decisions)
{
    const struct {
        const char* Case;
        std::vector<TCarrierEntry> Entries;
        bool HasArgument;
        bool Result;
        bool Shown;
        const char* Error; // when the start ends
        bool Framed = false; // the splash holds the framed picture (the about box shows it)
    } cases[] = {
        {"started plainly", {{"B.TXT", "x"}, {"A.BMP", SplashBitmap()}}, false, true, true, "", true},
        {"started with a picture", {{"A.BMP", SplashBitmap()}}, true, true, false, "", true},
        {"the name in any case", {{"a.Bmp", SplashBitmap()}}, false, true, true, "", true},
        {"no A.BMP goes on", {{"B.BMP", SplashBitmap()}}, false, true, false, ""},
        {"no archive goes on", {}, false, true, false, ""},
        {"damaged entry", {{"A.BMP", "not zlib", TBoxItem::MethodZlib}}, false, false, false,
         "Out of memory"},
        {"unknown packing", {{"A.BMP", SplashBitmap(), 9}}, false, false, false, "Unsupported encoding"},
        {"not a bitmap", {{"A.BMP", "plain text"}}, false, false, false, "Unknown format"},
    };
    for (const auto& c : cases) {
        auto splash = CreateSplash();
        QImage carrier = c.Entries.empty() ? QImage(40, 30, QImage::Format_BGR888) : CarrierFixture(c.Entries);
        std::string error;
        EXPECT_EQ(PrepareSplashPicture(carrier, *splash, c.HasArgument, error), c.Result) << c.Case;
        EXPECT_EQ(splash->Visible(), c.Shown) << c.Case;
        EXPECT_EQ(carrier.size(), QSize(1, 1)) << c.Case;
        EXPECT_EQ(splash->Picture().size(), c.Framed ? QSize(510, 310) : QSize(0, 0)) << c.Case;
        if (!c.Result) {
            EXPECT_EQ(error, c.Error) << c.Case;
        }
        splash->CloseAfter(0);
    }
}

TEST(Splash, FrameCentresThePictureUnderTheTopBand)
{
    for (const QSize size : {QSize(300, 200), QSize(497, 270), QSize(600, 400)}) {
        QImage picture(size, QImage::Format_BGR888);
        picture.fill(QColor(10, 200, 30));
        const QImage framed = FrameSplashPicture(picture);
        ASSERT_EQ(framed.size(), QSize(510, 310));
        const int left = (510 - size.width()) / 2;
        EXPECT_EQ(framed.pixelColor(std::max(left, 1), 21), QColor(10, 200, 30)) << size.width();
        EXPECT_EQ(framed.pixelColor(std::max(left, 1), 20), QColor(Qt::white)) << size.width();
        for (const QPoint edge : {QPoint(0, 0), QPoint(509, 309), QPoint(509, 150), QPoint(250, 0)})
            EXPECT_EQ(framed.pixelColor(edge), QColor(Qt::black)) << size.width();
    }
}

} // namespace

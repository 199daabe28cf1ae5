#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

// What another program leaves on the clipboard, and what the program then
// sees: whether a picture is there without reading it, and the picture as
// 24 bits over white.
TEST(QtClipboard, FollowsTheClipboardAndLaysTransparencyOverWhite)
{
    QClipboard* system = QGuiApplication::clipboard();
    ASSERT_NE(system, nullptr);
    system->setText(QStringLiteral("words"));
    TQtClipboard clipboard;
    EXPECT_FALSE(clipboard.HasBitmap());
    EXPECT_TRUE(clipboard.Bitmap().isNull());

    QImage glass(3, 2, QImage::Format_ARGB32);
    glass.fill(QColor(0, 0, 255, 64));
    system->setImage(glass);
    EXPECT_TRUE(clipboard.HasBitmap()) << "learnt from the change signal";
    const QImage taken = clipboard.Bitmap();
    ASSERT_EQ(taken.format(), QImage::Format_BGR888);
    EXPECT_EQ(taken.size(), QSize(3, 2));
    const QColor light = taken.pixelColor(2, 1);
    EXPECT_NEAR(light.red(), 191, 2);
    EXPECT_EQ(light.blue(), 255);

    system->setText(QStringLiteral("words again"));
    EXPECT_FALSE(clipboard.HasBitmap());

    QImage picture(4, 4, QImage::Format_BGR888);
    picture.fill(QColor(10, 20, 30));
    EXPECT_TRUE(clipboard.SetBitmap(picture));
    EXPECT_TRUE(clipboard.HasBitmap());
    EXPECT_EQ(clipboard.Bitmap().pixelColor(0, 0), QColor(10, 20, 30));
    EXPECT_FALSE(clipboard.SetBitmap(QImage()));
}

} // namespace

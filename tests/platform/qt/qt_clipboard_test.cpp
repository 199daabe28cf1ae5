#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

// What another program leaves on the clipboard, and what the program sees:
// whether a picture is there (kept from the change signal, not read), and
// the picture as 24 bits over white.
TEST(QtClipboard, FollowsTheClipboardAndLaysTransparencyOverWhite)
{
    QClipboard* system = QGuiApplication::clipboard();
    system->setText(QStringLiteral("words"));
    TQtClipboard clipboard;
    EXPECT_FALSE(clipboard.HasBitmap());
    EXPECT_TRUE(clipboard.Bitmap().isNull());
    QImage glass(3, 2, QImage::Format_ARGB32);
    glass.fill(QColor(0, 0, 255, 64));
    system->setImage(glass);
    EXPECT_TRUE(clipboard.HasBitmap());
    const QImage taken = clipboard.Bitmap();
    EXPECT_EQ(taken.format(), QImage::Format_BGR888);
    EXPECT_EQ(taken.pixelColor(2, 1), QColor(191, 191, 255));
    system->setText(QStringLiteral("words again"));
    EXPECT_FALSE(clipboard.HasBitmap());
    EXPECT_TRUE(clipboard.SetBitmap(taken));
    EXPECT_TRUE(clipboard.HasBitmap());
    EXPECT_EQ(clipboard.Bitmap(), taken);
}

} // namespace

#include "platform/qt/qt_clipboard.h"
#include "platform/clipboard_bitmap.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

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

// Between two windows of ours the picture goes uncompressed: a copy offers
// our rows beside the image types other programs read, and a paste takes
// our rows first (here the rows say blue while the image says red).
TEST(QtClipboard, OurWindowsHandOverTheRowsThemselves)
{
    QClipboard* system = QGuiApplication::clipboard();
    TQtClipboard clipboard;
    QImage copied(7, 3, QImage::Format_BGR888);
    copied.fill(QColor(20, 200, 90));
    ASSERT_TRUE(clipboard.SetBitmap(copied));
    const QMimeData* offered = system->mimeData();
    ASSERT_NE(offered, nullptr);
    EXPECT_TRUE(offered->hasImage()) << "other programs still get a picture";
    EXPECT_EQ(DecodeClipboardBitmap(offered->data(ClipboardBitmapType())), copied);

    QImage red(4, 2, QImage::Format_BGR888), blue(4, 2, QImage::Format_BGR888);
    red.fill(Qt::red);
    blue.fill(Qt::blue);
    auto* another = new QMimeData; // as another window of ours offers it
    another->setImageData(red);
    another->setData(ClipboardBitmapType(), EncodeClipboardBitmap(blue));
    system->setMimeData(another);
    EXPECT_TRUE(clipboard.HasBitmap());
    EXPECT_EQ(clipboard.Bitmap(), blue);
    // Rows that do not add up: the image is taken instead.
    auto* damaged = new QMimeData;
    damaged->setImageData(red);
    damaged->setData(ClipboardBitmapType(), EncodeClipboardBitmap(blue).left(20));
    system->setMimeData(damaged);
    EXPECT_EQ(clipboard.Bitmap(), red);
}

} // namespace

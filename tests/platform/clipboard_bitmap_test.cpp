#include "platform/clipboard_bitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using namespace orvanto;

namespace {

QImage Pattern(int width, int height)
{
    QImage picture(width, height, QImage::Format_BGR888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixelColor(x, y, QColor(x * 37 % 256, y * 53 % 256, (x + y) * 11 % 256));
    return picture;
}

// What one window puts on the clipboard, another takes: the same pixels,
// whatever the row padding; a picture of another format arrives as 24 bits.
TEST(ClipboardBitmap, ThePastedPictureIsTheCopiedOne)
{
    QImage withAlpha(3, 2, QImage::Format_RGB32);
    withAlpha.fill(QColor(10, 120, 250));
    for (const QImage& copied : {Pattern(1, 1), Pattern(5, 3), Pattern(64, 7), withAlpha}) {
        SCOPED_TRACE(copied.width());
        const QImage pasted = DecodeClipboardBitmap(EncodeClipboardBitmap(copied));
        ASSERT_EQ(pasted.size(), copied.size());
        EXPECT_EQ(pasted.format(), QImage::Format_BGR888);
        EXPECT_EQ(pasted, copied.convertToFormat(QImage::Format_BGR888));
    }
    EXPECT_TRUE(EncodeClipboardBitmap(QImage()).isEmpty());
}

// Bytes from another program that do not add up are no picture.
TEST(ClipboardBitmap, BytesThatDoNotAddUpAreNoPicture)
{
    const QByteArray good = EncodeClipboardBitmap(Pattern(5, 3)); // rows of 16 bytes
    ASSERT_FALSE(DecodeClipboardBitmap(good).isNull());
    const auto changed = [&good](int at, char value) {
        QByteArray bytes = good;
        bytes[at] = value;
        return bytes;
    };
    const struct {
        const char* Shows;
        QByteArray Bytes;
    } cases[] = {
        {"nothing", QByteArray()},
        {"a header cut short", good.left(15)},
        {"another kind of data", changed(0, 'X')},
        {"no width", changed(4, 0)},
        {"no height", changed(8, 0)},
        {"rows wider than their stride", changed(12, 12)},
        {"a width its rows cannot hold", changed(4, 6)},
        {"a row missing", good.left(good.size() - 16)},
        {"a byte too many", good + QByteArray(1, '\0')},
        {"a height far beyond the bytes", changed(11, 0x7F)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        EXPECT_TRUE(DecodeClipboardBitmap(c.Bytes).isNull());
    }
}

} // namespace

#include "imaging/codecs/text_picture.h"

#include <QBuffer>

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

// The 2 x 1 picture, 1 bit per pixel, palette black and white, black then white.
const std::string Illustration = std::string("T1") + "200" + "100" + "0000" + "))))" + "~" + "2" + "#";

QImage Picture(int width, int height, const std::vector<QRgb>& pixels)
{
    QImage picture(width, height, QImage::Format_BGR888);
    for (int i = 0; i < width * height; ++i)
        picture.setPixel(i % width, i / width, pixels[std::size_t(i) % pixels.size()]);
    return picture;
}

std::string Save(const QImage& picture, int bits, int style, std::string* error = nullptr)
{
    TTextPicture codec;
    codec.AssignBitmap(picture);
    codec.SetBitsPerPixel(bits);
    codec.SetLineStyle(style);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    try {
        codec.SaveToStream(buffer);
    } catch (const EGeneralError& failure) {
        if (error)
            *error = failure.Message;
        return {};
    }
    return bytes.toStdString();
}

std::vector<QRgb> Pixels(const QImage& picture)
{
    std::vector<QRgb> pixels;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            pixels.push_back(picture.pixel(x, y) & 0xFFFFFF);
    return pixels;
}

TEST(TextPicture, IllustrationReadsAndWritesCharacterForCharacter)
{
    TTextPicture codec;
    ASSERT_TRUE(codec.LoadFromText(Illustration)) << codec.LastError;
    ASSERT_EQ(codec.GetWidth(), 2);
    ASSERT_EQ(codec.GetHeight(), 1);
    EXPECT_EQ(Pixels(codec.Picture), (std::vector<QRgb>{0x000000, 0xFFFFFF}));
    EXPECT_EQ(codec.BitsPerPixel(), 6); // a load does not change the settings

    EXPECT_EQ(Save(Picture(2, 1, {qRgb(0, 0, 0), qRgb(255, 255, 255)}), 1, 0), Illustration);
}

TEST(TextPicture, ReadsTextsAsThePictureTheyDescribe)
{
    const QRgb black = 0, white = 0xFFFFFF, red = 0xFF0000;
    std::string sixteen = "T4" + std::string("100") + "100";
    for (int i = 0; i < 15; ++i)
        sixteen += "0000";
    sixteen += "))))~z#"; // entry 15 white; "z" (61) is lowered to 15
    const struct {
        const char* Why;
        std::string Text;
        int Width, Height;
        std::vector<QRgb> Expected;
    } cases[] = {
        {"default palette", "T3200100~7#", 2, 1, {white, black}},
        {"default red and the rest white", "T3300100~1#", 3, 1, {red, black, white}},
        {"blanks, breaks, quotes, plus signs", " \"T1\"+\r\n\"2 0 0\"+\"1 0\t0 0000))))~\r\n 2#\"", 2, 1,
         {black, white}},
        {"nested comments", "{T9 ~#}T1{a{b}c}200100{~}0000))))~{#}2#", 2, 1, {black, white}},
        {"digits before the start mark", "123abcT1200100~2#", 2, 1, {black, red}},
        {"index beyond the palette", sixteen, 1, 1, {white}},
        {"missing pixels stay white", "T4300200~1#", 3, 2, {red, white, white, white, white, white}},
        {"no picture end", "T1200100~2", 2, 1, {black, red}},
        {"extra palette digits ignored", "T1200100000000001111~2#", 2, 1, {black, black}},
        {"a stray closing brace hides until the next opening", "T1200100~}3{2#", 2, 1, {black, red}},
    };
    for (const auto& c : cases) {
        TTextPicture codec;
        ASSERT_TRUE(codec.LoadFromText(c.Text)) << c.Why << ": " << codec.LastError;
        ASSERT_EQ(codec.GetWidth(), c.Width) << c.Why;
        ASSERT_EQ(codec.GetHeight(), c.Height) << c.Why;
        EXPECT_EQ(Pixels(codec.Picture), c.Expected) << c.Why;
    }
}

TEST(TextPicture, RejectsWhatIsNotATextPicture)
{
    const struct {
        const char* Why;
        std::string Text;
    } cases[] = {
        {"empty", ""},
        {"no start mark", "1200100~2#"},
        {"bits 0", "T0200100~2#"},
        {"bits 7", "T7200100~2#"},
        {"width 0", "T1000100~2#"},
        {"height 0", "T1200000~2#"},
        {"picture end before header end", "T1200100#~2#"},
        {"end of text in the header", "T1200100"},
        {"header hidden in a comment", "{T1200100~2#"},
    };
    for (const auto& c : cases) {
        TTextPicture codec;
        EXPECT_FALSE(codec.LoadFromText(c.Text)) << c.Why;
        EXPECT_EQ(codec.LastError, "Unknown format") << c.Why;
        EXPECT_TRUE(BitmapFromText(c.Text).isNull()) << c.Why;
    }
}

TEST(TextPicture, EveryDepthAndLineStyleRoundTrips)
{
    for (int bits = 1; bits <= 6; ++bits) {
        std::vector<QRgb> palette;
        for (int i = 0; i < (1 << bits); ++i)
            palette.push_back(qRgb(i * 4, 255 - i * 3, (i * 37) % 256));
        // An odd size, so the last character of 1- to 3-bit pictures is incomplete.
        std::vector<QRgb> pixels;
        for (int i = 0; i < 131 * 7; ++i)
            pixels.push_back(palette[std::size_t(i * 7 + i / 131) % palette.size()]);
        const QImage picture = Picture(131, 7, pixels);
        for (int style = 0; style <= 2; ++style) {
            const std::string text = Save(picture, bits, style);
            ASSERT_FALSE(text.empty()) << bits << "/" << style;
            TTextPicture codec;
            ASSERT_TRUE(codec.LoadFromText(text)) << bits << "/" << style << ": " << codec.LastError;
            EXPECT_EQ(Pixels(codec.Picture), Pixels(picture)) << bits << "/" << style;
        }
    }
}

TEST(TextPicture, PacksPixelsIntoCharacters)
{
    // 7 x 1 at 1 bit: six pixels in the first character, one in the second.
    const QImage seven = Picture(7, 1, {qRgb(0, 0, 0), qRgb(255, 255, 255)});
    const std::string text = Save(seven, 1, 0);
    const std::string pixelPart = text.substr(text.find('~') + 1);
    EXPECT_EQ(pixelPart.size(), 3u) << text; // two characters and "#"
    EXPECT_EQ(pixelPart.substr(0, 1), std::string(1, TTextPicture::DigitChar(0b101010)));

    // More colours than the palette holds: the extra ones become index 0.
    const QImage three = Picture(3, 1, {qRgb(10, 20, 30), qRgb(255, 255, 255), qRgb(0, 0, 255)});
    TTextPicture codec;
    ASSERT_TRUE(codec.LoadFromText(Save(three, 1, 0)));
    EXPECT_EQ(Pixels(codec.Picture), (std::vector<QRgb>{0x0A141E, 0xFFFFFF, 0x0A141E}));
}

TEST(TextPicture, LineStylesBreakThePixelText)
{
    const QImage wide = Picture(600, 1, {qRgb(0, 0, 0), qRgb(9, 9, 9), qRgb(200, 0, 0)});
    // Style 2: CR LF after the header and after every 68 pixel characters.
    const std::string lines = Save(wide, 6, 2);
    const auto afterHeader = lines.find('~') + 1;
    EXPECT_EQ(lines.substr(afterHeader, 2), "\r\n");
    EXPECT_EQ(lines.substr(afterHeader + 2 + 68, 2), "\r\n");
    EXPECT_EQ(lines.back(), '#');

    // Style 1: quoted pieces of 250 characters; the 3rd break also ends the line.
    const std::string quoted = Save(wide, 6, 1);
    const auto start = quoted.find('~') + 1;
    EXPECT_EQ(quoted.substr(start, 3), "\"+\"");
    EXPECT_EQ(quoted.substr(start + 3 + 250, 3), "\"+\"");
    EXPECT_EQ(quoted.substr(start + 3 + 250 + 3 + 250, 5), "\"+\r\n\"");
    // Enclosed in quotes it is a valid string constant that reads back.
    TTextPicture codec;
    ASSERT_TRUE(codec.LoadFromText("\"" + quoted + "\""));
    EXPECT_EQ(Pixels(codec.Picture), Pixels(wide));
}

TEST(TextPicture, RefusesSizesTheHeaderCannotCarry)
{
    std::string error;
    const QImage tooWide(TTextPicture::MaxDimension + 1, 1, QImage::Format_BGR888);
    EXPECT_EQ(Save(tooWide, 1, 0, &error), "");
    EXPECT_EQ(error, "Out of memory");
    EXPECT_NE(Save(QImage(TTextPicture::MaxDimension, 1, QImage::Format_BGR888), 1, 0), "");
}

TEST(TextPicture, SettingsAreClamped)
{
    TTextPicture codec;
    const struct {
        int Set, Bits, Style;
    } cases[] = {{0, 1, 0}, {7, 6, 2}, {-5, 1, 0}, {3, 3, 2}};
    for (const auto& c : cases) {
        codec.SetBitsPerPixel(c.Set);
        codec.SetLineStyle(c.Set);
        EXPECT_EQ(codec.BitsPerPixel(), c.Bits) << c.Set;
        EXPECT_EQ(codec.LineStyle(), c.Style) << c.Set;
    }
}

TEST(TextPicture, ColorTable)
{
    TColorTable table;
    EXPECT_EQ(table.AddColor(1, 2, 3), 0);
    EXPECT_EQ(table.AddColor(4, 5, 6), 1);
    EXPECT_EQ(table.AddColor(1, 2, 3), 0);
    EXPECT_EQ(table.FindColor(4, 5, 6), 1);
    EXPECT_EQ(table.FindColor(6, 5, 4), -1);
    EXPECT_EQ(table.Colors[0], 0x010203u); // red low, blue high
    for (int i = 2; i < 256; ++i)
        EXPECT_EQ(table.AddColor(std::uint8_t(i), 0, 0), i);
    EXPECT_EQ(table.AddColor(0, 0, 1), -1);

    QImage picture = Picture(4, 2, {qRgb(1, 1, 1), qRgb(2, 2, 2), qRgb(1, 1, 1), qRgb(3, 3, 3)});
    EXPECT_TRUE(CollectColors(&picture, table, 2));
    EXPECT_EQ(table.Count, 2);
    EXPECT_EQ(table.FindColor(2, 2, 2), 1);
    EXPECT_FALSE(CollectColors(nullptr, table, 2));
}

TEST(TextPicture, BitmapFromText)
{
    EXPECT_TRUE(BitmapFromText("").isNull());
    const QImage picture = BitmapFromText(Illustration);
    ASSERT_EQ(picture.size(), QSize(2, 1));
    EXPECT_EQ(picture.format(), QImage::Format_BGR888);
    EXPECT_EQ(Pixels(picture), (std::vector<QRgb>{0x000000, 0xFFFFFF}));
}

} // namespace

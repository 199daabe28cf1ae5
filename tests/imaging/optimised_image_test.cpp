#include "imaging/optimised_image.h"

#include "support/records/compression.h"
#include "support/memory/memory_limit.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <cmath>

using namespace orvanto;

namespace {

// Smooth gradients with fine noise: what a camera gives, and what JPEG wins.
QImage Photo(int width, int height)
{
    QImage picture(width, height, QImage::Format_BGR888);
    std::uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = picture.scanLine(y);
        for (int x = 0; x < width * 3; ++x) {
            noise = noise * 1103515245u + 12345u;
            const double wave = 127 + 100 * std::sin(x * 0.013 + y * 0.021 + (x % 3));
            row[x] = std::uint8_t(std::clamp(wave + double(noise >> 28) - 8, 0.0, 255.0));
        }
    }
    return picture;
}

// Large areas of a few colours: what a drawing gives, and what the bitmap wins.
QImage Drawing(int width, int height)
{
    QImage picture(width, height, QImage::Format_BGR888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, (x / 40 + y / 30) % 3 == 0 ? qRgb(200, 30, 30) : qRgb(255, 255, 255));
    return picture;
}

std::string Saved(const QImage& picture, const std::string& extra = "")
{
    TOptimisedImage codec;
    codec.AssignBitmap(picture);
    codec.ExtraText2 = extra;
    std::string text;
    EXPECT_TRUE(codec.Encode(text)) << codec.LastError;
    return text;
}

// The kind block of a file without extra texts: magic 8, three empty blocks 12.
std::string KindOf(const std::string& file)
{
    std::size_t position = 1;
    std::string block;
    const std::string rest = file.substr(8);
    for (int i = 0; i < 4; ++i)
        UnpackBlock(position, rest, block);
    return block;
}

TEST(OptimisedImage, PhotosBecomeJpegAndDrawingsCompressedBitmaps)
{
    const struct {
        const char* Why;
        QImage Picture;
        std::string Kind;
    } cases[] = {{"photo", Photo(400, 300), "JPG"}, {"drawing", Drawing(400, 300), "BMP"}};
    for (const auto& c : cases) {
        const std::string file = Saved(c.Picture);
        ASSERT_EQ(file.substr(0, 8), std::string("OMIV1.0\0", 8)) << c.Why;
        EXPECT_EQ(KindOf(file), c.Kind) << c.Why;
        TOptimisedImage codec;
        ASSERT_TRUE(codec.Decode(file)) << c.Why << ": " << codec.LastError;
        EXPECT_EQ(codec.PayloadKind, c.Kind) << c.Why;
        EXPECT_EQ(codec.Picture.size(), c.Picture.size()) << c.Why;
        if (c.Kind == "BMP") {
            EXPECT_EQ(codec.Picture, c.Picture) << c.Why;
        }
    }
}

TEST(OptimisedImage, PayloadRuleStopsWhereItShould)
{
    // Synthetic JPEG lengths per quality; the bitmap's length decides.
    const auto growing = [](int quality) { return std::int64_t(1000 + quality * 100); };
    const struct {
        const char* Why;
        std::int64_t Bitmap;
        std::function<std::int64_t(int)> Jpeg;
        bool UseJpeg;
        std::vector<int> Tried;
    } cases[] = {
        {"bitmap shorter than the first JPEG", 2999, growing, false, {20}},
        {"equal lengths favour JPEG", 3000, growing, true, {20}},
        {"bitmap catches up at 50", 6000, growing, true, {20, 30, 40, 50}},
        {"all qualities tried", 1000000, growing, true, {20, 30, 40, 50, 60, 70, 80, 90}},
        {"JPEG grows more than 12000 bytes", 1000000,
         [](int quality) { return std::int64_t(quality == 20 ? 5000 : quality == 30 ? 17000 : 17001); },
         true, {20, 30, 40}},
    };
    for (const auto& c : cases) {
        TOptimisedImage::TChoice choice;
        ASSERT_TRUE(TOptimisedImage::ChoosePayload(c.Bitmap, c.Jpeg, choice)) << c.Why;
        EXPECT_EQ(choice.UseJpeg, c.UseJpeg) << c.Why;
        EXPECT_EQ(choice.Tried, c.Tried) << c.Why;
    }
    TOptimisedImage::TChoice choice;
    EXPECT_FALSE(TOptimisedImage::ChoosePayload(10, [](int) { return std::int64_t(-1); }, choice));
}

TEST(OptimisedImage, DamagedFilesFailAndLeaveTheBlankPicture)
{
    const std::string good = Saved(Drawing(64, 48));
    std::vector<std::pair<std::string, std::string>> cases;
    for (std::size_t i = 0; i < 7; ++i) {
        std::string file = good;
        file[i] = char(file[i] ^ 0x20);
        cases.emplace_back("magic character " + std::to_string(i), file);
    }
    cases.emplace_back("no zero byte", "OMIV1.0");
    cases.emplace_back("empty", "");
    cases.emplace_back("cut inside the payload", good.substr(0, good.size() - 10));
    {
        std::string lower = good;
        lower.replace(lower.find("BMP"), 3, "bmp");
        cases.emplace_back("lower-case kind", lower);
    }
    {
        std::string inner;
        PackBlock(inner, Int32ToBytes(5000) + "short");
        std::string file = std::string("OMIV1.0\0", 8);
        for (const char* block : {"", "", "", "BMP"})
            PackBlock(file, block);
        PackBlock(file, inner.substr(4));
        cases.emplace_back("inner length past its end", file);
    }
    for (const auto& [why, file] : cases) {
        TOptimisedImage codec;
        codec.ExtraText1 = "stale";
        EXPECT_FALSE(codec.Decode(file)) << why;
        EXPECT_EQ(codec.LastError, "Unknown format") << why;
        EXPECT_EQ(codec.Picture.size(), QSize(300, 300)) << why;
        EXPECT_EQ(codec.Picture.pixel(150, 150), qRgb(255, 255, 255)) << why;
        EXPECT_TRUE(codec.PayloadKind.empty() && codec.ExtraText1.empty()) << why;
    }
}

TEST(OptimisedImage, PayloadBeyondTheCeilingIsRefused)
{
    const std::string file = Saved(Drawing(1000, 1000)); // 3 MB of pixels, kind BMP
    SetAllocationCeilingForTesting(1024 * 1024);
    TOptimisedImage codec;
    EXPECT_FALSE(codec.Decode(file));
    EXPECT_EQ(codec.LastError, "Out of memory");
    SetAllocationCeilingForTesting(0);
}

TEST(OptimisedImage, ExtraTextsSurviveALoadAndSave)
{
    std::string file = std::string("OMIV1.0\0", 8);
    const std::string extras[3] = {"first", std::string("\0\1\2", 3), std::string(300, 'x')};
    for (const auto& extra : extras)
        PackBlock(file, extra);
    {
        TOptimisedImage source;
        source.AssignBitmap(Drawing(32, 32));
        std::string encoded;
        ASSERT_TRUE(source.Encode(encoded));
        std::size_t position = 1;
        std::string block;
        const std::string rest = encoded.substr(8);
        for (int i = 0; i < 3; ++i)
            UnpackBlock(position, rest, block);
        file += rest.substr(position - 1); // kind and payload blocks
    }
    TOptimisedImage codec;
    ASSERT_TRUE(codec.Decode(file)) << codec.LastError;
    EXPECT_EQ(codec.ExtraText2, extras[1]);
    QByteArray saved;
    QBuffer buffer(&saved);
    buffer.open(QIODevice::WriteOnly);
    codec.SaveToStream(buffer);
    EXPECT_EQ(saved.toStdString(), file);
}

TEST(OptimisedImage, StreamsAndAssign)
{
    const std::string file = Saved(Drawing(50, 40));
    QByteArray bytes = QByteArray::fromStdString("prefix" + file);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(6);
    TOptimisedImage codec;
    codec.LoadFromStream(buffer);
    EXPECT_EQ(codec.GetWidth(), 50);

    TOptimisedImage copy;
    copy.Assign(codec);
    EXPECT_EQ(copy.PayloadKind, "BMP");
    EXPECT_EQ(copy.Picture, codec.Picture);

    TOptimisedImage empty;
    std::string text = "x";
    EXPECT_FALSE(empty.Encode(text));
    EXPECT_EQ(text, "");
    QBuffer broken;
    broken.setData("OMIV1.0");
    broken.open(QIODevice::ReadOnly);
    EXPECT_THROW(codec.LoadFromStream(broken), EGeneralError);
    EXPECT_EQ(codec.LastError, "Unknown format");
}

} // namespace

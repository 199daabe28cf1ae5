#include "imaging/codecs/byte_image.h"
#include "imaging/codecs/byte_stream.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace orvanto;

namespace {

// A read-only memory stream over the bytes.
struct TReadStream {
    explicit TReadStream(const std::string& bytes) : Data(QByteArray(bytes.data(), qsizetype(bytes.size())))
    {
        Buffer.setBuffer(&Data);
        Buffer.open(QIODevice::ReadOnly);
        Stream.SetStream(&Buffer);
    }
    QByteArray Data;
    QBuffer Buffer;
    TByteStream Stream;
};

std::vector<std::string> Lines(const std::string& bytes, char mark = '\0',
                               std::vector<std::int64_t>* marks = nullptr)
{
    TReadStream s(bytes);
    std::vector<std::string> lines;
    std::int64_t position = 0, start = 0, end = 0, markAt = 0;
    while (s.Stream.ReadLine(position, -1, mark, start, end, markAt) && lines.size() < 100) {
        lines.push_back(s.Stream.ReadText(start, end));
        if (marks)
            marks->push_back(markAt < 0 ? -1 : markAt - start);
    }
    return lines;
}

TEST(ByteStream, ReadByteStopsAtTheEnd)
{
    TReadStream empty("");
    std::uint8_t byte = 7;
    EXPECT_FALSE(empty.Stream.ReadByte(0, byte));

    std::string bytes(5000, '\0');
    for (int i = 0; i < 5000; ++i)
        bytes[std::size_t(i)] = char(i * 7);
    TReadStream s(bytes);
    // Forwards, backwards and across window edges give the stream's bytes.
    for (std::int64_t position : {0, 2047, 2048, 4999, 1, 3000, 2049, 0}) {
        ASSERT_TRUE(s.Stream.ReadByte(position, byte)) << position;
        EXPECT_EQ(byte, std::uint8_t(position * 7)) << position;
    }
    EXPECT_FALSE(s.Stream.ReadByte(5000, byte));
    EXPECT_FALSE(s.Stream.ReadByte(-1, byte));
}

TEST(ByteStream, WritesReachTheStreamInOrder)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadWrite);
    {
        TByteStream stream;
        stream.SetStream(&buffer);
        for (int i = 0; i < 5000; ++i)
            ASSERT_TRUE(stream.WriteByte(i, std::uint8_t(i % 251)));
        EXPECT_EQ(stream.Size(), 5000);
    }
    ASSERT_EQ(data.size(), 5000);
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(std::uint8_t(data[i]), std::uint8_t(i % 251)) << i;

    // Overwriting inside keeps the bytes around it; text and blocks advance the position.
    TByteStream stream;
    stream.SetStream(&buffer);
    ASSERT_TRUE(stream.WriteByte(2100, 'Z'));
    std::int64_t position = 4998;
    ASSERT_TRUE(stream.WriteText(position, "abcd"));
    EXPECT_EQ(position, 5002);
    const std::string block(5000, 'q');
    ASSERT_TRUE(stream.WriteText(position, block.data(), std::int64_t(block.size())));
    EXPECT_EQ(position, 10002);
    ASSERT_TRUE(stream.Flush());
    ASSERT_EQ(data.size(), 10002);
    EXPECT_EQ(data[2099], char(2099 % 251));
    EXPECT_EQ(data[2100], 'Z');
    EXPECT_EQ(data[2101], char(2101 % 251));
    EXPECT_EQ(data.mid(4998, 5), QByteArray("abcdq"));
    EXPECT_EQ(data[10001], 'q');
}

TEST(ByteStream, ReadBlockServesWindowAndDevice)
{
    std::string bytes(10000, '\0');
    for (int i = 0; i < 10000; ++i)
        bytes[std::size_t(i)] = char(i % 253);
    const struct {
        std::int64_t Position, Count, Expected;
    } cases[] = {{0, 10, 10}, {5, 3000, 3000}, {2040, 20, 20}, {100, 9900, 9900}, {9990, 100, 10},
                 {10000, 5, 0}, {0, 20000, 10000}};
    TReadStream s(bytes);
    for (const auto& c : cases) {
        std::string target(std::size_t(c.Count), '\0');
        ASSERT_EQ(s.Stream.ReadBlock(c.Position, target.data(), c.Count), c.Expected) << c.Position;
        EXPECT_EQ(target.substr(0, std::size_t(c.Expected)), bytes.substr(std::size_t(c.Position), std::size_t(c.Expected)))
            << c.Position;
    }
}

TEST(ByteStream, ReadLineSplitsOnLineBreaks)
{
    const struct {
        std::string Bytes;
        std::vector<std::string> Lines;
    } cases[] = {
        {"AB\r\n\r\nZ", {"AB", "Z"}},
        {"one\ntwo\rthree", {"one", "two", "three"}},
        {"", {}},
        {"x", {"x"}},
        // A stream ending in line breaks reports one empty line there, then stops.
        {"AB\r\n", {"AB", ""}},
        {"\n\nA", {"", "A"}},
        {std::string(3000, 'a') + "\n" + std::string(2500, 'b'), {std::string(3000, 'a'), std::string(2500, 'b')}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Lines(c.Bytes), c.Lines) << c.Bytes;
}

TEST(ByteStream, ReadLineReportsTheFirstMark)
{
    std::vector<std::int64_t> marks;
    EXPECT_EQ(Lines("12 # word #\nno mark\n#first", '#', &marks),
              (std::vector<std::string>{"12 # word #", "no mark", "#first"}));
    EXPECT_EQ(marks, (std::vector<std::int64_t>{3, -1, 0}));
}

std::vector<int> Numbers(const std::string& text, std::int32_t maximum = -1)
{
    TReadStream s(text);
    TNumberList list;
    s.Stream.ScanNumbers(0, std::int64_t(text.size()) - 1, list, maximum);
    std::vector<int> values;
    std::uint16_t value = 0;
    while (TByteStream::PopNumber(list, value))
        values.push_back(value);
    return values;
}

TEST(ByteStream, ScanNumbersInTextOrder)
{
    const struct {
        std::string Text;
        std::int32_t Maximum;
        std::vector<int> Values;
    } cases[] = {
        {"10 20 30", -1, {10, 20, 30}},
        {"a1234567b", -1, {34567}},
        {"70000", -1, {65535}},
        {"70000", 100000, {65535}},
        {"300 5 200", 255, {255, 5, 200}},
        {"7", -1, {7}},
        {"  ", -1, {}},
        {"0,00,-3", -1, {0, 0, 3}},
        {"12 34", 0, {0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Numbers(c.Text, c.Maximum), c.Values) << c.Text;
}

TEST(ByteStream, ScanNumbersKeepsEarlierNumbersAndAFullListDropsMore)
{
    TReadStream s("1 2 3");
    TNumberList list;
    list.Values[0] = 99;
    list.Count = 1;
    EXPECT_TRUE(s.Stream.ScanNumbers(0, 4, list, -1));
    EXPECT_EQ(list.Count, 4);
    EXPECT_EQ(list.Values[0], 99);

    std::string many;
    for (int i = 0; i < 3000; ++i)
        many += "1 ";
    TReadStream big(many);
    TNumberList full;
    EXPECT_TRUE(big.Stream.ScanNumbers(0, std::int64_t(many.size()) - 1, full, -1));
    EXPECT_EQ(full.Count, TNumberList::Capacity);
}

TEST(ByteStream, ScanHexBytesTakesTwoDigitsAfterEachX)
{
    const struct {
        std::string Text;
        std::int64_t To; // -1: the last byte
        std::vector<int> Bytes;
        std::int64_t NextFree;
    } cases[] = {
        {"0xff, 0X0A", -1, {255, 10}, 10},
        {"0x5,", -1, {80}, 4},
        {"xx12", -1, {1}, 4},
        {"no hex", -1, {}, 6},
        {"0xzz 0xAb", -1, {0, 171}, 9},
        {"0x1", -1, {}, 3}, // the second digit is missing: the scan ends
        {"0x12 0x34", 6, {18, 52}, 9}, // digits past the range's end still count
        {"x9Fx", 0, {159}, 3},
    };
    // Once on a fresh stream, once with the text already in the window: the
    // two ways through the scan must agree.
    for (const bool loaded : {false, true}) {
        for (const auto& c : cases) {
            TReadStream s(c.Text);
            std::uint8_t first = 0;
            if (loaded) {
                ASSERT_TRUE(s.Stream.ReadByte(0, first));
            }
            TByteSpan span;
            std::int64_t nextFree = -1;
            const std::int64_t to = c.To < 0 ? std::int64_t(c.Text.size()) - 1 : c.To;
            const bool found = s.Stream.ScanHexBytes(0, to, span, &nextFree);
            EXPECT_EQ(found, !c.Bytes.empty()) << c.Text << " loaded " << loaded;
            EXPECT_EQ(std::vector<int>(span.Bytes, span.Bytes + span.Length), c.Bytes) << c.Text << " loaded " << loaded;
            EXPECT_EQ(nextFree, c.NextFree) << c.Text << " loaded " << loaded;
        }
    }
}

TEST(ByteStream, AppendHexByteWritesLowerCase)
{
    TByteSpan span;
    EXPECT_TRUE(TByteStream::AppendHexByte(171, span));
    EXPECT_TRUE(TByteStream::AppendHexByte(5, span));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(span.Bytes), std::size_t(span.Length)), "0xab0x05");
}

TEST(ByteStream, FindByteAndReadText)
{
    TReadStream s("static {0x01}");
    EXPECT_EQ(s.Stream.FindByte('{', 0, 12), 7);
    EXPECT_EQ(s.Stream.FindByte('{', 8, 12), -1);
    EXPECT_EQ(s.Stream.FindByte('q', 0, 100), -1);
    EXPECT_EQ(s.Stream.FindByte('}', 0, 12), 12) << "the window is loaded now";
    EXPECT_EQ(s.Stream.FindByte('{', 7, 7), 7);
    EXPECT_EQ(s.Stream.ReadText(7, 100), "{0x01}");
    EXPECT_EQ(s.Stream.ReadText(3, 2), "");
}

TEST(ByteImage, PutNextPixelFillsRowsThenReportsFull)
{
    QImage picture(2, 2, QImage::Format_BGR888);
    picture.fill(Qt::white);
    TByteImage image;
    image.SetBitmap(&picture);
    const std::uint8_t reds[] = {10, 20, 30, 40};
    for (std::uint8_t red : reds)
        EXPECT_TRUE(image.PutNextPixel(1, 2, red));
    EXPECT_FALSE(image.PutNextPixel(0, 0, 0));
    EXPECT_TRUE(image.Full());
    EXPECT_EQ(picture.pixel(0, 0), qRgb(10, 2, 1));
    EXPECT_EQ(picture.pixel(1, 0), qRgb(20, 2, 1));
    EXPECT_EQ(picture.pixel(0, 1), qRgb(30, 2, 1));
    EXPECT_EQ(picture.pixel(1, 1), qRgb(40, 2, 1));

    std::uint8_t b = 0, g = 0, r = 0;
    EXPECT_TRUE(image.GetPixel(1, 1, b, g, r));
    EXPECT_EQ(r, 40);
    EXPECT_FALSE(image.GetPixel(2, 0, b, g, r));
    image.SetPixel(-1, 0, 0, 0, 0); // ignored
    image.SetPixel(0, 1, 7, 8, 9);
    EXPECT_EQ(picture.pixel(0, 1), qRgb(9, 8, 7));

    TByteImage none;
    none.SetBitmap(nullptr);
    EXPECT_FALSE(none.PutNextPixel(0, 0, 0));
}

TEST(ByteImage, ExpandBitsMostSignificantFirst)
{
    std::vector<std::uint8_t> bits;
    TByteImage::ExpandBits(160, bits);
    TByteImage::ExpandBits(1, bits);
    EXPECT_EQ(bits, (std::vector<std::uint8_t>{1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
}

} // namespace

namespace {

TEST(ByteImage, PutRowPartStopsAtTheRowsEnd)
{
    QImage picture(3, 2, QImage::Format_BGR888);
    picture.fill(Qt::white);
    TByteImage image;
    image.SetBitmap(&picture);
    std::uint8_t black[24] = {};
    const struct {
        std::int32_t Count, Set, X, Y;
    } steps[] = {{2, 2, 2, 0}, {8, 1, 0, 1}, {0, 0, 0, 1}, {8, 3, 0, 2}, {8, 0, 0, 2}};
    for (const auto& step : steps) {
        EXPECT_EQ(image.PutRowPart(black, step.Count), step.Set) << step.Count;
        EXPECT_EQ(image.CursorX, step.X);
        EXPECT_EQ(image.CursorY, step.Y);
    }
    EXPECT_EQ(picture.pixel(2, 0) & 0xffffff, 0u);
    EXPECT_EQ(picture.pixel(2, 1) & 0xffffff, 0u);
}

} // namespace

#include "support/records/component_record.h"

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

const TRecordType Item{"TItem", {{"pCount", TPropertyKind::Integer}, {"pText", TPropertyKind::Text}}};
const TRecordType Empty{"TLI", {}};

struct TItem {
    std::int32_t Count = -1;
    std::string Text = "unset";
};

bool Read(std::string_view data, std::size_t& position, TItem& item)
{
    return ReadRecord(data, position, Item, [&](std::size_t index, TPropertyValue value) {
        if (index == 0)
            item.Count = std::get<std::int32_t>(value);
        else
            item.Text = std::get<std::string>(std::move(value));
    });
}

std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s += char(v);
    return s;
}

TEST(ComponentRecord, RecordWithoutProperties)
{
    EXPECT_EQ(WriteRecord(Empty, {}), Bytes({'T', 'P', 'F', '0', 3, 'T', 'L', 'I', 0, 0, 0}));
    std::size_t position = 0;
    const std::string bytes = WriteRecord(Empty, {});
    EXPECT_TRUE(ReadRecord(bytes, position, Empty, [](std::size_t, TPropertyValue) {}));
    EXPECT_EQ(position, bytes.size());
}

TEST(ComponentRecord, IntegerTags)
{
    const struct {
        std::int32_t Value;
        int Tag;
        std::size_t Payload;
    } cases[] = {{100, 2, 1},     {-128, 2, 1},    {127, 2, 1},  {128, 3, 2},
                 {1000, 3, 2},    {-32768, 3, 2},  {32768, 4, 4}, {100000, 4, 4},
                 {-2147483647 - 1, 4, 4}};
    for (const auto& c : cases) {
        const std::string bytes = WriteRecord(Item, {c.Value, std::string()});
        // signature 4, type 1+5, object name 1, property name 1+6
        ASSERT_GT(bytes.size(), 18u);
        EXPECT_EQ(bytes[18], char(c.Tag)) << c.Value;
        EXPECT_EQ(bytes.size(), 19 + c.Payload + 2) << c.Value;
        TItem item;
        std::size_t position = 0;
        ASSERT_TRUE(Read(bytes, position, item));
        EXPECT_EQ(item.Count, c.Value);
        EXPECT_EQ(item.Text, "unset"); // empty texts are not written
    }
}

TEST(ComponentRecord, TextTags)
{
    const struct {
        std::size_t Length;
        int Tag;
    } cases[] = {{1, 6}, {255, 6}, {256, 12}, {300, 12}, {70000, 12}};
    for (const auto& c : cases) {
        std::string text(c.Length, 'x');
        text[0] = '\0'; // any byte value survives
        const std::string bytes = WriteRecord(Item, {0, text});
        const std::size_t tagAt = 4 + 6 + 1 + 7 + 2 + 6;
        EXPECT_EQ(bytes[tagAt], char(c.Tag)) << c.Length;
        TItem item;
        std::size_t position = 0;
        ASSERT_TRUE(Read(bytes, position, item));
        EXPECT_EQ(item.Text, text);
    }
}

TEST(ComponentRecord, SequenceEndsAtPadding)
{
    std::string data;
    for (int i = 0; i < 3; ++i)
        data += WriteRecord(Item, {i * 1000, "text " + std::to_string(i)});
    data += std::string(10, char(0xFF));
    std::size_t position = 0;
    std::vector<TItem> items;
    for (;;) {
        TItem item;
        if (!Read(data, position, item))
            break;
        items.push_back(item);
    }
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[2].Count, 2000);
    EXPECT_EQ(items[1].Text, "text 1");
}

TEST(ComponentRecord, PropertiesInAnyOrderAndBaseProperties)
{
    std::string bytes = Bytes({'T', 'P', 'F', '0', 5, 'T', 'I', 't', 'e', 'm', 0});
    bytes += Bytes({5}) + "pText" + Bytes({6, 2}) + "hi";
    bytes += Bytes({4}) + "Name" + Bytes({6, 3}) + "abc";
    bytes += Bytes({3}) + "Tag" + Bytes({2, 7});
    bytes += Bytes({6}) + "pCount" + Bytes({3, 0x10, 0x27});
    bytes += Bytes({0, 0});
    TItem item;
    std::size_t position = 0;
    ASSERT_TRUE(Read(bytes, position, item));
    EXPECT_EQ(item.Count, 10000);
    EXPECT_EQ(item.Text, "hi");
}

TEST(ComponentRecord, MalformedRecordsFail)
{
    const std::string good = WriteRecord(Item, {5, "text"});
    const std::size_t countTag = 4 + 6 + 1 + 7; // the tag byte of pCount
    struct TCase {
        const char* Why;
        std::string Bytes;
    };
    std::vector<TCase> cases = {
        {"no signature", "TPF1" + good.substr(4)},
        {"empty", ""},
        {"unknown property", [&] { std::string b = good; b[11 + 1] = 'X'; return b; }()},
        {"text tag for an integer", [&] { std::string b = good; b[countTag] = 6; return b; }()},
        {"unknown tag", [&] { std::string b = good; b[countTag] = 9; return b; }()},
        {"end of children not zero", good.substr(0, good.size() - 1) + "\x01"},
        {"negative long text", Bytes({'T', 'P', 'F', '0', 5, 'T', 'I', 't', 'e', 'm', 0, 5}) + "pText"
                                   + Bytes({12, 0xFF, 0xFF, 0xFF, 0xFF})},
        {"huge long text", Bytes({'T', 'P', 'F', '0', 5, 'T', 'I', 't', 'e', 'm', 0, 5}) + "pText"
                               + Bytes({12, 0xFF, 0xFF, 0xFF, 0x7F, 'a'})},
    };
    for (std::size_t cut = 0; cut < good.size(); ++cut)
        cases.push_back({"cut short", good.substr(0, cut)});
    for (const auto& c : cases) {
        TItem item;
        std::size_t position = 0;
        EXPECT_FALSE(Read(c.Bytes, position, item)) << c.Why << " (" << c.Bytes.size() << " bytes)";
    }
}

} // namespace

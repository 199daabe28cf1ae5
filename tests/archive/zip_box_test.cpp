#include "archive/zip_box.h"

#include "support/files/file_listing.h"
#include "support/messages/general.h"
#include "support/memory/memory_limit.h"
#include "tests/test_support.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvanto;

namespace {

std::string RandomBytes(std::size_t count, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = char(random() & 0xFF);
    return bytes;
}

std::unique_ptr<TBoxItem> MakeItem(const std::string& name, const std::string& path = "\\",
                                   const std::string& data = "data")
{
    auto item = std::make_unique<TBoxItem>();
    item->Name = name;
    item->Path = path;
    item->Data = data;
    item->Size = item->StoredSize = std::int32_t(data.size());
    return item;
}

std::string Archive(const std::vector<std::string>& names)
{
    std::string bytes;
    for (const auto& name : names)
        bytes += MakeItem(name, "\\", "contents of " + name)->WriteRecord();
    return bytes;
}

// The file image of a carrier picture: headers, 100 bytes of 255, the
// archive, filler 255 to the end of the pixel rows.
std::string CarrierImage(const std::string& archive)
{
    std::string image = "BM" + std::string(52, '\x01');
    image += std::string(100, '\xFF') + archive;
    image += std::string(1004 - (image.size() - 54) % 1004, '\xFF');
    return image;
}

std::vector<std::string> Names(const TZipBox& box)
{
    std::vector<std::string> names;
    for (int i = 0; i < box.Count(); ++i)
        names.push_back(box.Item(i)->Name);
    return names;
}

bool Load(TZipBox& box, const std::string& bytes, bool append = false, qint64 start = 0)
{
    QByteArray data(bytes.data(), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(start);
    return box.LoadFromStream(buffer, append);
}

TEST(ZipBox, RecordLayout)
{
    TBoxItem item;
    item.Name = "a.htm";
    item.Path = "\\";
    item.Size = 300;
    item.StoredSize = 3;
    item.Method = 1;
    item.Data = "xyz";
    const std::string expected = std::string("TPF0\x08TBoxItem\x00", 14)
        + std::string("\x05pName\x06\x05" "a.htm", 13) + std::string("\x05pPath\x06\x01\\", 9)
        + std::string("\x05pSize\x03\x2C\x01", 9) + std::string("\x06pSizeB\x02\x03", 9)
        + std::string("\x02pM\x02\x01", 5) + std::string("\x02pD\x06\x03xyz", 8)
        + std::string("\x00\x00", 2);
    EXPECT_EQ(item.WriteRecord(), expected);
}

TEST(ZipBox, LoadFindsTheArchiveWhereItIs)
{
    const std::string archive = Archive({"one.htm", "two.png", "three.css"});
    const std::vector<std::string> all{"one.htm", "two.png", "three.css"};
    const struct {
        const char* Case;
        std::string Bytes;
        qint64 Start;
        bool Result;
        std::vector<std::string> Entries;
        const char* Error; // "" when not checked
    } cases[] = {
        {"plain archive at 0", archive, 0, true, all, ""},
        {"carrier file image", CarrierImage(archive), 0, true, all, ""},
        {"154 bytes of anything first", RandomBytes(154, 1) + archive, 0, true, all, ""},
        {"154 bytes of TPF0 look-alikes", std::string(154, 'T') + archive, 0, true, all, ""},
        {"from the stream's position", std::string(7, 'x') + archive, 7, true, all, ""},
        {"carrier after the position", "junk" + CarrierImage(archive), 4, true, all, ""},
        {"no record at either place", std::string(10, 'x') + archive, 0, false, {}, "Unknown format"},
        {"random bytes", RandomBytes(2000, 2), 0, false, {}, "Unknown format"},
        {"empty stream", "", 0, false, {}, "Unknown format"},
        {"shorter than 154 bytes", "TPF", 0, false, {}, "Unknown format"},
        {"last record cut short", archive.substr(0, archive.size() - 3), 0, true,
         {"one.htm", "two.png"}, ""},
        {"signature only", "TPF0", 0, false, {}, "Unknown format"},
    };
    for (const auto& c : cases) {
        TZipBox box;
        EXPECT_EQ(Load(box, c.Bytes, false, c.Start), c.Result) << c.Case;
        EXPECT_EQ(Names(box), c.Entries) << c.Case;
        if (*c.Error) {
            EXPECT_EQ(box.LastError(), c.Error) << c.Case;
        }
    }
}

TEST(ZipBox, LoadKeepsEntriesOnlyWhenAppending)
{
    TZipBox box;
    ASSERT_TRUE(Load(box, Archive({"a", "b"})));
    EXPECT_TRUE(Load(box, Archive({"c"}), true));
    EXPECT_EQ(Names(box), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_FALSE(Load(box, "nothing here", true));
    EXPECT_EQ(box.Count(), 3);
    EXPECT_FALSE(Load(box, "nothing here", false));
    EXPECT_EQ(box.Count(), 0);
}

TEST(ZipBox, AddReplacesAnEntryOfEqualNameAndPath)
{
    const struct {
        const char* Name;
        const char* Path;
        std::vector<std::string> Expected; // names then paths of the result
    } cases[] = {
        {"Index.HTM", "\\", {"b.png", "Index.HTM", "\\", "\\"}},
        {"index.htm", "\\", {"b.png", "index.htm", "\\", "\\"}},
        {"INDEX.htm", "\\pics\\", {"index.htm", "b.png", "INDEX.htm", "\\", "\\", "\\pics\\"}},
        {"index.html", "\\", {"index.htm", "b.png", "index.html", "\\", "\\", "\\"}},
    };
    for (const auto& c : cases) {
        TZipBox box;
        auto first = MakeItem("index.htm", "\\", "old");
        auto second = MakeItem("b.png");
        ASSERT_TRUE(box.Add(first));
        ASSERT_TRUE(box.Add(second));
        auto added = MakeItem(c.Name, c.Path, "new");
        const TBoxItem* raw = added.get();
        ASSERT_TRUE(box.Add(added)) << c.Name;
        EXPECT_EQ(added, nullptr); // the box owns it now
        std::vector<std::string> result = Names(box);
        for (int i = 0; i < box.Count(); ++i)
            result.push_back(box.Item(i)->Path);
        EXPECT_EQ(result, c.Expected) << c.Name << " " << c.Path;
        EXPECT_EQ(box.IndexOf(raw), box.Count() - 1);
    }
}

TEST(ZipBox, AddRefusesAnItemAlreadyInTheBox)
{
    TZipBox box;
    auto item = MakeItem("a");
    TBoxItem* raw = item.get();
    ASSERT_TRUE(box.Add(item));
    std::unique_ptr<TBoxItem> again(raw);
    EXPECT_FALSE(box.Add(again));
    EXPECT_EQ(box.LastError(), "Unexpected error");
    EXPECT_EQ(box.Count(), 1);
    (void)again.release(); // still owned by the box
    std::unique_ptr<TBoxItem> none;
    EXPECT_FALSE(box.Add(none));
}

TEST(ZipBox, CapacityIsTenThousandAndTwo)
{
    std::string archive;
    for (int i = 0; i <= TZipBox::Capacity; ++i)
        archive += MakeItem(char('A' + i % 50) + std::to_string(i))->WriteRecord();
    TZipBox box;
    EXPECT_FALSE(Load(box, archive));
    EXPECT_EQ(box.LastError(), "Capacity reached");
    ASSERT_EQ(box.Count(), 10002);
    EXPECT_EQ(box.Item(10001)->Name, "B10001");

    auto extra = MakeItem("one more");
    EXPECT_FALSE(box.Add(extra));
    EXPECT_EQ(box.LastError(), "Capacity reached");
    ASSERT_NE(extra, nullptr); // the caller still owns it
    EXPECT_EQ(box.Count(), 10002);

    // A replacement makes its own room.
    auto replacement = MakeItem("f5", "\\", "new");
    EXPECT_TRUE(box.Add(replacement));
    EXPECT_EQ(box.Count(), 10002);
    EXPECT_EQ(box.Item(10001)->Name, "f5");
}

TEST(ZipBox, ItemClampsTheIndex)
{
    TZipBox box;
    EXPECT_EQ(box.Item(0), nullptr);
    ASSERT_TRUE(Load(box, Archive({"first", "middle", "last"})));
    const struct {
        int Index;
        const char* Name;
    } cases[] = {{-5, "first"}, {0, "first"}, {1, "middle"}, {2, "last"}, {3, "last"},
                 {1000000, "last"}, {INT32_MIN, "first"}, {INT32_MAX, "last"}};
    for (const auto& c : cases)
        EXPECT_EQ(box.Item(c.Index)->Name, c.Name) << c.Index;
}

TEST(ZipBox, Find)
{
    TZipBox box;
    for (auto [name, path] : {std::pair{"index.htm", "\\"}, {"logo.png", "\\pics\\"},
                              {"Logo.png", "\\"}, {"", "\\"}}) {
        auto item = MakeItem(name, path);
        ASSERT_TRUE(box.Add(item));
    }
    const struct {
        const char* Name;
        const char* Path;
        int Index;
    } cases[] = {
        {"INDEX.HTM", "\\", 0}, {"index.htm", "*", 0},       {"index.htm", "\\pics\\", -1},
        {"logo.png", "*", 1},   {"LOGO.PNG", "\\PICS\\", 1}, {"logo.png", "\\", 2},
        {"logo", "*", -1},      {"xndex.htm", "\\", -1},     {"", "\\", 3},
        {"index.ht", "*", -1},  {"index.htm", "", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(box.Find(c.Name, c.Path), c.Index) << c.Name << " " << c.Path;
}

TEST(ZipBox, RemoveKeepsTheOrder)
{
    TZipBox box;
    ASSERT_TRUE(Load(box, Archive({"a", "b", "c", "d"})));
    EXPECT_TRUE(box.Remove(box.Item(1)));
    EXPECT_EQ(Names(box), (std::vector<std::string>{"a", "c", "d"}));
    TBoxItem stranger;
    EXPECT_TRUE(box.Remove(&stranger));
    EXPECT_EQ(box.Count(), 3);
    EXPECT_EQ(box.IndexOf(&stranger), -1);
    box.Clear();
    EXPECT_EQ(box.Count(), 0);
}

TEST(ZipBox, ExtractToStream)
{
    const std::string text = std::string(3000, 'a') + RandomBytes(500, 3);
    const auto packed = PackBoxItem("t", "\\", text, false);
    ASSERT_EQ(packed->Method, 1);
    std::string damaged = packed->Data;
    damaged[damaged.size() / 2] ^= 0x55;
    damaged[2] ^= 0x7F;
    const struct {
        const char* Case;
        int Method;
        std::string Data;
        bool Result;
        std::string Output;
        const char* Error;
    } cases[] = {
        {"stored", 0, text, true, text, ""},
        {"stored, empty", 0, "", true, "", ""},
        {"zlib", 1, packed->Data, true, text, ""},
        {"method 2", 2, packed->Data, false, "", "Unsupported encoding"},
        {"method 255", 255, text, false, "", "Unsupported encoding"},
        {"damaged zlib", 1, damaged, false, "", "Out of memory"},
        {"zlib cut short", 1, packed->Data.substr(0, packed->Data.size() - 10), false, "", "Out of memory"},
        {"zlib, no data", 1, "", false, "", "Out of memory"},
        {"stored bytes as zlib", 1, text, false, "", "Out of memory"},
    };
    for (const auto& c : cases) {
        TZipBox box;
        auto item = MakeItem("t", "\\", c.Data);
        item->Method = std::uint8_t(c.Method);
        QBuffer target;
        target.open(QIODevice::WriteOnly);
        target.write("prefix");
        EXPECT_EQ(box.ExtractToStream(item.get(), target), c.Result) << c.Case;
        EXPECT_EQ(target.data().toStdString(), "prefix" + c.Output) << c.Case;
        if (*c.Error) {
            EXPECT_EQ(box.LastError(), c.Error) << c.Case;
        }
    }
    TZipBox box;
    QBuffer target;
    target.open(QIODevice::WriteOnly);
    EXPECT_FALSE(box.ExtractToStream(nullptr, target));
    EXPECT_EQ(box.LastError(), "Unexpected error");
}

TEST(ZipBox, InflatingBeyondTheCeilingIsRefused)
{
    const auto item = PackBoxItem("big", "\\", std::string(1 << 20, 'z'), false);
    ASSERT_EQ(item->Method, 1);
    ASSERT_LT(item->Data.size(), 10000u);
    SetAllocationCeilingForTesting(100000);
    TZipBox box;
    QBuffer target;
    target.open(QIODevice::WriteOnly);
    const bool result = box.ExtractToStream(item.get(), target);
    SetAllocationCeilingForTesting(0);
    EXPECT_FALSE(result);
    EXPECT_EQ(box.LastError(), "Out of memory");
    EXPECT_EQ(target.size(), 0);
    std::string error;
    std::string bytes = item->Data;
    ASSERT_TRUE(ZipHandler()->Inflate(bytes, error));
    EXPECT_EQ(bytes.size(), std::size_t(1 << 20));
}

TEST(ZipBox, PackChoosesTheSmallerForm)
{
    const struct {
        const char* Case;
        std::string Bytes;
        bool Store;
        int Method;
    } cases[] = {
        {"text", std::string(5000, 'q'), false, 1},
        {"random", RandomBytes(5000, 4), false, 0},
        {"empty", "", false, 0},
        {"one byte", "x", false, 0},
        {"text, stored on request", std::string(5000, 'q'), true, 0},
    };
    for (const auto& c : cases) {
        const auto item = PackBoxItem(std::string(256, 'n'), "\\sub\\", c.Bytes, c.Store);
        ASSERT_NE(item, nullptr) << c.Case;
        EXPECT_EQ(item->Method, c.Method) << c.Case;
        EXPECT_EQ(item->Size, std::int32_t(c.Bytes.size())) << c.Case;
        EXPECT_EQ(item->StoredSize, std::int32_t(item->Data.size())) << c.Case;
        // Through a record and back.
        TZipBox box;
        ASSERT_TRUE(Load(box, item->WriteRecord())) << c.Case;
        const TBoxItem* loaded = box.Item(0);
        EXPECT_EQ(loaded->Name, item->Name);
        EXPECT_EQ(loaded->Path, "\\sub\\");
        EXPECT_EQ(loaded->StoredSize, item->StoredSize);
        std::string bytes;
        ASSERT_TRUE(box.ExtractToBytes(loaded, bytes)) << c.Case;
        EXPECT_EQ(bytes, c.Bytes) << c.Case;
    }
}

TEST(ZipBox, ExtractToFileOverwriteRules)
{
    const struct {
        const char* Case;
        bool Exists;
        bool ReadOnly;
        bool Overwrite;
        const char* Content;
    } cases[] = {
        {"new file", false, false, false, "new"},
        {"new file, overwrite", false, false, true, "new"},
        {"existing kept", true, false, false, "old"},
        {"existing replaced", true, false, true, "new"},
        {"read-only kept", true, true, false, "old"},
        {"read-only replaced", true, true, true, "new"},
    };
    const std::string folder = MakeTempFolder("extract");
    for (const auto& c : cases) {
        const std::string file = folder + "target.txt";
        unlink(file.c_str());
        if (c.Exists) {
            ASSERT_TRUE(WriteWholeFile(file, "old"));
            if (c.ReadOnly)
                chmod(file.c_str(), 0444);
        }
        TZipBox box;
        const auto item = MakeItem("x", "\\", "new");
        EXPECT_TRUE(box.ExtractToFile(item.get(), file, c.Overwrite)) << c.Case;
        EXPECT_EQ(ReadWholeFile(file), c.Content) << c.Case;
    }
}

TEST(ZipBox, ExtractToFileFailures)
{
    const std::string folder = MakeTempFolder("extract-fail");
    TZipBox box;
    auto bad = MakeItem("x", "\\", "data");
    bad->Method = 2;
    EXPECT_FALSE(box.ExtractToFile(bad.get(), folder + "a", true));
    EXPECT_EQ(box.LastError(), "Unsupported encoding");
    EXPECT_FALSE(IsFile(folder + "a"));

    const auto good = MakeItem("x", "\\", "data");
    EXPECT_FALSE(box.ExtractToFile(good.get(), folder + "missing/a", true));
    EXPECT_EQ(box.LastError(), "Out of disk space");

    // A disk that fills up half-way through leaves the old file whole and
    // nothing beside it.
    ASSERT_TRUE(WriteWholeFile(folder + "full", "old"));
    const auto large = MakeItem("x", "\\", std::string(100000, 'n'));
    rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = box.ExtractToFile(large.get(), folder + "full", true);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_EQ(box.LastError(), "Out of disk space");
    EXPECT_EQ(ReadWholeFile(folder + "full"), "old");
    EXPECT_EQ(ListFiles(folder + "*", false), "full\r\n");

    // A link planted at the target is replaced, never written through:
    // one to an existing file (overwriting) and a dangling one (not).
    const std::string outside = MakeTempFolder("outside") + "victim";
    for (const bool dangling : {false, true}) {
        unlink((folder + "link").c_str());
        unlink(outside.c_str());
        if (!dangling) {
            ASSERT_TRUE(WriteWholeFile(outside, "precious"));
        }
        ASSERT_EQ(symlink(outside.c_str(), (folder + "link").c_str()), 0);
        EXPECT_TRUE(box.ExtractToFile(good.get(), folder + "link", !dangling)) << dangling;
        EXPECT_EQ(ReadWholeFile(folder + "link"), "data") << dangling;
        EXPECT_EQ(IsFile(outside), !dangling) << dangling;
        if (!dangling) {
            EXPECT_EQ(ReadWholeFile(outside), "precious");
        }
    }
}

TEST(ZipBox, SafeFileName)
{
    const struct {
        const char* Folder;
        std::string Entry;
        const char* Result; // nullptr: refused
    } cases[] = {
        {"/help/", "index.htm", "/help/index.htm"},
        {"/help", "index.htm", "/help/index.htm"},
        {"/help/", "..index", "/help/..index"},
        {"/help/", ".hidden", "/help/.hidden"},
        {"/help/", "../evil", nullptr},
        {"/help/", "..\\evil", nullptr},
        {"/help/", "sub/page.htm", nullptr},
        {"/help/", "/etc/passwd", nullptr},
        {"/help/", "..", nullptr},
        {"/help/", ".", nullptr},
        {"/help/", "", nullptr},
        {"/help/", std::string("a\0b", 3), nullptr},
        {"", "index.htm", nullptr},
    };
    for (const auto& c : cases) {
        TZipBox box;
        std::string fileName = "stale";
        EXPECT_EQ(box.SafeFileName(c.Folder, c.Entry, fileName), c.Result != nullptr) << c.Entry;
        EXPECT_EQ(fileName, c.Result ? c.Result : "") << c.Entry;
        if (!c.Result) {
            EXPECT_EQ(box.LastError(), "Unexpected error");
        }
    }
}

} // namespace

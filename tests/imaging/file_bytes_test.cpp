#include "imaging/file_bytes.h"
#include "imaging/library/tiff_reader.h"

#include "support/memory/memory_limit.h"
#include "tests/test_support.h"

#include <QBuffer>

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

TEST(FileBytes, HandsOverWhatTheReaderNeedsOrSaysWhyNot)
{
    const std::string folder = MakeTempFolder("file-bytes");
    WriteWholeFile(folder + "two-kb", std::string(2048, 'x'));
    WriteWholeFile(folder + "empty", "");
    // The TIFF reader reads a strip at a time from the open file rather than
    // from its bytes, but says why it cannot open one in the same words.
    enum TReader { Bytes, Tiff };
    const struct {
        const char* Why;
        TReader Reader;
        std::string Path;
        std::int64_t Ceiling;
        bool Ok;
        std::size_t Size;
        std::string Error;
    } cases[] = {
        {"a file", Bytes, folder + "two-kb", 0, true, 2048, ""},
        {"an empty file", Bytes, folder + "empty", 0, true, 0, ""},
        {"a missing file", Bytes, folder + "missing", 0, false, 0, "File not found"},
        {"no name", Bytes, "", 0, false, 0, "File not found"},
        {"a folder", Bytes, folder, 0, false, 0, "File in use"},
        {"a missing TIFF", Tiff, folder + "missing.tif", 0, false, 0, "File not found"},
        {"no TIFF name", Tiff, "", 0, false, 0, "File not found"},
        {"a folder read as TIFF", Tiff, folder, 0, false, 0, "File in use"},
        {"a file that is no TIFF", Tiff, folder + "two-kb", 0, false, 0, "Unknown format"},
    };
    for (const auto& c : cases) {
        SetAllocationCeilingForTesting(c.Ceiling);
        std::string error;
        std::size_t seen = 0;
        QImage picture;
        const bool ok = c.Reader == Tiff ? ReadTiffFile(c.Path, picture, error, {})
                                         : ReadFileBytes(c.Path, error, [&](const std::uint8_t*, std::size_t size) {
                                               seen = size;
                                               return true;
                                           });
        EXPECT_EQ(ok, c.Ok) << c.Why;
        EXPECT_EQ(seen, c.Size) << c.Why;
        EXPECT_EQ(error, c.Error) << c.Why;
    }
    SetAllocationCeilingForTesting(0);
}

TEST(FileBytes, DeviceBytesFromThePositionOnWithinTheCeiling)
{
    QByteArray data(4096, 'y');
    data[100] = 'z';
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(100);
    std::string error;
    char first = 0;
    std::size_t seen = 0;
    EXPECT_TRUE(ReadDeviceBytes(buffer, error, [&](const std::uint8_t* bytes, std::size_t size) {
        first = char(bytes[0]);
        seen = size;
        return true;
    }));
    EXPECT_EQ(first, 'z');
    EXPECT_EQ(seen, 3996u);

    buffer.seek(0);
    SetAllocationCeilingForTesting(1024);
    bool called = false;
    EXPECT_FALSE(ReadDeviceBytes(buffer, error, [&](const std::uint8_t*, std::size_t) { return called = true; }));
    EXPECT_FALSE(called);
    EXPECT_EQ(error, "Out of memory");
    SetAllocationCeilingForTesting(0);
}

} // namespace

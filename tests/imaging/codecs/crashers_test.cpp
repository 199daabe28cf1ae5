#include "imaging/codecs/portable_pixelmap.h"
#include "imaging/codecs/x_bitmap.h"
#include "support/memory/memory_limit.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

// Hostile files that once could crash, hang or exhaust memory: each must
// fail at once with its codec's message.
TEST(Crashers, FailCleanlyWithTheirMessage)
{
    const struct {
        const char* File;
        const char* Message;
    } cases[] = {
        {"truncated-header.ppm", "Invalid dimensions."},
        {"huge-no-data.ppm", "Out of memory."},
        {"huge-bitmap.pbm", "Out of memory."},
        {"endless-comment.pgm", "Invalid dimensions."},
        {"overlong-number.ppm", "Invalid dimensions."},
        {"lone-define.xbm", "Unknown format."},
        {"no-static.xbm", "Unknown format."},
        {"huge-no-data.xbm", "Out of memory."},
    };
    // Far below this machine's memory, so the test proves refusal, not luck.
    SetAllocationCeilingForTesting(256 << 20);
    for (const auto& c : cases) {
        const std::string path = TestDataPath(std::string("crashers/") + c.File);
        const bool xbm = std::string(c.File).find(".xbm") != std::string::npos;
        TPortablePixelmap pnm;
        TXBitmap bitmap;
        TCodecGraphic& codec = xbm ? static_cast<TCodecGraphic&>(bitmap) : pnm;
        EXPECT_FALSE(codec.TryLoadFromFile(path)) << c.File;
        EXPECT_EQ(codec.LastError, c.Message) << c.File;
    }
    SetAllocationCeilingForTesting(0);
}

} // namespace

// The manual page a user reads with "man orvanto" names every kind of file
// the program opens: the registry's table is the truth.
#include "imaging/open_image.h"
#include "support/text/text_conversion.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <regex>

using namespace orvanto;

TEST(ManualPage, NamesEveryFormatTheProgramOpens)
{
    const std::string page = ReadWholeFile(ORVANTO_SOURCE_DIR "/packaging/orvanto.1");
    ASSERT_FALSE(page.empty());
    const TOpenImage registry;
    ASSERT_GT(registry.Formats().Count(), 20);
    for (int i = 0; i < registry.Formats().Count(); ++i) {
        // In a list such as "(.tif, .tiff)": lower case, as the reader types it.
        const std::string extension = LowerAscii(registry.Formats().Item(i).Extension);
        const std::regex listed("[( ]\\" + extension + "[,)]");
        EXPECT_TRUE(std::regex_search(page, listed)) << extension;
    }
}

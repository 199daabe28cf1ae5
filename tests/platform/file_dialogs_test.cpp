#include "platform/file_dialogs.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

using namespace orvanto;

TEST(SplitFileFilter, ChoicesKeepTheirOrderAndPatterns)
{
    struct TCase {
        std::string Filter;
        std::vector<TFileFilterChoice> Choices;
    };
    const TCase cases[] = {
        {"", {}},
        {"All Pictures|*.BMP;*.DIB;|Bitmap (*.bmp)|*.BMP;|",
         {{"All Pictures", {"*.BMP", "*.DIB"}}, {"Bitmap (*.bmp)", {"*.BMP"}}}},
        {"Bitmap (*.BMP)|*.BMP|", {{"Bitmap (*.BMP)", {"*.BMP"}}}},
        {"Text|*.txt; *.asc", {{"Text", {"*.txt", "*.asc"}}}},
        {"Lonely", {{"Lonely", {}}}},
        {"A||B|*.b|", {{"A", {}}, {"B", {"*.b"}}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Filter);
        const auto choices = SplitFileFilter(c.Filter);
        ASSERT_EQ(choices.size(), c.Choices.size());
        for (std::size_t i = 0; i < choices.size(); ++i) {
            EXPECT_EQ(choices[i].Description, c.Choices[i].Description);
            EXPECT_EQ(choices[i].Patterns, c.Choices[i].Patterns);
        }
    }
}

TEST(NoFileDialogs, CancelAtOnceKeepingTheFilter)
{
    TFileDialogRequest request;
    request.FilterIndex = 4;
    request.FileName = "start.bmp";
    const TFileDialogResult result = Platform().FileDialogs().Run(request);
    EXPECT_FALSE(result.Confirmed);
    EXPECT_EQ(result.FileName, "");
    EXPECT_EQ(result.FilterIndex, 4);
}

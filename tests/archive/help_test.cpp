#include "archive/help.h"

#include "platform/platform.h"
#include "platform/recording_shell.h"
#include "support/files/file_listing.h"
#include "support/messages/general.h"
#include "support/files/paths.h"
#include "tests/archive/carrier_fixture.h"
#include "tests/test_support.h"

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace orvanto;

namespace {

const std::vector<TCarrierEntry> Pages = {{"index.html", "<p>index</p>"}, {"scale.png", "png bytes"},
                                   {"print.html", "<p>print</p>"}};

// Each case gets a shell double of its own and a clean "Help" folder.
class HelpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto shell = std::make_unique<TRecordingShell>();
        Shell = shell.get();
        Previous = Platform().SetShell(std::move(shell));
        HelpRoot = Paths()->MakerDataFolder("Help");
        QDir(QString::fromStdString(HelpRoot)).removeRecursively();
        QDir().mkpath(QString::fromStdString(HelpRoot));
    }
    void TearDown() override { Platform().SetShell(std::move(Previous)); }

    TRecordingShell* Shell = nullptr;
    std::unique_ptr<IShell> Previous;
    std::string HelpRoot;
};

TEST_F(HelpTest, TitleBecomesAFolderName)
{
    const struct {
        const char* Title;
        const char* Folder;
    } cases[] = {
        {"Orvanto", "Orvanto/"},
        {"My help/set\\x*?", "My_help_set_x__/"},
        {"", "Orvanto_Help/"},
    };
    for (const auto& c : cases) {
        THelp help(c.Title, nullptr);
        EXPECT_EQ(help.HelpFolder(), HelpRoot + c.Folder) << c.Title;
        EXPECT_EQ(help.PagePath("index.html"), HelpRoot + c.Folder + "index.html") << c.Title;
    }
}

TEST_F(HelpTest, UnpacksOnceKeepsUserEditsAndCleansUp)
{
    QImage carrier = CarrierFixture(Pages);
    const std::string folder = HelpRoot + "Orvanto/";
    {
        THelp help("Orvanto", &carrier);
        EXPECT_EQ(carrier.size(), QSize(1, 1));
        ASSERT_TRUE(help.ShowPage("index.html")) << help.LastError();
        ASSERT_EQ(Shell->Requests.size(), 1u);
        EXPECT_EQ(Shell->Requests[0].Target, folder + "index.html");
        EXPECT_EQ(ReadWholeFile(folder + "scale.png"), "png bytes");

        ASSERT_TRUE(WriteWholeFile(folder + "print.html", "edited by the user"));
        EXPECT_TRUE(help.ShowPage("print.html"));
        EXPECT_EQ(ReadWholeFile(folder + "print.html"), "edited by the user");
        EXPECT_EQ(Shell->Requests.size(), 2u);
    }
    EXPECT_FALSE(FolderExists(folder));
    EXPECT_TRUE(FolderExists(HelpRoot));
}

TEST_F(HelpTest, Failures)
{
    const struct {
        const char* Case;
        std::vector<TCarrierEntry> Entries;
        const char* Page;
        const char* Planted; // a folder planted in the way of a page, or of the title folder
        const char* Error;
    } cases[] = {
        {"page not in archive", Pages, "missing.html", nullptr, "File not found"},
        {"no archive at all", {}, "index.html", nullptr, "File not found"},
        {"unknown encoding", {{"index.html", "x"}, {"a.png", "y", 7}}, "index.html", nullptr,
         "Unsupported encoding"},
        {"a folder where a page goes", Pages, "index.html", "scale.png", "File in use"},
        {"title folder unmakeable", Pages, "index.html", "", "Out of disk space"},
        {"page named with ..", {{"../escape.html", "x"}, {"index.html", "i"}}, "../escape.html",
         nullptr, "File not found"},
    };
    for (const auto& c : cases) {
        QDir(QString::fromStdString(HelpRoot)).removeRecursively();
        QImage carrier = CarrierFixture(c.Entries);
        THelp help("Orvanto", c.Entries.empty() ? nullptr : &carrier);
        const std::string folder = help.HelpFolder();
        if (c.Planted && *c.Planted) {
            ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder + c.Planted)));
        } else if (c.Planted) {
            // A link to nowhere in place of the title folder.
            ASSERT_EQ(::symlink("/nonexistent/folder", folder.substr(0, folder.size() - 1).c_str()), 0);
        }
        EXPECT_FALSE(help.ShowPage(c.Page)) << c.Case;
        EXPECT_EQ(help.LastError(), c.Error) << c.Case;
        EXPECT_TRUE(Shell->Requests.empty()) << c.Case;
        // Nothing marks a folder complete that is not.
        EXPECT_EQ(IsFile(folder + THelp::MarkerName()), c.Error == std::string("File not found")
                                                           && !c.Entries.empty()) << c.Case;
        EXPECT_FALSE(IsFile(HelpRoot + "escape.html")) << c.Case;
    }
}

TEST_F(HelpTest, BlockingFileIsRemovedAndInterruptedUnpackIsFinished)
{
    const std::string folder = HelpRoot + "Orvanto/";
    ASSERT_TRUE(WriteWholeFile(HelpRoot + "Orvanto", "in the way"));
    ::chmod((HelpRoot + "Orvanto").c_str(), 0444);
    QImage carrier = CarrierFixture(Pages);
    {
        THelp help("Orvanto", &carrier);
        ASSERT_TRUE(help.ShowPage("index.html")) << help.LastError();
        EXPECT_EQ(ReadWholeFile(folder + "index.html"), "<p>index</p>");
    }
    // An earlier run stopped half-way: one page written, no completion mark.
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    ASSERT_TRUE(WriteWholeFile(folder + "index.html", "<p>kept</p>"));
    QImage again = CarrierFixture(Pages);
    THelp help("Orvanto", &again);
    ASSERT_TRUE(help.ShowPage("print.html")) << help.LastError();
    EXPECT_EQ(ReadWholeFile(folder + "index.html"), "<p>kept</p>");
    EXPECT_EQ(ReadWholeFile(folder + "print.html"), "<p>print</p>");
}

} // namespace

#include "imaging/open_handler.h"

#include "imaging/open_image.h"
#include "platform/platform.h"
#include "platform/recording_file_dialogs.h"
#include "support/files/paths.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

// Installs the recording dialogs for one test and puts the old ones back.
class OpenHandlerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto dialogs = std::make_unique<TRecordingFileDialogs>();
        Dialogs = dialogs.get();
        FPrevious = Platform().SetFileDialogs(std::move(dialogs));
    }
    void TearDown() override { Platform().SetFileDialogs(std::move(FPrevious)); }

    TOpenInfo Info(const std::string& fileName)
    {
        TOpenInfo info;
        info.DefaultExt = "*.DIB";
        info.Options = FileDialogHideReadOnly | FileDialogFileMustExist;
        info.Filter = "All Pictures|*.BMP;|Bitmap (*.bmp)|*.BMP;|";
        info.FilterIndex = 1;
        info.FileName = fileName;
        return info;
    }

    TRecordingFileDialogs* Dialogs = nullptr;

private:
    std::unique_ptr<IFileDialogs> FPrevious;
};

} // namespace

TEST_F(OpenHandlerTest, EachKindGetsTheSettingsAndStartingName)
{
    const std::string folder = MakeTempFolder("handler-kinds");
    struct TCase {
        TFileDialogKind Kind;
        const char* StartingName;
        bool Preview;
    };
    const TCase cases[] = {
        {TFileDialogKind::Open, "", false},
        {TFileDialogKind::Save, "last.bmp", false},
        {TFileDialogKind::OpenWithPreview, "", true},
        {TFileDialogKind::SaveWithPreview, "last.bmp", true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(int(c.Kind));
        Dialogs->Requests.clear();
        Dialogs->Answer(true, folder + "chosen.bmp", 2);
        TOpenInfo info = Info(folder + "last.bmp");
        std::string chosen = "stale";
        EXPECT_TRUE(OpenHandler()->Execute(info, c.Kind, "", chosen));
        EXPECT_EQ(chosen, folder + "chosen.bmp");
        EXPECT_EQ(info.FilterIndex, 2);
        ASSERT_EQ(Dialogs->Requests.size(), 1u);
        const TFileDialogRequest& request = Dialogs->Requests[0];
        EXPECT_EQ(request.Kind, c.Kind);
        EXPECT_EQ(request.FileName, c.StartingName);
        EXPECT_EQ(request.InitialFolder, folder);
        EXPECT_EQ(request.DefaultExt, "*.DIB");
        EXPECT_EQ(request.Options, unsigned(FileDialogHideReadOnly | FileDialogFileMustExist));
        EXPECT_EQ(request.Filter, info.Filter);
        EXPECT_EQ(request.FilterIndex, 1);
        EXPECT_EQ(bool(request.Preview), c.Preview);
    }
}

TEST_F(OpenHandlerTest, CancelStillReportsNameAndFilter)
{
    Dialogs->Answer(false, "/typed/but/cancelled.jpg", 3);
    TOpenInfo info = Info("");
    std::string chosen = "stale";
    EXPECT_FALSE(OpenHandler()->Execute(info, TFileDialogKind::Open, "", chosen));
    EXPECT_EQ(chosen, "/typed/but/cancelled.jpg");
    EXPECT_EQ(info.FilterIndex, 3);
}

TEST_F(OpenHandlerTest, FailingPreviewFallsBackToThePlainKindOnce)
{
    struct TCase {
        TFileDialogKind Kind;
        TFileDialogKind Plain;
        bool PlainFails;
    };
    const TCase cases[] = {
        {TFileDialogKind::OpenWithPreview, TFileDialogKind::Open, false},
        {TFileDialogKind::SaveWithPreview, TFileDialogKind::Save, false},
        {TFileDialogKind::OpenWithPreview, TFileDialogKind::Open, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(int(c.Kind));
        Dialogs->Requests.clear();
        Dialogs->Script.clear();
        Dialogs->AnswerWithFailure();
        if (c.PlainFails)
            Dialogs->AnswerWithFailure();
        else
            Dialogs->Answer(true, "/x/y.bmp", 1);
        TOpenInfo info = Info("");
        std::string chosen;
        EXPECT_EQ(OpenHandler()->Execute(info, c.Kind, "", chosen), !c.PlainFails);
        EXPECT_EQ(chosen, c.PlainFails ? "" : "/x/y.bmp");
        ASSERT_EQ(Dialogs->Requests.size(), 2u) << "retried more than once";
        EXPECT_EQ(Dialogs->Requests[0].Kind, c.Kind);
        EXPECT_EQ(Dialogs->Requests[1].Kind, c.Plain);
        EXPECT_FALSE(Dialogs->Requests[1].Preview);
    }
    // A plain kind that fails is not retried.
    Dialogs->Requests.clear();
    Dialogs->AnswerWithFailure();
    TOpenInfo info = Info("");
    std::string chosen;
    EXPECT_FALSE(OpenHandler()->Execute(info, TFileDialogKind::Save, "", chosen));
    EXPECT_EQ(Dialogs->Requests.size(), 1u);
}

TEST_F(OpenHandlerTest, StartingFolder)
{
    const std::string existing = MakeTempFolder("handler-start");
    const std::string given = MakeTempFolder("handler-given");
    const std::string fallback = PicturesFolder(); // not the program's data folder
    EXPECT_NE(fallback, Paths()->WindowsFolder());
    EXPECT_TRUE(fallback.ends_with('/'));
    struct TCase {
        const char* Name;
        std::string Remembered;
        std::string Given;
        std::string Expected;
    };
    const TCase cases[] = {
        {"remembered", existing + "a.bmp", "", existing},
        {"given wins", existing + "a.bmp", given, given},
        {"remembered gone", existing + "gone/a.bmp", "", fallback},
        {"given gone", existing + "a.bmp", existing + "gone/", fallback},
        {"nothing remembered", "", "", fallback},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Dialogs->Requests.clear();
        TOpenInfo info = Info(c.Remembered);
        std::string chosen;
        OpenHandler()->Execute(info, TFileDialogKind::OpenWithPreview, c.Given, chosen);
        ASSERT_EQ(Dialogs->Requests.size(), 1u);
        EXPECT_EQ(Dialogs->Requests[0].InitialFolder, c.Expected);
    }
}

TEST_F(OpenHandlerTest, PreviewRendersThroughTheFormatRegistry)
{
    const std::string folder = MakeTempFolder("handler-preview");
    WriteWholeFile(folder + "p.prv", "x");
    OpenImage()->Formats().AddFormat({".PRV", "Preview test",
                                      [](TImageInfoRec& info) {
                                          *info.Bitmap = QImage(6, 4, QImage::Format_BGR888);
                                          return info.BackgroundColor == 16777215;
                                      },
                                      nullptr});
    TOpenInfo info = Info("");
    std::string chosen;
    OpenHandler()->Execute(info, TFileDialogKind::OpenWithPreview, "", chosen);
    ASSERT_EQ(Dialogs->Requests.size(), 1u);
    const TPreviewRenderer preview = Dialogs->Requests[0].Preview;
    ASSERT_TRUE(preview);
    QImage picture;
    std::string error;
    EXPECT_TRUE(preview(folder + "p.prv", picture, error));
    EXPECT_EQ(picture.size(), QSize(6, 4));
    EXPECT_FALSE(preview(folder + "p.unknown", picture, error));
    EXPECT_EQ(error, "Index out of range");
    FreeOpenImage();
}

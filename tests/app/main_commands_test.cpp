#include "app/main_commands.h"

#include "platform/platform.h"
#include "platform/recording_clipboard.h"
#include "platform/recording_file_dialogs.h"
#include "platform/recording_message_box.h"
#include "platform/recording_printer.h"
#include "platform/recording_shell.h"
#include "tests/test_support.h"
#include "workspace/print_workspace.h"

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

// The window's side of the commands, recorded.
struct TRecordingHost final : ICommandHost {
    std::vector<bool> BusyCalls;
    bool Busy = false;
    int Shutdowns = 0, Backgrounds = 0, Helps = 0, Abouts = 0;
    bool Bar = true;
    void SetBusy(bool on) override { BusyCalls.push_back(on), Busy = on; }
    bool IsBusy() const override { return Busy; }
    void Shutdown() override { ++Shutdowns; }
    bool ButtonBarVisible() const override { return Bar; }
    void SetButtonBarVisible(bool visible) override { Bar = visible; }
    void ChooseBackground() override { ++Backgrounds; }
    void ShowHelp() override { ++Helps; }
    void ShowAbout() override { ++Abouts; }
};

class MainCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        Printer = new TRecordingPrinter;
        Boxes = new TRecordingMessageBox;
        Shell = new TRecordingShell;
        Dialogs = new TRecordingFileDialogs;
        Clipboard = new TRecordingClipboard;
        OldClipboard = Platform().SetClipboard(std::unique_ptr<IClipboard>(Clipboard));
        OldPrinter = Platform().SetPrinter(std::unique_ptr<IPrinter>(Printer));
        OldBoxes = Platform().SetMessageBox(std::unique_ptr<IMessageBox>(Boxes));
        OldShell = Platform().SetShell(std::unique_ptr<IShell>(Shell));
        OldDialogs = Platform().SetFileDialogs(std::unique_ptr<IFileDialogs>(Dialogs));
        Picture = MakeTempFolder("commands") + "picture.bmp";
        QImage image(40, 20, QImage::Format_RGB32);
        image.fill(Qt::red);
        ASSERT_TRUE(image.save(QString::fromStdString(Picture)));
    }
    void TearDown() override
    {
        Platform().SetPrinter(std::move(OldPrinter));
        Platform().SetMessageBox(std::move(OldBoxes));
        Platform().SetShell(std::move(OldShell));
        Platform().SetFileDialogs(std::move(OldDialogs));
        Platform().SetClipboard(std::move(OldClipboard));
    }
    TRecordingPrinter* Printer;
    TRecordingMessageBox* Boxes;
    TRecordingShell* Shell;
    TRecordingFileDialogs* Dialogs;
    TRecordingClipboard* Clipboard;
    std::unique_ptr<IClipboard> OldClipboard;
    std::unique_ptr<IPrinter> OldPrinter;
    std::unique_ptr<IMessageBox> OldBoxes;
    std::unique_ptr<IShell> OldShell;
    std::unique_ptr<IFileDialogs> OldDialogs;
    std::string Picture;
};

TEST_F(MainCommands, DispatchRunsEnabledCommandsInBusyModeAndReportsFailures)
{
    const struct {
        const char* Name;
        const char* Entry;
        bool Picture, PrinterPresent, AutoClose, PrinterFails, Busy;
        bool Ran;
        std::size_t BusyCalls, Boxes, Jobs, ShellRequests, Puts;
        int Shutdowns, Backgrounds, Helps;
    } cases[] = {
        {"print", "Print1", true, true, false, false, false, true, 2, 0, 1, 0, 0, 0, 0, 0},
        {"print without a picture is disabled", "Print1", false, true, false, false, false, false, 0, 0, 0, 0, 0, 0, 0, 0},
        {"print without a printer is disabled", "Print1", true, false, false, false, false, false, 0, 0, 0, 0, 0, 0, 0, 0},
        {"printer setup without a printer", "PrinterSetup1", false, false, false, false, false, false, 0, 0, 0, 0, 0, 0, 0, 0},
        {"print with auto close ends the program", "Print1", true, true, true, false, false, true, 2, 0, 1, 0, 0, 1, 0, 0},
        {"a failed print shows the error, then ends", "Print1", true, true, true, true, false, true, 2, 1, 0, 0, 0, 1, 0, 0},
        {"nothing runs while busy", "Mirror1", true, true, false, false, true, false, 0, 0, 0, 0, 0, 0, 0, 0},
        {"mirror needs a picture", "Mirror1", false, true, false, false, false, false, 0, 0, 0, 0, 0, 0, 0, 0},
        {"F7 needs a picture", "N901", false, true, false, false, false, false, 0, 0, 0, 0, 0, 0, 0, 0},
        {"F7 rotates in busy mode", "N901", true, true, false, false, false, true, 2, 0, 0, 0, 0, 0, 0, 0},
        {"clear needs custom scaling", "Normal1", true, true, false, false, false, false, 0, 0, 0, 0, 0, 0, 0, 0},
        {"new instance starts a program", "NewInstance1", false, true, false, false, false, true, 2, 0, 0, 1, 0, 0, 0, 0},
        {"a web page opens an address", "OrvantoHomepage1", false, true, false, false, false, true, 2, 0, 0, 1, 0, 0, 0, 0},
        {"exit", "Exit1", false, true, false, false, false, true, 0, 0, 0, 0, 0, 1, 0, 0},
        {"background colour asks the window", "BackgroundColor1", false, true, false, false, false, true, 0, 0, 0, 0, 0, 0, 1, 0},
        {"copy puts the picture on the clipboard", "Copy1", true, true, false, false, false, true, 2, 0, 0, 0, 1, 0, 0, 0},
        {"paste needs a picture on the clipboard", "Paste1", false, true, false, false, false, false, 0, 0, 0, 0, 0, 0, 0, 0},
        {"help", "OnlineHelp1", false, true, false, false, false, true, 0, 0, 0, 0, 0, 0, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Printer->Names = c.PrinterPresent ? std::vector<std::string>{"Recording Printer"} : std::vector<std::string>{};
        Printer->FailBegin = c.PrinterFails;
        Printer->Jobs.clear();
        Boxes->Shown.clear();
        Shell->Requests.clear();
        Clipboard->Puts.clear();
        Clipboard->Content = QImage();
        TPrintWorkspace workspace;
        TRecordingHost host;
        TMainCommands commands(workspace, host);
        if (c.Picture) {
            ASSERT_TRUE(workspace.LoadFile(Picture));
        }
        workspace.SetAutoClose(c.AutoClose);
        host.Busy = c.Busy;
        EXPECT_EQ(commands.Dispatch(FindMenuEntry(c.Entry)), c.Ran);
        EXPECT_EQ(host.BusyCalls.size(), c.BusyCalls);
        EXPECT_EQ(Boxes->Shown.size(), c.Boxes);
        EXPECT_EQ(Printer->Jobs.size(), c.Jobs);
        EXPECT_EQ(Shell->Requests.size(), c.ShellRequests);
        EXPECT_EQ(Clipboard->Puts.size(), c.Puts);
        EXPECT_EQ(host.Shutdowns, c.Shutdowns);
        EXPECT_EQ(host.Backgrounds, c.Backgrounds);
        EXPECT_EQ(host.Helps, c.Helps);
    }
}

TEST_F(MainCommands, RotateShowsInTheUndoCaptionAndUndoTurnsBack)
{
    TPrintWorkspace workspace;
    TRecordingHost host;
    TMainCommands commands(workspace, host);
    ASSERT_TRUE(workspace.LoadFile(Picture));
    EXPECT_FALSE(commands.Enabled(FindMenuEntry("Undo1")));
    ASSERT_TRUE(commands.Dispatch(FindMenuEntry("N901")));
    EXPECT_EQ(workspace.Picture().width(), 20);
    EXPECT_EQ(commands.UndoCaption(), "&Undo Rotate");
    ASSERT_TRUE(commands.Dispatch(FindMenuEntry("Undo1")));
    EXPECT_EQ(workspace.Picture().width(), 40);
    EXPECT_TRUE(Boxes->Shown.empty());
}

TEST_F(MainCommands, OpenAsksTheDialogAndLoadsTheChosenFile)
{
    // Open from Library starts in the user's pictures folder, made when missing.
    const std::string home = MakeTempFolder("home");
    const std::string oldHome = getenv("HOME");
    setenv("HOME", home.c_str(), 1);
    TPrintWorkspace workspace;
    TRecordingHost host;
    TMainCommands commands(workspace, host);
    Dialogs->Answer(false, "", 1);
    Dialogs->Answer(true, Picture + ".missing", 1);
    Dialogs->Answer(true, Picture, 1);
    EXPECT_TRUE(commands.Dispatch(FindMenuEntry("Open1")));
    EXPECT_TRUE(host.BusyCalls.empty()) << "a cancelled dialog never enters busy mode";
    EXPECT_TRUE(commands.Dispatch(FindMenuEntry("Open1")));
    EXPECT_TRUE(commands.Dispatch(FindMenuEntry("OpenfromStartButton1")));
    setenv("HOME", oldHome.c_str(), 1);
    ASSERT_EQ(Boxes->Shown.size(), 1u);
    EXPECT_EQ(Boxes->Shown[0].Text, "File not found");
    EXPECT_FALSE(workspace.Empty());
    EXPECT_EQ(commands.OpenInfo().FileName, Picture);
    ASSERT_EQ(Dialogs->Requests.size(), 3u);
    EXPECT_EQ(Dialogs->Requests[0].Kind, TFileDialogKind::OpenWithPreview);
    EXPECT_EQ(Dialogs->Requests[2].InitialFolder, home + "Pictures/");
    EXPECT_TRUE(QDir(QString::fromStdString(home + "Pictures")).exists());
    EXPECT_EQ(Dialogs->Requests[2].Filter.rfind("All Pictures|*.BMP;", 0), 0u);
}

} // namespace

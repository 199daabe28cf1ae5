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
    bool Busy = false, Bar = true, OnTop = false;
    int Shutdowns = 0, Backgrounds = 0, Helps = 0, Abouts = 0;
    void SetBusy(bool on) override { BusyCalls.push_back(on), Busy = on; }
    bool IsBusy() const override { return Busy; }
    void Shutdown() override { ++Shutdowns; }
    bool ButtonBarVisible() const override { return Bar; }
    void SetButtonBarVisible(bool visible) override { Bar = visible; }
    bool PanelOnTop() const override { return OnTop; }
    void SetPanelOnTop(bool onTop) override { OnTop = onTop; }
    void ChooseBackground() override { ++Backgrounds; }
    void ShowHelp() override { ++Helps; }
    void ShowAbout() override { ++Abouts; }
    std::string Status;
    void ShowStatusText(const std::string& text, const std::string&) override { Status = text; }
};

// Installs a recording double for the test's lifetime and puts the real
// service back afterwards.
template <class TDouble, class TService>
struct TInstalled {
    TDouble* Double = new TDouble;
    std::unique_ptr<TService> Old;
    std::unique_ptr<TService> (TPlatform::*Set)(std::unique_ptr<TService>);
    explicit TInstalled(std::unique_ptr<TService> (TPlatform::*set)(std::unique_ptr<TService>))
        : Old((Platform().*set)(std::unique_ptr<TService>(Double))), Set(set) {}
    ~TInstalled() { (Platform().*Set)(std::move(Old)); }
    TDouble* operator->() { return Double; }
};

class MainCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        QImage image(40, 20, QImage::Format_RGB32);
        image.fill(Qt::red);
        ASSERT_TRUE(image.save(QString::fromStdString(Picture)));
    }
    TInstalled<TRecordingPrinter, IPrinter> Printer{&TPlatform::SetPrinter};
    TInstalled<TRecordingMessageBox, IMessageBox> Boxes{&TPlatform::SetMessageBox};
    TInstalled<TRecordingShell, IShell> Shell{&TPlatform::SetShell};
    TInstalled<TRecordingFileDialogs, IFileDialogs> Dialogs{&TPlatform::SetFileDialogs};
    TInstalled<TRecordingClipboard, IClipboard> Clipboard{&TPlatform::SetClipboard};
    std::string Picture = MakeTempFolder("commands") + "picture.bmp";
};

TEST_F(MainCommands, DispatchRunsEnabledCommandsInBusyModeAndReportsFailures)
{
    const struct {
        const char* Name;
        const char* Entry;
        bool Picture, PrinterPresent, AutoClose, PrinterFails, Busy;
        bool Ran;
        std::size_t BusyCalls, Boxes, Jobs, ShellRequests, Puts;
        int Shutdowns;
        const char* Status = ""; // what the last status panel says afterwards
        TServerState Server = TServerState::Answers;
        const char* Box = ""; // the text of the message box shown; empty: not checked
        std::size_t Dialogs = 0; // print dialogs opened
    } cases[] = {
        {"print", "Print1", true, true, false, false, false, true, 2, 0, 1, 0, 0, 0, "Printing on Recording Printer…"},
        {"print without a picture is disabled", "Print1", false, true, false, false, false, false, 0, 0, 0, 0, 0, 0},
        {"print without a printer is disabled", "Print1", true, false, false, false, false, false, 0, 0, 0, 0, 0, 0},
        {"printer setup without a printer", "PrinterSetup1", false, false, false, false, false, false, 0, 0, 0, 0, 0, 0},
        {"printer setup opens the dialog", "PrinterSetup1", false, true, false, false, false, true, 0, 0, 0, 0, 0, 0, "",
         TServerState::Answers, "", 1},
        {"printer setup before the first answer says why", "PrinterSetup1", false, true, false, false, false, true, 0, 1,
         0, 0, 0, 0, "", TServerState::Asking, "Looking for printers…", 0},
        {"printer setup with a silent server says why", "PrinterSetup1", false, true, false, false, false, true, 0, 1,
         0, 0, 0, 0, "", TServerState::Silent, "The print server does not answer: printhost", 0},
        {"printer setup with no print system is disabled", "PrinterSetup1", false, true, false, false, false, false, 0,
         0, 0, 0, 0, 0, "", TServerState::Unreachable, "", 0},
        {"print with auto close ends the program", "Print1", true, true, true, false, false, true, 2, 0, 1, 0, 0, 1,
         "Printing on Recording Printer…"},
        {"a failed print shows the error, then ends", "Print1", true, true, true, true, false, true, 2, 1, 0, 0, 0, 1},
        {"nothing runs while busy", "Mirror1", true, true, false, false, true, false, 0, 0, 0, 0, 0, 0},
        {"F7 needs a picture", "N901", false, true, false, false, false, false, 0, 0, 0, 0, 0, 0},
        {"F7 rotates in busy mode", "N901", true, true, false, false, false, true, 2, 0, 0, 0, 0, 0},
        {"clear needs custom scaling", "Normal1", true, true, false, false, false, false, 0, 0, 0, 0, 0, 0},
        {"new instance starts a program", "NewInstance1", false, true, false, false, false, true, 2, 0, 0, 1, 0, 0},
        {"a web page opens an address", "OrvantoHomepage1", false, true, false, false, false, true, 2, 0, 0, 1, 0, 0},
        {"exit", "Exit1", false, true, false, false, false, true, 0, 0, 0, 0, 0, 1},
        {"copy puts the picture on the clipboard", "Copy1", true, true, false, false, false, true, 2, 0, 0, 0, 1, 0},
        {"paste needs a picture on the clipboard", "Paste1", false, true, false, false, false, false, 0, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Printer->Names = c.PrinterPresent ? std::vector<std::string>{"Recording Printer"} : std::vector<std::string>{};
        Printer->FailBegin = c.PrinterFails;
        Printer->Server = c.Server;
        Printer->DialogPresets.clear();
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
        TPrintWorkspaceInfo info = workspace.Info();
        info.AutoClose = c.AutoClose;
        workspace.ApplyInfo(info);
        host.Busy = c.Busy;
        EXPECT_EQ(commands.Dispatch(FindMenuEntry(c.Entry)), c.Ran);
        EXPECT_EQ(host.BusyCalls.size(), c.BusyCalls);
        EXPECT_EQ(Boxes->Shown.size(), c.Boxes);
        EXPECT_EQ(Printer->Jobs.size(), c.Jobs);
        EXPECT_EQ(Shell->Requests.size(), c.ShellRequests);
        EXPECT_EQ(Clipboard->Puts.size(), c.Puts);
        EXPECT_EQ(host.Shutdowns, c.Shutdowns);
        EXPECT_EQ(host.Status, c.Status);
        if (*c.Box) {
            ASSERT_FALSE(Boxes->Shown.empty());
            EXPECT_EQ(Boxes->Shown.back().Text, c.Box);
        }
        EXPECT_EQ(Printer->DialogPresets.size(), c.Dialogs);
    }
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
    EXPECT_TRUE(commands.Dispatch(FindMenuEntry("Open1")) && host.BusyCalls.empty()) << "cancelled: never busy";
    EXPECT_TRUE(commands.Dispatch(FindMenuEntry("Open1")));
    EXPECT_TRUE(commands.Dispatch(FindMenuEntry("OpenfromStartButton1")));
    setenv("HOME", oldHome.c_str(), 1);
    ASSERT_EQ(Boxes->Shown.size(), 1u);
    EXPECT_EQ(Boxes->Shown[0].Text, "File not found\n" + Picture + ".missing") << "the text, then the file";
    EXPECT_FALSE(workspace.Picture().Empty());
    EXPECT_EQ(commands.OpenInfo().FileName, Picture);
    ASSERT_EQ(Dialogs->Requests.size(), 3u);
    EXPECT_EQ(Dialogs->Requests[0].Kind, TFileDialogKind::OpenWithPreview);
    EXPECT_EQ(Dialogs->Requests[2].InitialFolder, home + "Pictures/");
    EXPECT_EQ(Dialogs->Requests[2].Filter.rfind("All Pictures|*.BMP;", 0), 0u);
}

} // namespace

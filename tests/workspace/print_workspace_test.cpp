#include "workspace/print_workspace.h"

#include "platform/platform.h"
#include "platform/recording_clipboard.h"
#include "platform/recording_message_box.h"
#include "platform/recording_printer.h"
#include "tests/test_support.h"

#include <QColor>
#include <QTransform>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <ostream>
#include <limits>
#include <memory>
#include <string>
#include <vector>

using namespace orvanto;

// Sizes in failure messages as width x height.
void PrintTo(const QSize& size, std::ostream* out)
{
    *out << size.width() << "x" << size.height();
}

namespace {

// The recording devices installed for one test and given back after it.
class Workspace : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto printer = std::make_unique<TRecordingPrinter>();
        Printer = printer.get();
        Printer->PortraitWidth = 2400;
        Printer->PortraitHeight = 3000;
        Printer->ResolutionX = Printer->ResolutionY = 300;
        auto clipboard = std::make_unique<TRecordingClipboard>();
        Clipboard = clipboard.get();
        auto box = std::make_unique<TRecordingMessageBox>();
        Box = box.get();
        OldPrinter = Platform().SetPrinter(std::move(printer));
        OldClipboard = Platform().SetClipboard(std::move(clipboard));
        OldBox = Platform().SetMessageBox(std::move(box));
        OldScreen = Platform().SetScreen(std::make_unique<TFixedScreen>(96));
        Folder = MakeTempFolder("workspace");
    }
    void TearDown() override
    {
        Platform().SetPrinter(std::move(OldPrinter));
        Platform().SetClipboard(std::move(OldClipboard));
        Platform().SetMessageBox(std::move(OldBox));
        Platform().SetScreen(std::move(OldScreen));
    }

    // A picture file of the portable pixmap kind, every pixel its own colour.
    std::string PictureFile(const std::string& name, int width = 30, int height = 20)
    {
        std::string bytes = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                bytes += {char(x * 8), char(y * 12), char((x + y) * 3)};
        const std::string path = Folder + name;
        EXPECT_TRUE(WriteWholeFile(path, bytes));
        return path;
    }

    TRecordingPrinter* Printer = nullptr;
    TRecordingClipboard* Clipboard = nullptr;
    TRecordingMessageBox* Box = nullptr;
    std::string Folder;

private:
    std::unique_ptr<IPrinter> OldPrinter;
    std::unique_ptr<IClipboard> OldClipboard;
    std::unique_ptr<IMessageBox> OldBox;
    std::unique_ptr<IScreen> OldScreen;
};

QImage Colourful(int width, int height)
{
    QImage picture(width, height, QImage::Format_BGR888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixelColor(x, y, QColor(x * 40 % 256, y * 70 % 256, (x * y * 13) % 256));
    return picture;
}

TEST_F(Workspace, StartsWithTheDefaultsAndNoPicture)
{
    TPrintWorkspace workspace;
    const TPrintWorkspaceInfo info = workspace.Info();
    EXPECT_TRUE(workspace.Empty());
    EXPECT_EQ(workspace.Picture().size(), QSize(1, 1));
    EXPECT_EQ(workspace.BkColor(), 0xFF0000u);
    EXPECT_EQ(workspace.UseBkColor(), 0);
    EXPECT_EQ(workspace.EffectiveBackground(), 0xFFFFFFu);
    EXPECT_EQ(workspace.MemoryBudget(), 15000000);
    EXPECT_EQ(info.Scale, psFitToPage);
    EXPECT_EQ(info.Position, ppCenter);
    EXPECT_EQ(info.Quality, pqLow);
    EXPECT_EQ(info.Resolution, 100);
    // The page as the printer reports it, in millimetres for the status bar.
    EXPECT_EQ(info.PageWidth, 2400);
    EXPECT_EQ(info.PageHeightMM, 254);
    EXPECT_EQ(info.Caption, "Orvanto");
    EXPECT_EQ(info.JobTitle, "Orvanto [Low, 1 copy]");
    EXPECT_FALSE(workspace.CanPrint());
}

struct TPrintCase {
    const char* Shows;
    int Quality;
    std::int64_t Budget; // given to SetMemoryBudget
    std::int64_t AllocationLimit;
    int FailStretchFrom;
    bool FailBegin, FailEnd;
    bool Printed;
    std::vector<QSize> Attempts; // page bitmaps the device was handed
    std::int32_t Resolution;
    bool Aborted;
    std::string Error;
};

TEST_F(Workspace, PrintAttemptsAndBudgets)
{
    const std::int64_t none = std::numeric_limits<std::int64_t>::max();
    const TPrintCase cases[] = {
        {"High fills the budget", pqHigh, 15000000, none, -1, false, false, true,
         {{2000, 2500}}, 100, false, ""},
        {"Medium three quarters a side", pqMedium, 15000000, none, -1, false, false, true,
         {{1500, 1875}}, 100, false, ""},
        {"one retry leaves 93 percent", pqHigh, 15000000, 14000000, -1, false, false, true,
         {{2000, 2500}, {1932, 2415}}, 93, false, ""},
        {"a Low retry never grows", pqLow, 15000000, 3000000, -1, false, false, true,
         {{1000, 1250}, {966, 1207}, {930, 1163}, {894, 1117}}, 80, false, ""},
        {"no memory at all", pqHigh, 2500000, 100000, -1, false, false, false,
         {{816, 1020}, {632, 790}}, 60, true, "Out of memory"},
        {"the device fails: no retry", pqHigh, 15000000, none, 0, false, false, false,
         {{2000, 2500}}, 100, true, "The printer failed while printing the page"},
        {"the job cannot start", pqHigh, 15000000, none, -1, true, false, false, {}, 100, false,
         "The printer could not start the print job"},
        {"the print system refuses the job", pqHigh, 15000000, none, -1, false, true, false,
         {{2000, 2500}}, 100, false, "The print system refused the print job"},
        {"the largest budget does not overflow", pqLow, 0, none, -1, false, false, true,
         {{1200, 1500}}, 100, false, ""},
    };
    for (const TPrintCase& c : cases) {
        SCOPED_TRACE(c.Shows);
        Printer->Jobs.clear();
        Printer->AllocationLimit = c.AllocationLimit;
        Printer->FailStretchFrom = c.FailStretchFrom < 0 ? -1 : Printer->StretchCalls + c.FailStretchFrom;
        Printer->FailBegin = c.FailBegin;
        Printer->FailEnd = c.FailEnd;
        TPrintWorkspace workspace;
        Clipboard->Content = Colourful(60, 40);
        ASSERT_TRUE(workspace.PasteFromClipboard());
        workspace.SetMemoryBudget(c.Budget);
        TPrintWorkspaceInfo info = workspace.Info();
        info.Quality = std::uint8_t(c.Quality);
        workspace.ApplyInfo(info);

        EXPECT_EQ(workspace.Print(), c.Printed);
        EXPECT_FALSE(workspace.Printing());
        if (!c.Printed) {
            EXPECT_EQ(workspace.LastError(), c.Error);
        }
        EXPECT_EQ(workspace.Info().Resolution, c.Resolution);
        ASSERT_EQ(Printer->Jobs.size(), c.FailBegin ? 0u : 1u);
        EXPECT_FALSE(Printer->InJob());
        if (c.FailBegin)
            continue;
        const TRecordingPrinter::TJob& job = Printer->Jobs.front();
        EXPECT_EQ(job.Aborted, c.Aborted);
        EXPECT_EQ(job.Ended, !c.Aborted);
        EXPECT_EQ(job.Title, workspace.Info().JobTitle);
        std::vector<QSize> attempts;
        for (const auto& stretch : job.Stretches) {
            EXPECT_EQ(stretch.Destination, QRect(0, 0, 2400, 3000)) << "the whole page";
            attempts.push_back(stretch.Size);
        }
        EXPECT_EQ(attempts, c.Attempts);
        if (!attempts.empty()) {
            EXPECT_EQ(QSize(workspace.Info().LastPrintWidth, workspace.Info().LastPrintHeight),
                      attempts.back());
        }
    }
}

TEST_F(Workspace, TitlesAndCopyTexts)
{
    const struct {
        std::string PrinterName;
        int Quality;
        int Copies;
        std::string Caption, JobTitle, CopiesText;
    } cases[] = {
        {"", pqMedium, 1, "Orvanto", "Orvanto [Medium, 1 copy]", "1 copy"},
        {"Office", pqHigh, 2, "Office - Orvanto", "Office - Orvanto [High, 2 copies]", "2 copies"},
        {"", pqLow, 0, "Orvanto", "Orvanto [Low, 1 copy]", "1 copy"},
        {"", pqLow, 250, "Orvanto", "Orvanto [Low, 99 copies]", "99 copies"},
        {std::string(40, 'n'), pqLow, 1, std::string(32, 'n') + " - Orvanto",
         std::string(32, 'n') + " - Orvanto [Low, 1 copy]", "1 copy"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.JobTitle);
        TPrintWorkspace workspace;
        int changes = 0;
        workspace.OnChange = [&changes](TPrintWorkspace&) { ++changes; };
        TPrintWorkspaceInfo info = workspace.Info();
        info.PrinterName = c.PrinterName;
        info.Quality = std::uint8_t(c.Quality);
        workspace.ApplyInfo(info);
        workspace.SetCopies(c.Copies);
        EXPECT_GE(changes, 2) << "every setting and the copies tell the owner";
        EXPECT_EQ(workspace.Info().Caption, c.Caption);
        EXPECT_EQ(workspace.Info().JobTitle, c.JobTitle);
        EXPECT_EQ(workspace.Info().CopiesText, c.CopiesText);
    }
}

TEST_F(Workspace, PrinterPresence)
{
    const struct {
        const char* Shows;
        std::vector<std::string> Names;
        bool HasCurrent;
        bool Present;
    } cases[] = {
        {"a default printer", {"Office"}, true, true},
        {"no printer at all", {}, true, false},
        {"printers but no default", {"Office", "Lab"}, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        Printer->Names = c.Names;
        Printer->HasCurrent = c.HasCurrent;
        TPrintWorkspace workspace;
        Clipboard->Content = Colourful(4, 4);
        ASSERT_TRUE(workspace.PasteFromClipboard());
        EXPECT_EQ(workspace.PrinterPresent(), c.Present);
        EXPECT_EQ(workspace.CanPrint(), c.Present);
        EXPECT_EQ(workspace.Print(), c.Present);
        if (!c.Present) {
            EXPECT_EQ(workspace.LastError(), "No printer installed");
        }
    }
}

TEST_F(Workspace, CommandLine)
{
    const std::string picture = PictureFile("picture.ppm");
    // The system hands over names with any bytes.
    const std::string odd = PictureFile("p\xe9 \x01'.ppm");
    const struct {
        const char* Shows;
        std::vector<std::string> Arguments;
        bool StoredAutoPrint;
        bool Result;
        bool Loaded;
        std::string Caption;
        int Jobs;        // -1: OnAutoPrinted not fired
        bool NoSave;
        std::string Error;
    } cases[] = {
        {"nothing to do", {}, false, true, false, "Orvanto", -1, false, ""},
        {"an empty first argument", {""}, false, true, false, "Orvanto", -1, false, ""},
        {"a picture alone", {picture}, false, true, true, "Orvanto", -1, false, ""},
        {"any bytes in the name", {odd}, false, true, true, "Orvanto", -1, false, ""},
        {"a picture and a name", {picture, "Office"}, false, true, true, "Office - Orvanto", -1, false, ""},
        {"switch after the picture", {picture, "/autoprint"}, false, true, true, "Orvanto", 1, true, ""},
        {"switch after a name", {picture, "Office", "/AutoPrint"}, false, true, true,
         "Office - Orvanto", 1, true, ""},
        {"stored AutoPrint prints", {picture}, true, true, true, "Orvanto", 1, true, ""},
        {"no switch in fourth place", {picture, "a", "b", "/AUTOPRINT"}, false, true, true,
         "a - Orvanto", -1, false, ""},
        {"a missing picture", {Folder + "missing.ppm", "/AUTOPRINT"}, false, false, false, "Orvanto",
         -1, false, "File not found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        Printer->Jobs.clear();
        TPrintWorkspace workspace;
        workspace.SetAutoPrint(c.StoredAutoPrint);
        int fired = 0;
        bool printed = false;
        workspace.OnAutoPrinted = [&](TPrintWorkspace&, bool ok) {
            ++fired;
            printed = ok;
        };
        EXPECT_EQ(workspace.ProcessCommandLine(c.Arguments), c.Result);
        EXPECT_EQ(!workspace.Empty(), c.Loaded);
        EXPECT_EQ(workspace.Info().Caption, c.Caption);
        EXPECT_EQ(workspace.Info().NoSave, c.NoSave);
        EXPECT_EQ(fired, c.Jobs < 0 ? 0 : 1);
        EXPECT_EQ(int(Printer->Jobs.size()), c.Jobs < 0 ? 0 : c.Jobs);
        if (c.Jobs > 0) {
            EXPECT_TRUE(printed);
            EXPECT_EQ(Printer->Jobs.front().Title, c.Caption + " [Low, 1 copy]");
        }
        if (!c.Result) {
            EXPECT_EQ(workspace.LastError(), c.Error);
        }
    }
    // Qt cannot name it, so it would stay behind in the temporary folder.
    std::remove(odd.c_str());
}

TEST_F(Workspace, AnUnattendedPrintThatFailsIsReportedAndShown)
{
    Printer->FailStretchFrom = 0;
    TPrintWorkspace workspace;
    std::vector<bool> outcomes;
    workspace.OnAutoPrinted = [&](TPrintWorkspace&, bool ok) { outcomes.push_back(ok); };
    EXPECT_TRUE(workspace.ProcessCommandLine({PictureFile("a.ppm"), "/AUTOPRINT"}));
    EXPECT_EQ(outcomes, std::vector<bool>{false});
    ASSERT_EQ(Box->Shown.size(), 1u);
    EXPECT_EQ(Box->Shown[0].Text, "The printer failed while printing the page");
}

using TEdit = std::function<bool(TPrintWorkspace&)>;

TEST_F(Workspace, EditsUndoAndRedo)
{
    const QImage start = Colourful(5, 3);
    const auto turned = [&start](int degrees) { return start.transformed(QTransform().rotate(degrees)); };
    const struct {
        const char* Shows;
        TEdit Edit;
        QImage Edited;
        std::string Caption;
    } cases[] = {
        {"Flip", [](TPrintWorkspace& w) { return w.Flip(); }, start.mirrored(false, true), "Flip"},
        {"Mirror", [](TPrintWorkspace& w) { return w.Mirror(); }, start.mirrored(true, false), "Mirror"},
        {"Invert", [](TPrintWorkspace& w) { return w.Invert(); },
         [&start] { QImage i = start; i.invertPixels(); return i; }(), "Invert"},
        {"Rotate 90", [](TPrintWorkspace& w) { return w.Rotate(90); }, turned(90), "Rotate"},
        {"Rotate -270", [](TPrintWorkspace& w) { return w.Rotate(-270); }, turned(90), "Rotate"},
        {"Rotate -90", [](TPrintWorkspace& w) { return w.Rotate(-90); }, turned(-90), "Rotate"},
        {"Rotate 180", [](TPrintWorkspace& w) { return w.Rotate(180); }, turned(180), "Rotate"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        TPrintWorkspace workspace;
        EXPECT_FALSE(c.Edit(workspace)) << "nothing to edit";
        EXPECT_EQ(workspace.LastError(), "Unexpected error");
        Clipboard->Content = start;
        ASSERT_TRUE(workspace.PasteFromClipboard());
        EXPECT_TRUE(workspace.Undo()) << "nothing to undo is no failure";
        EXPECT_EQ(workspace.UndoCaption(), "");
        EXPECT_EQ(workspace.Picture(), start);

        ASSERT_TRUE(c.Edit(workspace));
        EXPECT_EQ(workspace.Picture(), c.Edited.convertToFormat(QImage::Format_BGR888));
        // The page follows the picture's new shape.
        EXPECT_EQ(workspace.Info().PictureWidth, c.Edited.width());
        EXPECT_EQ(workspace.UndoCaption(), c.Caption);
        ASSERT_TRUE(workspace.Undo());
        EXPECT_EQ(workspace.Picture(), start);
        EXPECT_EQ(workspace.Info().PictureWidth, start.width());
        ASSERT_TRUE(workspace.Undo()) << "a second undo redoes";
        EXPECT_EQ(workspace.Picture(), c.Edited.convertToFormat(QImage::Format_BGR888));
    }
}

TEST_F(Workspace, FailedLoadsAndPastesKeepThePicture)
{
    const std::string corrupt = Folder + "corrupt.omi";
    ASSERT_TRUE(WriteWholeFile(corrupt, "not a picture at all"));
    const std::string unknown = Folder + "picture.xyz";
    ASSERT_TRUE(WriteWholeFile(unknown, "whatever"));
    const struct {
        const char* Shows;
        std::function<void(TRecordingClipboard&)> Prepare;
        TEdit Action;
        std::string Error;
    } cases[] = {
        {"missing file", nullptr, [this](TPrintWorkspace& w) { return w.LoadFile(Folder + "gone.ppm"); },
         "File not found"},
        {"a folder", nullptr, [this](TPrintWorkspace& w) { return w.LoadFile(Folder); }, "File not found"},
        {"damaged file", nullptr, [&](TPrintWorkspace& w) { return w.LoadFile(corrupt); }, "Unknown format"},
        {"unknown extension", nullptr, [&](TPrintWorkspace& w) { return w.LoadFile(unknown); },
         "Index out of range"},
        {"text on the clipboard", [](TRecordingClipboard& c) { c.HoldsOther = true; },
         [](TPrintWorkspace& w) { return w.PasteFromClipboard(); }, "Task failed"},
        {"clipboard picture cannot be taken", [](TRecordingClipboard& c) { c.FailTake = true; },
         [](TPrintWorkspace& w) { return w.PasteFromClipboard(); }, "Task failed"},
    };
    const QImage before = Colourful(7, 4);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        TPrintWorkspace workspace;
        *Clipboard = TRecordingClipboard();
        Clipboard->Content = before;
        ASSERT_TRUE(workspace.PasteFromClipboard());
        ASSERT_TRUE(workspace.Mirror());
        if (c.Prepare)
            c.Prepare(*Clipboard);
        EXPECT_FALSE(c.Action(workspace));
        EXPECT_EQ(workspace.LastError(), c.Error);
        EXPECT_FALSE(workspace.Empty());
        EXPECT_EQ(workspace.Picture(), before.mirrored(true, false));
        EXPECT_EQ(workspace.Info().PictureWidth, 7);
    }
}

TEST_F(Workspace, LoadPasteAndCopyReplaceThePictureWhole)
{
    TPrintWorkspace workspace;
    EXPECT_FALSE(workspace.CopyToClipboard());
    EXPECT_FALSE(workspace.CanPaste());
    ASSERT_TRUE(workspace.LoadFile(PictureFile("load.ppm", 30, 20)));
    EXPECT_EQ(workspace.Picture().size(), QSize(30, 20));
    EXPECT_EQ(workspace.Picture().pixelColor(3, 2), QColor(24, 24, 15));
    EXPECT_TRUE(workspace.CopyToClipboard());
    ASSERT_EQ(Clipboard->Puts.size(), 1u);
    EXPECT_EQ(Clipboard->Puts[0], workspace.Picture());

    // A half-transparent red over white pastes pink, 24-bit.
    QImage glass(2, 2, QImage::Format_ARGB32);
    glass.fill(QColor(255, 0, 0, 128));
    Clipboard->Content = glass;
    EXPECT_TRUE(workspace.CanPaste());
    ASSERT_TRUE(workspace.PasteFromClipboard());
    EXPECT_EQ(workspace.Picture().format(), QImage::Format_BGR888);
    const QColor pink = workspace.Picture().pixelColor(1, 1);
    EXPECT_EQ(pink.red(), 255);
    EXPECT_NEAR(pink.green(), 127, 1);
    EXPECT_EQ(workspace.Info().PictureWidth, 2);
    workspace.Clear();
    EXPECT_TRUE(workspace.Empty());
    EXPECT_FALSE(workspace.CanUndo());
}

// A window that counts what the core asks of it and, like a real one,
// reacts to placing the preview by asking for another relayout.
struct TCountingView final : IWorkspaceView {
    TPrintWorkspace* Workspace = nullptr;
    int Places = 0, Panels = 0, Syncs = 0, Repaints = 0, Colours = 0;
    bool Hand = false;
    bool OnTop = false;
    void PlacePreview() override
    {
        ++Places;
        Workspace->Relayout();
        Workspace->SetPreviewGeometry(240, 300, 260, 320);
    }
    void UpdatePanel() override { ++Panels; }
    void SyncPanel() override { ++Syncs; }
    void RepaintPreview() override { ++Repaints; }
    void PageColourChanged() override { ++Colours; }
    void SetPageCursor(bool hand) override { Hand = hand; }
    void SetPanelOnTop(bool onTop) override { OnTop = onTop; }
    bool PanelOnTop() const override { return OnTop; }
};

TEST_F(Workspace, RelayoutReachesTheWindowOnceEvenWhenItReenters)
{
    TPrintWorkspace workspace;
    TCountingView view;
    view.Workspace = &workspace;
    workspace.SetView(&view);
    int changes = 0;
    workspace.OnChange = [&changes](TPrintWorkspace&) { ++changes; };
    workspace.Relayout();
    EXPECT_EQ(view.Places, 1);
    EXPECT_EQ(view.Panels, 1);
    EXPECT_EQ(changes, 1);
    EXPECT_DOUBLE_EQ(double(workspace.Layout().PreviewFactorX()), 0.1);
    EXPECT_DOUBLE_EQ(double(workspace.Info().FactorY), 320.0 / 3000);

    // A new position relayouts; the pointer becomes the hand for Custom.
    TPrintWorkspaceInfo info = workspace.Info();
    info.Position = ppCustom;
    workspace.ApplyInfo(info);
    EXPECT_EQ(view.Places, 2);
    EXPECT_TRUE(view.Hand);
    EXPECT_EQ(view.Syncs, 1);
    // Quality alone changes only the job.
    info.Quality = pqHigh;
    workspace.ApplyInfo(info);
    EXPECT_EQ(view.Places, 2);
    EXPECT_EQ(workspace.Info().JobTitle, "Orvanto [High, 1 copy]");

    workspace.SetBackground(0x00FF00, 1);
    workspace.SetBackground(0x00FF00, 1);
    EXPECT_EQ(view.Colours, 1) << "the same colour again changes nothing";
    EXPECT_EQ(workspace.EffectiveBackground(), 0x00FF00u);
    workspace.SetMemoryBudget(15000000);
    EXPECT_EQ(view.Places, 2) << "an unchanged budget needs no relayout";
    workspace.SetMemoryBudget(3000000);
    EXPECT_EQ(view.Places, 3);
    workspace.SetView(nullptr);
}

} // namespace

#include "workspace/print_workspace.h"
#include "workspace/early_preview.h"

#include "imaging/library/jpeg_codec.h"
#include "localisation/language.h"
#include "platform/platform.h"
#include "platform/recording_clipboard.h"
#include "platform/recording_message_box.h"
#include "platform/recording_printer.h"
#include "imaging/metafile/metafile.h"
#include "support/messages/messages.h"
#include "support/memory/memory_limit.h"
#include "tests/test_support.h"

#include <QCoreApplication>
#include <QTransform>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <optional>
#include <thread>
#include <tuple>

using namespace orvanto;

namespace {

using TChange = std::function<void(TPrintWorkspaceInfo&)>;
using TAction = std::function<bool(TPrintWorkspace&)>;

// Fresh recording devices for each test; the page is 2400 x 3000 at 300 dpi.
class Workspace : public ::testing::Test {
protected:
    void SetUp() override
    {
        Printer = new TRecordingPrinter;
        Printer->PortraitWidth = 2400;
        Printer->PortraitHeight = 3000;
        Printer->ResolutionX = Printer->ResolutionY = 300;
        Platform().SetPrinter(std::unique_ptr<IPrinter>(Printer));
        Platform().SetClipboard(std::unique_ptr<IClipboard>(Clipboard = new TRecordingClipboard));
        Platform().SetMessageBox(std::unique_ptr<IMessageBox>(Box = new TRecordingMessageBox));
        Platform().SetScreen(std::make_unique<TFixedScreen>(96));
    }
    // A portable pixmap file, every pixel its own colour.
    std::string PictureFile(const std::string& name)
    {
        std::string bytes = "P6\n30 20\n255\n";
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 30; ++x)
                bytes += {char(x * 8), char(y * 12), char((x + y) * 3)};
        EXPECT_TRUE(WriteWholeFile(Folder + name, bytes));
        return Folder + name;
    }
    void Paste(TPrintWorkspace& workspace, const QImage& picture)
    {
        Clipboard->Content = picture;
        EXPECT_TRUE(workspace.PasteFromClipboard());
    }
    static void Apply(TPrintWorkspace& workspace, const TChange& change)
    {
        TPrintWorkspaceInfo info = workspace.Info();
        change(info);
        workspace.ApplyInfo(info);
    }

    TRecordingPrinter* Printer = nullptr;
    TRecordingClipboard* Clipboard = nullptr;
    TRecordingMessageBox* Box = nullptr;
    const std::string Folder = MakeTempFolder("workspace");
};

QImage Colourful(int width, int height)
{
    QImage picture(width, height, QImage::Format_BGR888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixelColor(x, y, QColor(x * 40 % 256, y * 70 % 256, (x * y * 13) % 256));
    return picture;
}

TEST_F(Workspace, PrintAttemptsAndBudgets)
{
    const std::int64_t none = std::numeric_limits<std::int64_t>::max();
    const struct {
        const char* Shows;
        int Quality;
        std::int64_t Budget, AllocationLimit;
        int FailStretch; // -1 never
        bool FailBegin, FailEnd, Printed;
        std::vector<QSize> Attempts; // the page bitmaps handed to the device
        std::int32_t Resolution;
        std::string Error;
        // Esc comes as the job reaches this call of the printer; none: never.
        const char* CancelIn = nullptr;
        bool Aborted = false; // nothing of the job prints
        int CancelCalls = 0;  // the print system asked to call it back
    } cases[] = {
        {"High fills the budget", pqHigh, 15000000, none, -1, false, false, true, {{2000, 2500}}, 100, ""},
        {"Medium: three quarters a side", pqMedium, 15000000, none, -1, false, false, true, {{1500, 1875}}, 100, ""},
        {"one retry leaves 93 percent", pqHigh, 15000000, 14000000, -1, false, false, true,
         {{2000, 2500}, {1932, 2415}}, 93, ""},
        {"a Low retry never grows", pqLow, 15000000, 3000000, -1, false, false, true,
         {{1000, 1250}, {966, 1207}, {930, 1163}, {894, 1117}}, 80, ""},
        {"no memory at all", pqHigh, 2500000, 100000, -1, false, false, false, {{816, 1020}, {632, 790}}, 60,
         "Out of memory", nullptr, true},
        {"the device fails: no retry", pqHigh, 15000000, none, 0, false, false, false, {{2000, 2500}}, 100,
         "The printer failed while printing the page", nullptr, true},
        {"the job cannot start", pqHigh, 15000000, none, -1, true, false, false, {}, 100,
         "The printer could not start the print job"},
        {"the print system refuses the job", pqHigh, 15000000, none, -1, false, true, false, {{2000, 2500}},
         100, "The print system refused the print job"},
        {"the largest budget does not overflow", pqLow, 0, none, -1, false, false, true, {{1200, 1500}}, 100, ""},
        {"Esc while the page is drawn: no page, no error", pqHigh, 15000000, none, -1, false, false, false, {},
         100, "", "BeginDoc", true},
        {"Esc as the page goes to the device: the job is dropped", pqHigh, 15000000, none, -1, false, false,
         false, {{2000, 2500}}, 100, "", "StretchToDevice", true},
        {"Esc as the job is handed over: called back from the print system", pqHigh, 15000000, none, -1, false,
         false, true, {{2000, 2500}}, 100, "", "EndDoc", false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        Printer->Jobs.clear();
        Printer->AllocationLimit = c.AllocationLimit;
        Printer->FailStretchFrom = c.FailStretch < 0 ? -1 : Printer->StretchCalls + c.FailStretch;
        Printer->FailBegin = c.FailBegin;
        Printer->FailEnd = c.FailEnd;
        TPrintWorkspace workspace;
        Paste(workspace, Colourful(60, 40));
        workspace.SetMemoryBudget(c.Budget);
        Apply(workspace, [&c](TPrintWorkspaceInfo& i) { i.Quality = TPrintQuality(c.Quality); });
        Printer->CancelCalls = 0;
        Printer->OnCall = [&](const std::string& call) {
            if (c.CancelIn && call == c.CancelIn)
                workspace.CancelPrint();
        };
        EXPECT_EQ(workspace.Print(), c.Printed);
        Printer->OnCall = nullptr;
        EXPECT_EQ(workspace.PrintCancelled(), c.CancelIn != nullptr);
        EXPECT_EQ(Printer->CancelCalls, c.CancelCalls);
        // LastError is read only after a false result; what a success leaves
        // there is no one's business.
        if (!c.Printed) {
            EXPECT_EQ(workspace.LastError(), c.Error);
        }
        EXPECT_FALSE(workspace.Printing());
        EXPECT_EQ(workspace.Info().LastPrint.Resolution, c.Resolution);
        EXPECT_FALSE(Printer->InJob());
        ASSERT_EQ(Printer->Jobs.size(), c.FailBegin ? 0u : 1u);
        if (c.FailBegin)
            continue;
        const TRecordingPrinter::TJob& job = Printer->Jobs.front();
        // Nothing of a job that failed on the device or for memory prints.
        EXPECT_EQ(job.Aborted, c.Aborted);
        EXPECT_EQ(job.Title, workspace.Info().Texts.JobTitle);
        std::vector<QSize> attempts;
        for (const auto& stretch : job.Stretches) {
            EXPECT_EQ(stretch.Destination, QRect(0, 0, 2400, 3000)) << "the whole page";
            attempts.push_back(stretch.Size);
        }
        EXPECT_EQ(attempts, c.Attempts);
        if (!attempts.empty()) {
            EXPECT_EQ(QSize(workspace.Info().LastPrint.Width, workspace.Info().LastPrint.Height),
                      attempts.back());
        }
    }
}

// The page the printer gets: its orientation, and every pixel of the page
// bitmap either the picture (inside the rectangle the layout gives) or the
// page colour. Low quality with no budget limit renders the 2400 x 3000
// page at exactly half a side, so page pixel (x, y) is bitmap (x/2, y/2);
// the 48 x 32 picture is 150 x 100 page pixels at actual size (300 dpi
// printer, 96 ppi screen).
TEST_F(Workspace, ThePrintedPageShowsThePictureWhereTheLayoutPutsIt)
{
    const QColor ink(220, 0, 0), white(Qt::white), blue(0, 0, 255);
    const struct {
        const char* Shows;
        int Scale, Position, Orientation;
        std::int32_t X, Y, ZoomXY;
        std::uint32_t BkColor; // as stored: 0x00BBGGRR
        int UseBkColor;
        QRect Picture; // in the page bitmap
        QColor Page;
        std::int32_t SizeX = 10000, SizeY = 15000; // Exact Size, hundredths of a mm
        bool Fill = false;
    } cases[] = {
        {"as is, top left", psAsIs, ppTopLeft, poPortrait, 0, 0, 0, 0xFF0000, 0, {0, 0, 24, 16}, white},
        {"as is, top right", psAsIs, ppTopRight, poPortrait, 0, 0, 0, 0xFF0000, 0, {1176, 0, 24, 16}, white},
        {"as is, bottom left", psAsIs, ppBottomLeft, poPortrait, 0, 0, 0, 0xFF0000, 0, {0, 1484, 24, 16}, white},
        {"as is, bottom right", psAsIs, ppBottomRight, poPortrait, 0, 0, 0, 0xFF0000, 0, {1176, 1484, 24, 16},
         white},
        {"as is, centre", psAsIs, ppCenter, poPortrait, 0, 0, 0, 0xFF0000, 0, {588, 742, 24, 16}, white},
        {"a custom offset", psAsIs, ppCustom, poPortrait, 400, 1000, 0, 0xFF0000, 0, {200, 500, 24, 16}, white},
        {"dragged off the page: pinned 3 pixels inside", psAsIs, ppCustom, poPortrait, 10000, -5000, 0, 0xFF0000,
         0, {1197, 0, 3, 3}, white},
        {"actual size", psActualSize, ppTopLeft, poPortrait, 0, 0, 0, 0xFF0000, 0, {0, 0, 75, 50}, white},
        {"scale to page, centred", psScaleToPage, ppCenter, poPortrait, 0, 0, 0, 0xFF0000, 0,
         {0, 350, 1200, 800}, white},
        {"fit to page covers it", psFitToPage, ppCenter, poPortrait, 0, 0, 0, 0xFF0000, 0, {0, 0, 1200, 1500},
         white},
        {"custom fixed at 100 percent", psCustomFixed, ppBottomRight, poPortrait, 0, 0, 100, 0xFF0000, 0,
         {1152, 1468, 48, 32}, white},
        {"landscape turns the page", psAsIs, ppBottomRight, poLandscape, 0, 0, 0, 0xFF0000, 0,
         {1476, 1184, 24, 16}, white},
        {"the background colour is the page colour", psAsIs, ppCenter, poPortrait, 0, 0, 0, 0xFF0000, 1,
         {588, 742, 24, 16}, blue},
        {"a colour not in use leaves the page white", psAsIs, ppCenter, poLandscape, 0, 0, 0, 0x00FF00, 0,
         {738, 592, 24, 16}, white},
        // 10 x 15 cm at 300 dpi is a box of 1181 x 1772 printer pixels; the
        // 3:2 picture fits it 787 high, with bands of 492 above and below.
        {"exact size, fit: bands above and below", psExactSize, ppTopLeft, poPortrait, 0, 0, 0, 0xFF0000, 0,
         {0, 246, 590, 394}, white},
        {"exact size, fill: the whole box", psExactSize, ppCenter, poPortrait, 0, 0, 0, 0xFF0000, 0,
         {304, 307, 590, 886}, white, 10000, 15000, true},
        // 20 x 10 cm is 2362 x 1181: the 3:2 picture fits it 1772 wide, with
        // bands of 295 beside it.
        {"exact size, fit: bands beside", psExactSize, ppTopLeft, poPortrait, 0, 0, 0, 0xFF0000, 0,
         {148, 0, 886, 590}, white, 20000, 10000},
        {"exact size of the picture's own shape", psExactSize, ppBottomRight, poPortrait, 0, 0, 0, 0xFF0000, 0,
         {1023, 1382, 177, 118}, white, 3000, 2000},
    };
    QImage picture(48, 32, QImage::Format_BGR888);
    picture.fill(ink);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        Printer->Jobs.clear();
        TPrintWorkspace workspace;
        Paste(workspace, picture);
        workspace.SetMemoryBudget(0);
        Apply(workspace, [&c](TPrintWorkspaceInfo& i) {
            i.Quality = pqLow;
            std::tie(i.BkColor, i.UseBkColor) = std::tuple(c.BkColor, c.UseBkColor);
            std::tie(i.Scale, i.Position, i.Orientation) =
                std::tuple(TPrintScale(c.Scale), TPrintPosition(c.Position), TPrintOrientation(c.Orientation));
            std::tie(i.X, i.Y, i.ZoomXY) = std::tuple(c.X, c.Y, c.ZoomXY);
            std::tie(i.SizeX, i.SizeY, i.SizeFill) = std::tuple(c.SizeX, c.SizeY, c.Fill);
        });
        ASSERT_TRUE(workspace.Print()) << workspace.LastError();
        ASSERT_EQ(Printer->Jobs.size(), 1u);
        const TRecordingPrinter::TJob& job = Printer->Jobs.front();
        EXPECT_EQ(job.Orientation, c.Orientation);
        ASSERT_EQ(job.Stretches.size(), 1u);
        const bool turned = c.Orientation == poLandscape;
        EXPECT_EQ(job.Stretches[0].Destination, turned ? QRect(0, 0, 3000, 2400) : QRect(0, 0, 2400, 3000));
        const QImage page = job.Stretches[0].Bitmap.convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(page.size(), turned ? QSize(1500, 1200) : QSize(1200, 1500));
        int wrong = 0;
        QPoint first;
        for (int y = 0; y < page.height(); ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(page.constScanLine(y));
            for (int x = 0; x < page.width(); ++x) {
                const QColor expected = c.Picture.contains(x, y) ? ink : c.Page;
                if (line[x] != expected.rgb() && wrong++ == 0)
                    first = QPoint(x, y);
            }
        }
        EXPECT_EQ(wrong, 0) << "first at (" << first.x() << ", " << first.y() << ") is "
                            << QColor(page.pixel(first)).name().toStdString();
    }
}

TEST_F(Workspace, APosterPrintsOneSheetAPageAndAsksBeyondAHundred)
{
    // 300 dpi: a tile of 2282 x 2882 inside the 5 mm border, and 10 mm of
    // overlap is 118 pixels, so a tile moves on by 2164 across.
    const struct {
        const char* Shows;
        bool Poster;
        std::int32_t SizeX, SizeY; // hundredths of a mm
        int Copies;
        int Answer;                // the question's answer, when asked
        bool Printed;
        int Pages;
        std::size_t Asked;
        const char* Error;
    } cases[] = {
        {"30 x 20 cm over two sheets", true, 30000, 20000, 1, 1, true, 2, 0, ""},
        {"copies print the set again", true, 30000, 20000, 3, 1, true, 2, 0, ""},
        {"without Poster the page cuts it", false, 30000, 20000, 1, 1, true, 1, 0, ""},
        {"a picture that fits needs one sheet", true, 15000, 10000, 1, 1, true, 1, 0, ""},
        {"3 x 2 m: more than 100 sheets, the user says no", true, 300000, 200000, 1, 0, false, 0, 1, ""},
        {"nobody to ask: not printed", true, 300000, 200000, 1, -1, false, 0, 1,
         "A poster of more than 100 sheets is not printed unattended"},
    };
    QImage picture(48, 32, QImage::Format_BGR888);
    picture.fill(QColor(0, 0, 200));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        Printer->Jobs.clear();
        Box->Asked.clear();
        Box->Answer = c.Answer;
        TPrintWorkspace workspace;
        Paste(workspace, picture);
        Apply(workspace, [&c](TPrintWorkspaceInfo& i) {
            std::tie(i.Scale, i.Position, i.Poster, i.PosterOverlap) = std::tuple(psExactSize, ppCenter, c.Poster, 1000);
            std::tie(i.SizeX, i.SizeY, i.SizeLock, i.Copies) = std::tuple(c.SizeX, c.SizeY, false, c.Copies);
        });
        EXPECT_EQ(workspace.Print(), c.Printed);
        if (!c.Printed) {
            EXPECT_EQ(workspace.LastError(), c.Error);
        }
        ASSERT_EQ(Box->Asked.size(), c.Asked);
        if (c.Asked) {
            EXPECT_NE(Box->Asked[0].Text.find("sheets"), std::string::npos) << Box->Asked[0].Text;
            EXPECT_NE(Box->Asked[0].Text.find("153"), std::string::npos) << "17 x 9 sheets: " << Box->Asked[0].Text;
        }
        if (!c.Printed) {
            EXPECT_TRUE(Printer->Jobs.empty());
            continue;
        }
        ASSERT_EQ(Printer->Jobs.size(), 1u);
        const TRecordingPrinter::TJob& job = Printer->Jobs.front();
        EXPECT_TRUE(job.Ended);
        EXPECT_EQ(job.Pages, c.Pages);
        EXPECT_EQ(job.Copies, c.Copies);
        ASSERT_EQ(job.Stretches.size(), std::size_t(c.Pages));
        for (int page = 0; page < c.Pages; ++page)
            EXPECT_EQ(job.Stretches[std::size_t(page)].Page, page);
    }
}

TEST_F(Workspace, ThePrinterAndPaperChosenComeBackWhileTheyExist)
{
    Printer->Names = {"Office", "Laser"};
    const struct {
        const char* Shows;
        const char* Printer;
        const char* Paper;
        const char* PrintedOn;
        const char* PrintedPaper;
    } cases[] = {
        {"the stored printer", "Laser", "", "Laser", "iso_a4_210x297mm"},
        {"a printer that is gone: the default", "Gone", "", "Office", "iso_a4_210x297mm"},
        {"the stored paper", "", "na_letter_8.5x11in", "Office", "na_letter_8.5x11in"},
        {"a paper the printer lacks: its own", "", "iso_a3_297x420mm", "Office", "iso_a4_210x297mm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        Platform().SetPrinter(std::unique_ptr<IPrinter>(Printer = new TRecordingPrinter));
        Printer->Names = {"Office", "Laser"};
        Printer->Jobs.clear();
        TPrintWorkspace workspace;
        Paste(workspace, Colourful(8, 8));
        Apply(workspace, [&c](TPrintWorkspaceInfo& i) { std::tie(i.Printer, i.Paper) = std::tuple(c.Printer, c.Paper); });
        ASSERT_TRUE(workspace.Print()) << workspace.LastError();
        ASSERT_EQ(Printer->Jobs.size(), 1u);
        EXPECT_EQ(Printer->Jobs[0].Printer, c.PrintedOn);
        EXPECT_EQ(Printer->Jobs[0].Paper, c.PrintedPaper);
    }
    // Printer Setup's choice becomes the settings' printer and paper.
    TPrintWorkspace workspace;
    Printer->SelectPrinter("Laser");
    Printer->SetPaper("na_letter_8.5x11in");
    ASSERT_TRUE(workspace.PrinterSetup());
    EXPECT_EQ(workspace.Info().Printer, "Laser");
    EXPECT_EQ(workspace.Info().Paper, "na_letter_8.5x11in");
}

TEST_F(Workspace, TitlesCopiesAndPrinterPresence)
{
    const struct {
        std::string PrinterName;
        int Quality, Copies;
        std::vector<std::string> Printers;
        bool HasCurrent;
        std::string JobTitle, CopiesText;
        bool CanPrint;
    } cases[] = {
        {"", pqMedium, 1, {"Office"}, true, "Orvanto [Medium, 1 copy]", "1 copy", true},
        {"Office", pqHigh, 2, {"Office"}, true, "Office - Orvanto [High, 2 copies]", "2 copies", true},
        {"", pqLow, 0, {"Office"}, true, "Orvanto [Low, 1 copy]", "1 copy", true},
        {"", pqLow, 250, {"Office"}, true, "Orvanto [Low, 99 copies]", "99 copies", true},
        {std::string(40, 'n'), pqLow, 1, {"Office"}, true, std::string(32, 'n') + " - Orvanto [Low, 1 copy]",
         "1 copy", true},
        {"", pqLow, 1, {}, true, "Orvanto [Low, 1 copy]", "1 copy", false},
        // CUPS may list printers and have no default: nothing can print.
        {"", pqLow, 1, {"Office", "Lab"}, false, "Orvanto [Low, 1 copy]", "1 copy", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.JobTitle);
        Printer->Names = c.Printers;
        Printer->HasCurrent = c.HasCurrent;
        TPrintWorkspace workspace;
        EXPECT_FALSE(workspace.CanPrint()) << "no picture";
        Paste(workspace, Colourful(4, 4));
        int changes = 0;
        workspace.OnChange = [&changes](TPrintWorkspace&, TWorkspaceChanges) { ++changes; };
        Apply(workspace, [&c](TPrintWorkspaceInfo& i) {
            i.PrinterName = c.PrinterName;
            i.Quality = TPrintQuality(c.Quality);
        });
        Apply(workspace, [&c](TPrintWorkspaceInfo& i) { i.Copies = c.Copies; });
        EXPECT_EQ(changes, 2) << "each change tells the owner";
        EXPECT_EQ(workspace.Info().Texts.JobTitle, c.JobTitle);
        EXPECT_EQ(workspace.Info().Texts.CopiesText, c.CopiesText);
        EXPECT_EQ(workspace.CanPrint(), c.CanPrint);
        EXPECT_EQ(workspace.Print(), c.CanPrint);
        if (!c.CanPrint) {
            EXPECT_EQ(workspace.LastError(), "No printer installed");
        }
    }
    // The failure is kept in English and translated once, when it is shown.
    ASSERT_TRUE(Language()->AddEntry("No printer installed", "Kein Drucker installiert"));
    Printer->Names = {};
    TPrintWorkspace workspace;
    Paste(workspace, Colourful(4, 4));
    EXPECT_FALSE(workspace.Print());
    EXPECT_EQ(workspace.LastError(), "No printer installed");
    Language()->Reset();
}

TEST_F(Workspace, CommandLine)
{
    const std::string picture = PictureFile("picture.ppm");
    const std::string odd = PictureFile("p\xe9 \x01'.ppm"); // names may hold any bytes
    const std::vector<bool> none, printed{true}, failed{false};
    const struct {
        const char* Shows;
        std::vector<std::string> Arguments;
        bool StoredAutoPrint, DeviceFails, Result, Loaded;
        std::string Caption;
        std::vector<bool> AutoPrinted; // what OnAutoPrinted told; a job and NoSave with it
        std::string Error;             // of a false result, or shown after the print
    } cases[] = {
        {"nothing to do", {}, false, false, true, false, "Orvanto", none, ""},
        {"an empty first argument", {""}, false, false, true, false, "Orvanto", none, ""},
        {"any bytes in the name", {odd}, false, false, true, true, "Orvanto", none, ""},
        {"a picture and a name", {picture, "Office"}, false, false, true, true, "Office - Orvanto", none, ""},
        {"switch after the picture", {picture, "/autoprint"}, false, false, true, true, "Orvanto", printed, ""},
        {"switch after a name", {picture, "Office", "/AutoPrint"}, false, false, true, true, "Office - Orvanto",
         printed, ""},
        {"stored AutoPrint prints", {picture}, true, false, true, true, "Orvanto", printed, ""},
        {"no switch in fourth place", {picture, "a", "b", "/AUTOPRINT"}, false, false, true, true, "a - Orvanto",
         none, ""},
        {"a missing picture", {Folder + "missing.ppm", "/AUTOPRINT"}, false, false, false, false, "Orvanto",
         none, "File not found"},
        {"a failed print is shown and told", {picture, "/AUTOPRINT"}, false, true, true, true, "Orvanto", failed,
         "The printer failed while printing the page"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        Printer->Jobs.clear();
        Printer->FailStretchFrom = c.DeviceFails ? 0 : -1;
        Box->Shown.clear();
        TPrintWorkspace workspace;
        Apply(workspace, [&c](TPrintWorkspaceInfo& i) { i.AutoPrint = c.StoredAutoPrint; });
        std::vector<bool> outcomes;
        workspace.OnAutoPrinted = [&outcomes](TPrintWorkspace&, bool ok) { outcomes.push_back(ok); };
        EXPECT_EQ(workspace.ProcessCommandLine(ParseCommandLine(c.Arguments)), c.Result);
        EXPECT_EQ(!workspace.Picture().Empty(), c.Loaded);
        EXPECT_EQ(workspace.Info().Texts.Caption, c.Caption);
        EXPECT_EQ(outcomes, c.AutoPrinted);
        if (c.Loaded) {
            EXPECT_EQ(IsUnattended(ParseCommandLine(c.Arguments), c.StoredAutoPrint), !c.AutoPrinted.empty());
        }
        EXPECT_EQ(workspace.Info().NoSave, !c.AutoPrinted.empty());
        ASSERT_EQ(Printer->Jobs.size(), c.AutoPrinted.size());
        if (!c.AutoPrinted.empty()) {
            EXPECT_EQ(Printer->Jobs.front().Title, c.Caption + " [Low, 1 copy]");
        }
        if (!c.Result) {
            EXPECT_EQ(workspace.LastError(), c.Error);
        }
        // A failed unattended print is shown; the window shows a failed load.
        ASSERT_EQ(Box->Shown.size(), c.DeviceFails ? 1u : 0u);
        if (c.DeviceFails) {
            EXPECT_EQ(Box->Shown[0].Text, c.Error);
        }
    }
    std::remove(odd.c_str()); // Qt cannot name it to clean it up
}

TEST_F(Workspace, ZoomCommandsAndTheirAvailability)
{
    constexpr std::int32_t Int32Max = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t Int32Min = std::numeric_limits<std::int32_t>::min();
    const struct {
        const char* Name;
        int Scale;
        bool Picture;
        int Mode, Percent;
        std::int32_t ZoomX, ZoomY, ZoomXY;            // before
        bool CanZoom;
        std::int32_t AfterX, AfterY, AfterXY, Current; // after
    } cases[] = {
        {"custom adds to both", psCustom, true, 1, 300, 10, -40, 7, true, 310, 260, 7, 310},
        {"custom sets both", psCustom, true, 0, 25, 10, -40, 7, true, 25, 25, 7, 25},
        {"custom needs a picture", psCustom, false, 1, 300, 10, -40, 7, false, 10, -40, 7, 10},
        {"fixed adds", psCustomFixed, false, 1, -75, 10, -40, 7, true, 10, -40, -68, -68},
        {"fixed clears", psCustomFixed, true, 0, 0, 10, -40, 7, true, 10, -40, 0, 0},
        {"fixed adds without wrapping", psCustomFixed, true, 1, 300, 0, 0, Int32Max - 5, true, 0, 0,
         Int32Max, Int32Max},
        {"custom takes away without wrapping", psCustom, true, 1, -300, Int32Min + 5, 10, 7, true, Int32Min,
         -290, 7, Int32Min},
        {"fit to page cannot zoom", psFitToPage, true, 1, 300, 10, -40, 7, false, 10, -40, 7, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TPrintWorkspace workspace;
        if (c.Picture)
            Paste(workspace, Colourful(8, 6));
        Apply(workspace, [&c](TPrintWorkspaceInfo& i) {
            i.Scale = TPrintScale(c.Scale);
            std::tie(i.ZoomX, i.ZoomY, i.ZoomXY) = std::tuple(c.ZoomX, c.ZoomY, c.ZoomXY);
        });
        EXPECT_EQ(workspace.Layout().CanZoom(!workspace.Picture().Empty()), c.CanZoom);
        workspace.ZoomCommand(c.Mode == 1 ? TZoomMode::Add : TZoomMode::Set, c.Percent);
        EXPECT_EQ(workspace.Info().ZoomX, c.AfterX);
        EXPECT_EQ(workspace.Info().ZoomY, c.AfterY);
        EXPECT_EQ(workspace.Info().ZoomXY, c.AfterXY);
        EXPECT_EQ(workspace.Layout().CurrentZoom(), c.Current);
    }
}

TEST_F(Workspace, CentringMovesTheCustomOffsets)
{
    const struct {
        int Position;
        bool Picture;
        int PictureWidth, PictureHeight;
        bool Centred;
        int X, Y;
    } cases[] = {
        {ppCustom, true, 400, 1000, true, 1000, 1000},
        {ppCustom, true, 2407, 3009, true, -3, -4}, // larger than the page: truncated halves
        {ppCustom, false, 400, 1000, false, 11, 22},
        {ppCenter, true, 400, 1000, false, 11, 22},
    };
    for (const auto& c : cases) {
        TPrintWorkspace workspace;
        if (c.Picture) {
            QImage picture(c.PictureWidth, c.PictureHeight, QImage::Format_BGR888);
            picture.fill(Qt::gray);
            Paste(workspace, picture);
        }
        Apply(workspace, [&c](TPrintWorkspaceInfo& i) {
            std::tie(i.Scale, i.Position, i.X, i.Y) = std::tuple(psAsIs, TPrintPosition(c.Position), 11, 22);
        });
        EXPECT_EQ(workspace.Layout().CanCenter(!workspace.Picture().Empty()), c.Centred);
        workspace.CenterPicture();
        EXPECT_EQ(workspace.Info().X, c.X);
        EXPECT_EQ(workspace.Info().Y, c.Y);
        EXPECT_EQ(workspace.Info().Position, c.Position);
    }
}

TEST_F(Workspace, EditsUndoAndRedo)
{
    const QImage start = Colourful(5, 3);
    const auto turned = [&start](int degrees) { return start.transformed(QTransform().rotate(degrees)); };
    QImage negative = start;
    negative.invertPixels();
    const struct {
        const char* Caption;
        TAction Edit;
        QImage Edited;
    } cases[] = {
        {"Flip", [](TPrintWorkspace& w) { return w.Flip(); }, start.mirrored(false, true)},
        {"Mirror", [](TPrintWorkspace& w) { return w.Mirror(); }, start.mirrored(true, false)},
        {"Invert", [](TPrintWorkspace& w) { return w.Invert(); }, negative},
        {"Rotate", [](TPrintWorkspace& w) { return w.Rotate(90); }, turned(90)},
        {"Rotate", [](TPrintWorkspace& w) { return w.Rotate(-270); }, turned(90)},
        {"Rotate", [](TPrintWorkspace& w) { return w.Rotate(-90); }, turned(-90)},
        {"Rotate", [](TPrintWorkspace& w) { return w.Rotate(180); }, turned(180)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Caption);
        const QImage edited = c.Edited.convertToFormat(QImage::Format_BGR888);
        TPrintWorkspace workspace;
        EXPECT_FALSE(c.Edit(workspace)) << "nothing to edit";
        EXPECT_EQ(workspace.LastError(), "Unexpected error");
        Paste(workspace, start);
        EXPECT_TRUE(workspace.Undo()) << "nothing to undo is no failure";
        EXPECT_EQ(workspace.Picture().UndoCaption(), "");
        ASSERT_TRUE(c.Edit(workspace));
        EXPECT_EQ(workspace.Picture().Bitmap(), edited);
        EXPECT_EQ(workspace.Info().Geometry.PictureWidth, edited.width()) << "the page follows the picture";
        EXPECT_EQ(workspace.Picture().UndoCaption(), c.Caption);
        ASSERT_TRUE(workspace.Undo());
        EXPECT_EQ(workspace.Picture().Bitmap(), start);
        EXPECT_EQ(workspace.Info().Geometry.PictureWidth, start.width());
        ASSERT_TRUE(workspace.Undo()) << "a second undo redoes";
        EXPECT_EQ(workspace.Picture().Bitmap(), edited);
    }
}

TEST_F(Workspace, LoadsAndPastesReplaceThePictureWholeOrNotAtAll)
{
    const std::string corrupt = Folder + "corrupt.omi", unknown = Folder + "picture.xyz";
    ASSERT_TRUE(WriteWholeFile(corrupt, "not a picture at all") && WriteWholeFile(unknown, "whatever"));
    const std::string good = PictureFile("good.ppm"), photo = Folder + "photo.jpg";
    std::string error;
    QImage grey(40, 800, QImage::Format_BGR888); // grey survives JPEG exactly
    grey.fill(QColor(128, 128, 128));
    ASSERT_TRUE(SaveJpegFile(grey, 90, photo, error));
    const std::string png = Folder + "photo.png", gif = Folder + "noise.gif";
    ASSERT_TRUE(grey.save(QString::fromStdString(png)));
    // Noise, so that the first frame's data spans several reads.
    ASSERT_EQ(std::system(("convert -size 40x800 xc: +noise Random -colors 200 -fill 'rgb(128,128,128)' "
                           "-draw 'point 1,1' " + gif).c_str()),
              0);
    QImage glass(2, 2, QImage::Format_ARGB32); // half-transparent red pastes pink over white
    glass.fill(QColor(255, 0, 0, 128));
    const struct {
        const char* Shows;
        std::function<void(TRecordingClipboard&)> Prepare;
        TAction Action;
        std::string Error; // empty: succeeds
        QSize Size;
        QColor Pixel;      // at (1, 1)
        std::size_t Reports = 0; // progress reports at least, the last 100; 0: none reaches 100
        // The mirror before it can still be undone: only an attempt that
        // got past its first check forgets the last edit.
        bool UndoKept = false;
    } cases[] = {
        {"missing file", nullptr, [&](TPrintWorkspace& w) { return w.LoadFile(Folder + "gone.ppm"); },
         "File not found", {}, {}, 0, true},
        {"a folder", nullptr, [&](TPrintWorkspace& w) { return w.LoadFile(Folder); }, "File not found", {}, {}, 0,
         true},
        {"damaged file", nullptr, [&](TPrintWorkspace& w) { return w.LoadFile(corrupt); }, "Unknown format", {}, {}},
        {"unknown extension", nullptr, [&](TPrintWorkspace& w) { return w.LoadFile(unknown); },
         "Index out of range", {}, {}},
        {"text on the clipboard", [](TRecordingClipboard& b) { b.HoldsOther = true; },
         [](TPrintWorkspace& w) { return w.PasteFromClipboard(); }, "Task failed", {}, {}, 0, true},
        {"clipboard picture cannot be taken", [](TRecordingClipboard& b) { b.FailTake = true; },
         [](TPrintWorkspace& w) { return w.PasteFromClipboard(); }, "Task failed", {}, {}},
        {"a good file", nullptr, [&](TPrintWorkspace& w) { return w.LoadFile(good); }, "", {30, 20}, {8, 12, 6}, 2},
        {"a JPEG reports as its rows come", nullptr, [&](TPrintWorkspace& w) { return w.LoadFile(photo); }, "",
         {40, 800}, {128, 128, 128}, 50},
        {"a PNG reports as its rows come", nullptr, [&](TPrintWorkspace& w) { return w.LoadFile(png); }, "",
         {40, 800}, {128, 128, 128}, 50},
        {"a GIF reports as its data is read", nullptr, [&](TPrintWorkspace& w) { return w.LoadFile(gif); }, "",
         {40, 800}, {128, 128, 128}, 3},
        {"transparency over white", [&](TRecordingClipboard& b) { b.Content = glass; },
         [](TPrintWorkspace& w) { return w.PasteFromClipboard(); }, "", {2, 2}, {255, 127, 127}},
    };
    const QImage before = Colourful(7, 4);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        TPrintWorkspace workspace;
        *Clipboard = TRecordingClipboard();
        Paste(workspace, before);
        ASSERT_TRUE(workspace.Mirror());
        if (c.Prepare)
            c.Prepare(*Clipboard);
        std::vector<int> reports;
        workspace.OnProgress = [&reports](int percent) { reports.push_back(percent); };
        EXPECT_EQ(c.Action(workspace), c.Error.empty());
        EXPECT_FALSE(workspace.Picture().Empty());
        EXPECT_TRUE(std::adjacent_find(reports.begin(), reports.end(), std::greater_equal<int>()) == reports.end());
        EXPECT_GE(reports.size(), c.Reports);
        EXPECT_EQ(!reports.empty() && reports.back() == 100, c.Reports > 0);
        EXPECT_EQ(workspace.Picture().CanUndo(), c.UndoKept);
        EXPECT_EQ(workspace.Picture().UndoCaption(), c.UndoKept ? "Mirror" : "");
        if (!c.Error.empty()) {
            EXPECT_EQ(workspace.LastError(), c.Error);
            EXPECT_EQ(workspace.Picture().Bitmap(), before.mirrored(true, false));
            continue;
        }
        EXPECT_EQ(workspace.Picture().Bitmap().format(), QImage::Format_BGR888);
        EXPECT_EQ(workspace.Picture().Bitmap().size(), c.Size);
        EXPECT_EQ(workspace.Info().Geometry.PictureWidth, c.Size.width());
        EXPECT_EQ(workspace.Picture().Bitmap().pixelColor(1, 1), c.Pixel);
        EXPECT_TRUE(workspace.Undo()) << "nothing to undo is no failure";
        EXPECT_EQ(workspace.Picture().Bitmap().pixelColor(1, 1), c.Pixel) << "a new picture has nothing to undo";
        EXPECT_TRUE(workspace.CopyToClipboard());
        EXPECT_EQ(Clipboard->Puts.back(), workspace.Picture().Bitmap());
        workspace.Clear();
        EXPECT_FALSE(workspace.CopyToClipboard());
    }
}

// Records the notices the core sends; places the preview as windows do.
struct TRecordingView final : IWorkspaceView {
    TPrintWorkspace* Workspace = nullptr;
    std::vector<TWorkspaceChanges> Notices;
    void WorkspaceChanged(TWorkspaceChanges changes) override
    {
        Notices.push_back(changes);
        if (changes & wcLayout)
            Workspace->SetPreviewGeometry(240, 300);
    }
};

TEST_F(Workspace, EachOperationSendsOneNoticeOfWhatChanged)
{
    const TWorkspaceChanges settings = wcLayout | wcTitles | wcStatus;
    const struct {
        const char* Shows;
        TAction Operation;
        std::vector<TWorkspaceChanges> Notices;
    } cases[] = {
        {"a relayout", [](TPrintWorkspace& w) { w.Relayout(); return true; }, {wcLayout | wcStatus}},
        {"a new position", [](TPrintWorkspace& w) { Apply(w, [](TPrintWorkspaceInfo& i) { i.Position = ppCustom; }); return true; },
         {settings}},
        {"quality alone", [](TPrintWorkspace& w) { Apply(w, [](TPrintWorkspaceInfo& i) { i.Quality = pqHigh; }); return true; },
         {settings}},
        {"an unchanged budget", [](TPrintWorkspace& w) { w.SetMemoryBudget(15000000); return true; }, {}},
        {"a smaller budget", [](TPrintWorkspace& w) { w.SetMemoryBudget(3000000); return true; }, {wcLayout | wcStatus}},
        // Every setting goes through ApplyInfo, which always tells: a print
        // re-validates the unchanged settings through it to show its state.
        {"a new page colour", [](TPrintWorkspace& w) { Apply(w, [](TPrintWorkspaceInfo& i) { i.BkColor = 0x00FF00; i.UseBkColor = 1; }); return true; },
         {settings}},
        {"the same settings", [](TPrintWorkspace& w) { w.ApplyInfo(w.Info()); return true; }, {settings}},
        {"copies", [](TPrintWorkspace& w) { Apply(w, [](TPrintWorkspaceInfo& i) { i.Copies = 3; }); return true; }, {settings}},
        {"an option", [](TPrintWorkspace& w) { Apply(w, [](TPrintWorkspaceInfo& i) { i.AutoClose = true; }); return true; }, {settings}},
        {"a flip keeps the size", [](TPrintWorkspace& w) { return w.Flip(); }, {wcPicture}},
        {"a half turn keeps the size", [](TPrintWorkspace& w) { return w.Rotate(-180); }, {wcPicture}},
        {"a quarter turn swaps the sides", [](TPrintWorkspace& w) { return w.Rotate(90); }, {wcEverything}},
        {"Close Up", [](TPrintWorkspace& w) { Apply(w, [](TPrintWorkspaceInfo& i) { i.PreviewSize = 1; }); return true; }, {settings}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        TPrintWorkspace workspace;
        Paste(workspace, Colourful(30, 20));
        TRecordingView view;
        view.Workspace = &workspace;
        workspace.SetView(&view);
        std::vector<TWorkspaceChanges> told;
        workspace.OnChange = [&told](TPrintWorkspace&, TWorkspaceChanges changes) { told.push_back(changes); };
        EXPECT_TRUE(c.Operation(workspace));
        EXPECT_EQ(view.Notices, c.Notices);
        EXPECT_EQ(told, c.Notices) << "the owner hears the same";
        if (!c.Notices.empty() && (c.Notices.front() & wcLayout)) {
            EXPECT_DOUBLE_EQ(double(workspace.Layout().PreviewFactorY()), 300.0 / 3000);
        }
        workspace.SetView(nullptr);
    }
}

// With background loading, a JPEG shows from its quick reduced copy first;
// whatever works on the pixels waits for the whole picture.
TEST_F(Workspace, BackgroundLoadsShowAQuickCopyAndNothingActsOnIt)
{
    const std::string photo = Folder + "large.jpg";
    std::string error;
    ASSERT_TRUE(SaveJpegFile(Colourful(1600, 1200), 90, photo, error));
    const QImage before = Colourful(7, 4);
    const auto settle = [](TPrintWorkspace& w) {
        for (int i = 0; i < 2000 && w.Picture().Loading(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            QCoreApplication::processEvents();
        }
    };
    const struct {
        const char* Shows;
        std::int64_t Ceiling; // 0: none
        TAction Action;
        QSize After;          // the picture once the action is done
        std::string Error;    // the box shown, if any
        bool Cut = false;     // the file ends halfway through
        std::string Name = "large.jpg"; // the file as the user named it
        bool NamesFile = true; // the box shows the file's name under the message
    } cases[] = {
        {"the window's event loop brings the whole picture", 0,
         [&](TPrintWorkspace& w) { settle(w); return true; }, {1600, 1200}, ""},
        {"printing waits", 0, [&](TPrintWorkspace& w) {
             return w.Print() && Printer->Jobs.size() == 1 && Printer->Jobs[0].Stretches.size() == 1;
         }, {1600, 1200}, ""},
        {"an edit waits", 0, [](TPrintWorkspace& w) { return w.Rotate(90); }, {1200, 1600}, ""},
        {"Copy waits", 0, [&](TPrintWorkspace& w) {
             return w.CopyToClipboard() && Clipboard->Puts.back().size() == QSize(1600, 1200);
         }, {1600, 1200}, ""},
        // The quick copy fits in memory, the whole picture does not; the
        // failure reads as a failed load does.
        {"a failed decode brings the old picture back", 2000000,
         [&](TPrintWorkspace& w) { settle(w); return w.LastError() == "Unknown format"; }, {7, 4}, "Unknown format"},
        {"a failure is the waiting command's to show", 2000000,
         [](TPrintWorkspace& w) { return !w.Print() && w.LastError() == "Unknown format"; }, {7, 4}, ""},
        {"going away while decoding", 0, [](TPrintWorkspace&) { return true; }, {}, ""},
        {"a file cut short says so once the whole picture came", 0,
         [&](TPrintWorkspace& w) { settle(w); return w.Picture().LastLoadPartial(); }, {1600, 1200}, "", true},
        {"a name with an ampersand is shown as written", 2000000,
         [&](TPrintWorkspace& w) { settle(w); return true; }, {7, 4}, "Unknown format", false, "Tom & Jerry.jpg"},
        {"a later failure is not about the loaded file", 0,
         [&](TPrintWorkspace& w) {
             settle(w);
             Printer->FailBegin = true;
             const bool refused = !w.Print();
             Printer->FailBegin = false;
             w.ShowLastError();
             return refused;
         }, {1600, 1200}, Messages::PrintJobNotStarted, false, "large.jpg", false},
    };
    const std::string cut = Folder + "cut.jpg";
    {
        const std::string whole = ReadWholeFile(photo);
        ASSERT_TRUE(WriteWholeFile(cut, whole.substr(0, whole.size() / 2)));
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        Printer->Jobs.clear();
        Box->Shown.clear();
        TRecordingView view;
        {
            TPrintWorkspace workspace;
            view.Workspace = &workspace;
            workspace.SetView(&view);
            workspace.SetBackgroundLoading(true);
            Paste(workspace, before);
            Apply(workspace, [](TPrintWorkspaceInfo& i) { i.Scale = psFitToPage; });
            SetAllocationCeilingForTesting(c.Ceiling);
            const std::string file = Folder + c.Name;
            if (file != photo) {
                ASSERT_TRUE(WriteWholeFile(file, ReadWholeFile(photo)));
            }
            ASSERT_TRUE(workspace.LoadFile(c.Cut ? cut : file));
            ASSERT_TRUE(workspace.Picture().Loading());
            // A quarter of each side covers the 240-pixel preview page; the
            // layout has the whole picture's size already.
            EXPECT_EQ(workspace.Picture().Shown().size(), QSize(400, 300));
            EXPECT_EQ(workspace.Info().Geometry.PictureWidth, 1600);
            EXPECT_TRUE(c.Action(workspace));
            if (!c.After.isEmpty()) {
                EXPECT_FALSE(workspace.Picture().Loading());
                EXPECT_EQ(workspace.Picture().Bitmap().size(), c.After);
            }
        }
        // Only now: the workspace took its decode thread with it.
        SetAllocationCeilingForTesting(0);
        ASSERT_EQ(Box->Shown.size(), c.Error.empty() ? 0u : 1u);
        if (!c.Error.empty()) {
            // The box names the file on a second line, exactly as written.
            EXPECT_EQ(Box->Shown[0].Text, c.NamesFile ? c.Error + "\n" + Folder + c.Name : c.Error);
        }
    }
    // A picture too small for any reduced copy loads whole before LoadFile ends.
    const std::string small = Folder + "small.jpg";
    ASSERT_TRUE(SaveJpegFile(Colourful(40, 30), 90, small, error));
    TPrintWorkspace workspace;
    TRecordingView view;
    view.Workspace = &workspace;
    workspace.SetView(&view);
    workspace.SetBackgroundLoading(true);
    EXPECT_TRUE(workspace.LoadFile(small));
    EXPECT_FALSE(workspace.Picture().Loading());
    EXPECT_EQ(workspace.Picture().Bitmap().size(), QSize(40, 30));
}

// What the copy read at start is asked to reach: the picture fitted into
// the window, never enlarged.
TEST(EarlyPreview, TheCopyIsAskedForThePictureFittedIntoTheWindow)
{
    const struct {
        QSize Full, Bound, Asked;
    } cases[] = {
        {{1600, 1200}, {800, 600}, {800, 600}},
        {{1600, 1200}, {800, 300}, {400, 300}},
        {{1200, 1600}, {800, 300}, {225, 300}},
        {{6000, 4000}, {430, 374}, {430, 287}},
        {{300, 200}, {430, 374}, {300, 200}},
        {{300, 200}, {}, {1, 1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TEarlyPreview::Fitted(c.Full, c.Bound), c.Asked) << c.Full.width() << "x" << c.Full.height();
}

// The quick copy read while the window was built is shown when it is for
// the file loaded and holds the preview's pixels; otherwise the load reads
// its own (a quarter of each side, 400 x 300, covers the preview page). A
// copy started from the name alone is aimed at the window afterwards, as
// the program starts it before the application exists.
TEST_F(Workspace, TheCopyReadAtStartIsShownWhenItCoversThePreview)
{
    const std::string photo = Folder + "halves.jpg";
    QImage halves(1600, 1200, QImage::Format_BGR888);
    halves.fill(QColor(200, 20, 20));
    for (int y = 0; y < 1200; ++y)
        std::fill_n(halves.scanLine(y) + 800 * 3, 800 * 3, std::uint8_t(30)); // right half grey
    std::string error;
    ASSERT_TRUE(SaveJpegFile(halves, 95, photo, error));
    const struct {
        const char* Shows;
        std::string Named; // the file the early copy was read for
        QSize Bound;
        QSize Shown;
        bool AimedLater = false; // started from the name, aimed afterwards
    } cases[] = {
        {"half of each side fits the window: taken", photo, {800, 600}, {800, 600}},
        {"an eighth is too small for the preview: read again", photo, {100, 100}, {400, 300}},
        {"no reduction fits the bound: none to take", photo, {1000, 1000}, {400, 300}},
        {"a copy of another file is not shown", Folder + "other.jpg", {800, 600}, {400, 300}},
        {"aimed after the start: taken", photo, {800, 600}, {800, 600}, true},
    };
    ASSERT_TRUE(WriteWholeFile(Folder + "other.jpg", ReadWholeFile(photo)));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        TRecordingView view;
        TPrintWorkspace workspace;
        view.Workspace = &workspace;
        workspace.SetView(&view);
        workspace.SetBackgroundLoading(true);
        Apply(workspace, [](TPrintWorkspaceInfo& i) { i.Scale = psFitToPage; });
        if (c.AimedLater) {
            auto early = std::make_unique<TEarlyPreview>(c.Named);
            early->Aim(c.Bound);
            workspace.SetEarlyPreview(std::move(early));
        } else {
            workspace.SetEarlyPreview(std::make_unique<TEarlyPreview>(c.Named, c.Bound));
        }
        ASSERT_TRUE(workspace.LoadFile(photo));
        ASSERT_TRUE(workspace.Picture().Loading());
        const QImage& shown = workspace.Picture().Shown();
        ASSERT_EQ(shown.size(), c.Shown);
        EXPECT_EQ(workspace.Info().Geometry.PictureWidth, 1600);
        // The red half on the left, the grey half on the right.
        const QColor left = shown.pixelColor(shown.width() / 4, shown.height() / 2);
        const QColor right = shown.pixelColor(shown.width() * 3 / 4, shown.height() / 2);
        EXPECT_NEAR(left.red(), 200, 8);
        EXPECT_NEAR(left.green(), 20, 8);
        EXPECT_NEAR(right.red(), 30, 8);
        EXPECT_TRUE(workspace.FinishLoading());
        EXPECT_EQ(workspace.Picture().Bitmap().size(), QSize(1600, 1200));
    }
}

// A copy started from the picture's name alone reads what the window it was
// aimed at needs, and nothing when the aim was withdrawn (an unattended
// run) or never given; a reader other than its own gets nothing.
TEST_F(Workspace, AnEarlyCopyReadsOnlyWhatItWasAimedAt)
{
    const std::string photo = Folder + "aimed.jpg";
    std::string error;
    ASSERT_TRUE(SaveJpegFile(Colourful(1600, 1200), 90, photo, error));
    const TGraphicClass* jpeg = BuiltInGraphicClass(photo);
    ASSERT_NE(jpeg, nullptr);
    const struct {
        const char* Shows;
        std::optional<QSize> Aim;
        const TGraphicClass* Reader;
        QSize Copy; // 0 x 0: none
        std::optional<QSize> AimAgain = std::nullopt; // changes nothing
    } cases[] = {
        {"aimed at a window: the smallest reduction that covers it", QSize(300, 300), jpeg, {400, 300}},
        {"aimed at a larger window: half of each side", QSize(700, 700), jpeg, {800, 600}},
        {"aim withdrawn: nothing read", QSize(), jpeg, {0, 0}},
        {"never aimed: nothing read", std::nullopt, jpeg, {0, 0}},
        {"asked for by another reader: nothing", QSize(300, 300), nullptr, {0, 0}},
        {"aimed twice: the first aim counts", QSize(300, 300), jpeg, {400, 300}, QSize(700, 700)},
        {"withdrawn after the aim: the aim counts", QSize(300, 300), jpeg, {400, 300}, QSize()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        TEarlyPreview early(photo);
        if (c.Aim)
            early.Aim(*c.Aim);
        if (c.AimAgain)
            early.Aim(*c.AimAgain);
        const TEarlyPreview::TCopy copy = early.Take(photo, c.Reader);
        EXPECT_EQ(copy.Preview.size(), c.Copy);
        if (!copy.Preview.isNull()) {
            EXPECT_EQ(copy.FullSize, QSize(1600, 1200));
        }
    }
}

// A failure of the decode in the worker reads exactly as the same failure
// read in the window's own thread: every reader's own message, unchanged.
TEST_F(Workspace, BackgroundLoadsKeepEachReadersMessage)
{
    const std::string make = "cd " + Folder + " && convert -size 1600x1200 gradient:red-blue big.ppm"
                             " && convert big.ppm -quality 90 big.jpg && convert big.ppm -quality 90 big.webp"
                             " && convert -size 40x30 xc:orange small.ppm && convert small.ppm small.png"
                             " && convert small.ppm small.heic && convert small.ppm -compress none logl.tif"
                             " && tiffset -s 262 32844 logl.tif && head -c 40 small.png > cut.png"
                             " && head -c 200 small.heic > cut.heic";
    ASSERT_EQ(std::system(("(" + make + ") >/dev/null 2>&1").c_str()), 0);
    const struct {
        const char* File;
        std::int64_t Ceiling; // 0: none
        const char* Error;
    } cases[] = {
        // The quick copy fits, the whole picture does not.
        {"big.jpg", 2000000, "Unknown format"},
        {"big.webp", 2000000, "Out of memory"},
        {"small.heic", 1000, "Out of memory"},
        {"small.png", 1000, "Out of memory"},
        {"logl.tif", 0, "Unsupported format"},
        {"cut.png", 0, "Unknown format"},
        {"cut.heic", 0, "Unknown format"},
    };
    for (const auto& c : cases)
        for (const bool background : {false, true}) {
            SCOPED_TRACE(std::string(c.File) + (background ? " in the background" : " in the window's thread"));
            TRecordingView view;
            TPrintWorkspace workspace;
            view.Workspace = &workspace;
            workspace.SetView(&view);
            workspace.SetBackgroundLoading(background);
            SetAllocationCeilingForTesting(c.Ceiling);
            const bool shown = workspace.LoadFile(Folder + c.File);
            const bool loaded = shown && workspace.FinishLoading();
            SetAllocationCeilingForTesting(0);
            EXPECT_FALSE(loaded);
            EXPECT_EQ(workspace.LastError(), c.Error);
            EXPECT_TRUE(workspace.Picture().Empty()) << "no picture of it stays";
        }
}

// While the window waits for a picture decoding in the background, it
// hears how far the decode has come. At actual size the preview needs more
// than any quick copy gives, so the load waits for the whole picture.
TEST_F(Workspace, BackgroundLoadsReportTheirProgress)
{
    const std::string photo = Folder + "large.jpg";
    std::string error;
    ASSERT_TRUE(SaveJpegFile(Colourful(4000, 3000), 90, photo, error));
    TRecordingView view;
    TPrintWorkspace workspace;
    view.Workspace = &workspace;
    workspace.SetView(&view);
    workspace.SetBackgroundLoading(true);
    std::vector<int> heard;
    workspace.OnProgress = [&heard](int percent) { heard.push_back(percent); };
    ASSERT_TRUE(workspace.LoadFile(photo));
    EXPECT_FALSE(workspace.Picture().Loading());
    EXPECT_EQ(workspace.Picture().Bitmap().size(), QSize(4000, 3000));
    ASSERT_FALSE(heard.empty());
    EXPECT_TRUE(std::is_sorted(heard.begin(), heard.end()));
    EXPECT_GT(heard.back(), heard.front()) << "the percentage moves";
    EXPECT_LE(heard.back(), 100);
}

// The page is drawn and handed over in a worker; the caller's thread keeps
// turning (the window's event loop runs there) and hears the progress,
// always in its own thread. The printer holds the worker at two points until
// the caller has shown that it turns and that it heard the drawing end.
TEST_F(Workspace, APrintIsDrawnInAWorkerWhileTheCallerTurns)
{
    TPrintWorkspace workspace;
    Paste(workspace, Colourful(600, 400));
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<int> turns{0}, lastHeard{0}, heardElsewhere{0};
    std::vector<int> heard;
    workspace.OnPrintWait = [&] { ++turns; };
    workspace.OnProgress = [&](int percent) {
        if (std::this_thread::get_id() != caller) {
            ++heardElsewhere;
            return;
        }
        heard.push_back(percent);
        lastHeard = percent;
    };
    const auto awaitUntil = [](const std::function<bool()>& done) {
        for (int i = 0; i < 500 && !done(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return done();
    };
    bool inWorker = false, turnedMeanwhile = false, drawingHeard = false;
    Printer->OnCall = [&](const std::string& call) {
        if (call == "BeginDoc") {
            inWorker = std::this_thread::get_id() != caller;
            turnedMeanwhile = awaitUntil([&] { return turns > 0; });
        } else if (call == "StretchToDevice") {
            drawingHeard = awaitUntil([&] { return lastHeard >= 60; });
        }
    };
    ASSERT_TRUE(workspace.Print()) << workspace.LastError();
    Printer->OnCall = nullptr;
    EXPECT_TRUE(inWorker);
    EXPECT_TRUE(turnedMeanwhile) << "the caller turned while the worker held the job";
    EXPECT_TRUE(drawingHeard) << "the drawing's end reached the caller before the page went to the device";
    EXPECT_EQ(heardElsewhere, 0);
    ASSERT_FALSE(heard.empty());
    EXPECT_TRUE(std::is_sorted(heard.begin(), heard.end()));
    EXPECT_EQ(heard.front(), 10);
    EXPECT_EQ(heard.back(), 100);
    EXPECT_NE(std::find(heard.begin(), heard.end(), 60), heard.end()) << "the page drawn";
    ASSERT_EQ(Printer->Jobs.size(), 1u);
    EXPECT_TRUE(Printer->Jobs[0].Ended);
    EXPECT_FALSE(workspace.Printing());
}

// A screen that notes which threads asked it.
class TWatchedScreen final : public IScreen {
public:
    explicit TWatchedScreen(int pixelsPerInch) : FPixelsPerInch(pixelsPerInch) {}
    int PixelsPerInch() override
    {
        if (std::this_thread::get_id() != FWindowThread)
            ++AskedFromElsewhere;
        return FPixelsPerInch;
    }
    std::atomic<int> AskedFromElsewhere{0};

private:
    int FPixelsPerInch;
    std::thread::id FWindowThread = std::this_thread::get_id();
};

// A metafile decodes in the worker at the density the window's thread read
// from the screen when the load started; the worker never asks the screen.
TEST_F(Workspace, BackgroundLoadsMeasureMetafilesByTheScreenTheyWereGiven)
{
    for (const int density : {96, 192}) {
        SCOPED_TRACE(density);
        auto* screen = new TWatchedScreen(density);
        Platform().SetScreen(std::unique_ptr<IScreen>(screen));
        const std::string file = TestDataPath("metafiles/wmf_shapes.wmf");
        QImage expected;
        std::string error;
        ASSERT_TRUE(LoadMetafile(file, expected, error, density)) << error;
        TPrintWorkspace workspace;
        TRecordingView view;
        view.Workspace = &workspace;
        workspace.SetView(&view);
        workspace.SetBackgroundLoading(true);
        ASSERT_TRUE(workspace.LoadFile(file)) << workspace.LastError();
        ASSERT_TRUE(workspace.FinishLoading());
        EXPECT_EQ(workspace.Picture().Bitmap().size(), expected.size());
        EXPECT_EQ(workspace.Picture().Bitmap().convertToFormat(QImage::Format_RGB32),
                  expected.convertToFormat(QImage::Format_RGB32));
        EXPECT_EQ(screen->AskedFromElsewhere.load(), 0);
    }
    Platform().SetScreen(std::make_unique<TFixedScreen>(96));
}

} // namespace

// The unattended run without a window: the stored layout, copies and
// quality reach the printer, and the exit status says whether the page went.
#include "app/unattended_print.h"

#include "platform/platform.h"
#include "platform/recording_message_box.h"
#include "platform/recording_printer.h"
#include "tests/test_support.h"
#include "workspace/print_workspace_info.h"

#include <QImage>

#include <gtest/gtest.h>

#include <tuple>

using namespace orvanto;

namespace {

TEST(UnattendedPrint, StatusJobAndMessage)
{
    const std::string folder = MakeTempFolder("unattended"), picture = folder + "red.bmp";
    QImage red(60, 40, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(QString::fromStdString(picture)));
    TStoredSettings layout; // High, 3 copies, landscape, as is at the top left on green
    layout.Print.Copies = 3;
    layout.Print.Quality = pqHigh;
    layout.Print.Orientation = poLandscape;
    layout.Print.Scale = psAsIs;
    layout.Print.Position = ppTopLeft;
    layout.Print.BkColor = 0x00FF00;
    layout.Print.UseBkColor = 1;
    const std::string shortPixmap = folder + "short.ppm"; // 2 x 2 with one pixel and a half
    ASSERT_TRUE(WriteWholeFile(shortPixmap, "P6 2 2 255 \x10\x20\x30\x40\x50"));
    TStoredSettings autoPrint;
    autoPrint.Print.AutoPrint = true;
    // Fit to Page, the default, stretches the 3:2 picture over the portrait page.
    const std::string stretched = "The picture is stretched: Scale to Page or Exact Size keeps its shape\n";
    TStoredSettings gonePrinter = layout;
    gonePrinter.Print.Printer = "Gone";
    TStoredSettings hugePoster = layout;
    std::tie(hugePoster.Print.Scale, hugePoster.Print.Poster, hugePoster.Print.SizeX, hugePoster.Print.SizeY) =
        std::tuple(psExactSize, true, 300000, 200000);
    const struct {
        const char* Shows;
        std::vector<std::string> Arguments;
        std::optional<TStoredSettings> Stored;
        std::vector<std::string> Printers;
        bool DeviceFails;
        int Status;
        std::string Title; // of the job; empty: none sent
        std::string Message;
        std::string Warning = ""; // on standard error
        TServerState Server = TServerState::Answers;
        bool HandedOver = true; // whether the print system took the job in time
    } cases[] = {
        {"the stored layout", {picture, "/AUTOPRINT"}, layout, {"Office"}, false, 0, "Orvanto [High, 3 copies]", ""},
        {"a name, no settings file", {picture, "Lab", "/autoprint"}, std::nullopt, {"Office"}, false, 0,
         "Lab - Orvanto [Low, 1 copy]", "", stretched},
        {"stored Auto Print", {picture}, autoPrint, {"Office"}, false, 0, "Orvanto [Low, 1 copy]", "", stretched},
        {"a stored printer that is gone: the default prints", {picture, "/AUTOPRINT"}, gonePrinter, {"Office"},
         false, 0, "Orvanto [High, 3 copies]", "",
         "The stored printer is not available: printing on the default printer\n"},
        {"a poster of more than 100 sheets is refused", {picture, "/AUTOPRINT"}, hugePoster, {"Office"}, false, 1,
         "", "A poster of more than 100 sheets is not printed unattended"},
        {"a missing picture", {folder + "gone.bmp", "/AUTOPRINT"}, layout, {"Office"}, false, 1, "",
         "File not found\n" + folder + "gone.bmp"},
        {"a picture whose file ends early prints what it holds", {shortPixmap, "/AUTOPRINT"}, std::nullopt,
         {"Office"}, false, 0, "Orvanto [Low, 1 copy]", "",
         "The picture is stretched: Scale to Page or Exact Size keeps its shape\n"
         "The file ends early: only part of the picture was read\n" + shortPixmap + "\n"},
        {"the printer fails", {picture, "/AUTOPRINT"}, layout, {"Office"}, true, 1, "Orvanto [High, 3 copies]",
         "The printer failed while printing the page"},
        {"no printer", {picture, "/AUTOPRINT"}, layout, {}, false, 1, "", "No printer installed"},
        {"a silent print server", {picture, "/AUTOPRINT"}, layout, {"Office"}, false, 1, "",
         "The print server does not answer: printhost", "", TServerState::Silent},
        {"no print system at all", {picture, "/AUTOPRINT"}, layout, {"Office"}, false, 1, "", "No printer installed",
         "", TServerState::Unreachable},
        {"the server falls silent during the hand-over", {picture, "/AUTOPRINT"}, layout, {"Office"}, false, 1,
         "Orvanto [High, 3 copies]", "The print server does not answer: printhost", "", TServerState::Answers,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        auto* printer = new TRecordingPrinter;
        printer->Names = c.Printers;
        printer->FailStretchFrom = c.DeviceFails ? 0 : -1;
        printer->Server = c.Server;
        printer->HandOverAccepted = c.HandedOver;
        auto* box = new TRecordingMessageBox;
        box->Answer = -1; // nobody there to answer a question
        auto oldPrinter = Platform().SetPrinter(std::unique_ptr<IPrinter>(printer));
        auto oldBox = Platform().SetMessageBox(std::unique_ptr<IMessageBox>(box));
        testing::internal::CaptureStderr();
        EXPECT_EQ(PrintUnattended(ParseCommandLine(c.Arguments), c.Stored), c.Status);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.Warning);
        ASSERT_EQ(printer->Jobs.size(), c.Title.empty() ? 0u : 1u);
        // A run that printed waited for the print system to take the job.
        EXPECT_EQ(printer->HandOverWaits.size(), c.Title.empty() || c.DeviceFails ? 0u : 1u);
        ASSERT_EQ(box->Shown.size(), c.Message.empty() ? 0u : 1u);
        if (!c.Message.empty()) {
            EXPECT_EQ(box->Shown.front().Text, c.Message);
        }
        if (!c.Title.empty()) {
            const TRecordingPrinter::TJob& job = printer->Jobs.front();
            EXPECT_EQ(job.Title, c.Title);
            EXPECT_EQ(job.Copies, c.Stored ? c.Stored->Print.Copies : 1);
            EXPECT_EQ(job.Orientation, c.Stored ? c.Stored->Print.Orientation : 0);
            if (c.Status == 0 && c.Stored && c.Stored->Print.UseBkColor) {
                const QImage page = job.Stretches.back().Bitmap;
                EXPECT_EQ(page.pixelColor(0, 0), QColor(Qt::red)) << "the picture at the top left";
                EXPECT_EQ(page.pixelColor(page.width() - 1, page.height() - 1), QColor(Qt::green)) << "the page colour";
            }
        }
        Platform().SetPrinter(std::move(oldPrinter));
        Platform().SetMessageBox(std::move(oldBox));
    }
}

} // namespace

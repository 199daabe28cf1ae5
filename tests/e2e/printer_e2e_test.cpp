// Prints through the real Qt printer service into the private CUPS server
// (scripts/print-server) and reads the page back from the PDF that the
// cups-pdf printer wrote.
#include "platform/qt/qt_printer.h"
#include "tests/e2e/printed_page.h"
#include "tests/test_support.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

using namespace orvanto;

namespace {

class PrinterEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (Env("CUPS_SERVER").empty() || Env("ORVANTO_PDF_DIR").empty()) {
            if (Env("ORVANTO_REQUIRE_PRINTER") == "1")
                FAIL() << "ORVANTO_REQUIRE_PRINTER=1 but CUPS_SERVER or ORVANTO_PDF_DIR is not set: "
                          "start scripts/print-server and eval its env";
            GTEST_SKIP() << "no private print server (run eval \"$(scripts/print-server env)\" after "
                            "scripts/print-server start)";
        }
    }
};

TEST_F(PrinterEndToEnd, ListsThePrivatePdfPrinterAsCurrent)
{
    TQtPrinter printer;
    ASSERT_TRUE(WaitForFirstAnswer(printer));
    const std::vector<std::string> names = printer.PrinterNames();
    EXPECT_NE(std::find(names.begin(), names.end(), "Orvanto_PDF"), names.end());
    EXPECT_EQ(printer.CurrentPrinterName(), "Orvanto_PDF");
    EXPECT_GE(printer.DpiX(), 72);
    EXPECT_EQ(printer.DpiX(), printer.DpiY());
    // The printable area of A4 inside the margins, in device pixels.
    const double dpi = printer.DpiX();
    EXPECT_NEAR(printer.PageWidth(), (595 - PortraitLeftPt - PortraitRightPt) / 72 * dpi, 2);
    EXPECT_NEAR(printer.PageHeight(), (842 - PortraitTopPt - PortraitBottomPt) / 72 * dpi, 2);
    EXPECT_NEAR(printer.PrintableLeft(), PortraitLeftPt / 72 * dpi, 2);
    EXPECT_NEAR(printer.PrintableTop(), PortraitTopPt / 72 * dpi, 2);
    // Landscape: the page lies turned on the paper, and so do the margins.
    printer.SetOrientation(1);
    EXPECT_EQ(printer.Orientation(), 1);
    EXPECT_NEAR(printer.PageWidth(), (842 - PortraitTopPt - PortraitBottomPt) / 72 * dpi, 2);
    EXPECT_NEAR(printer.PageHeight(), (595 - PortraitLeftPt - PortraitRightPt) / 72 * dpi, 2);
    EXPECT_NEAR(printer.PrintableLeft(), PortraitBottomPt / 72 * dpi, 2);
    EXPECT_NEAR(printer.PrintableTop(), PortraitLeftPt / 72 * dpi, 2);
    printer.SetOrientation(0);
    EXPECT_NEAR(printer.PageWidth(), (595 - PortraitLeftPt - PortraitRightPt) / 72 * dpi, 2);
}

TEST_F(PrinterEndToEnd, PrinterAndPaperAreChosenByName)
{
    TQtPrinter printer;
    ASSERT_TRUE(WaitForFirstAnswer(printer));
    EXPECT_EQ(printer.PaperName(), "iso_a4_210x297mm");
    const struct {
        const char* Paper;
        bool Offered;
        const char* After;
        double WidthPt; // of the paper
    } papers[] = {
        {"na_letter_8.5x11in", true, "na_letter_8.5x11in", 612},
        {"no_such_paper", false, "na_letter_8.5x11in", 612},
        {"iso_a4_210x297mm", true, "iso_a4_210x297mm", 595},
    };
    for (const auto& c : papers) {
        EXPECT_EQ(printer.SetPaper(c.Paper), c.Offered) << c.Paper;
        EXPECT_EQ(printer.PaperName(), c.After) << c.Paper;
        // The printable width of that paper: within it, less at most its margins.
        const double paper = c.WidthPt / 72 * printer.DpiX();
        EXPECT_LE(printer.PageWidth(), paper + 1) << c.Paper;
        EXPECT_GE(printer.PageWidth(), paper - (PortraitLeftPt + PortraitRightPt) / 72 * printer.DpiX() - 1) << c.Paper;
    }
    EXPECT_FALSE(printer.SelectPrinter("Gone_Printer"));
    EXPECT_EQ(printer.CurrentPrinterName(), "Orvanto_PDF");
    EXPECT_TRUE(printer.SelectPrinter("Orvanto_PDF"));
}

struct TPrintCase {
    const char* Title;
    int Orientation;
    int Copies;
    // Destination as fractions of the printable area.
    double Left, Top, Width, Height;
};

TEST_F(PrinterEndToEnd, MarksLandWhereTheDestinationPutsThem)
{
    const TPrintCase cases[] = {
        {"Orvanto [Low, 1 copy]", 0, 1, 0.20, 0.15, 0.50, 0.40},
        {"Orvanto [Low, 2 copies]", 1, 2, 0.0, 0.0, 1.0, 1.0},
    };
    const std::string folder = MakeTempFolder("printed");
    for (const TPrintCase& c : cases) {
        SCOPED_TRACE(c.Title);
        TQtPrinter printer;
        ASSERT_TRUE(WaitForFirstAnswer(printer));
        printer.SetOrientation(c.Orientation);
        printer.SetCopies(c.Copies);
        ASSERT_EQ(printer.Copies(), c.Copies);
        printer.SetTitle(c.Title);
        const int width = printer.PageWidth();
        const int height = printer.PageHeight();
        const double dpi = printer.DpiX();
        ASSERT_GT(width, 0);
        const QRect destination(int(std::lround(c.Left * width)), int(std::lround(c.Top * height)),
                                int(std::lround(c.Width * width)), int(std::lround(c.Height * height)));

        const QDateTime started = QDateTime::currentDateTime();
        ASSERT_TRUE(printer.BeginDoc());
        ASSERT_EQ(printer.StretchToDevice(MarkedPicture(800, 600), destination), TStretchResult::Drawn);
        ASSERT_TRUE(printer.EndDoc());
        ASSERT_TRUE(printer.WaitForHandOver(std::chrono::seconds(30)));
        ASSERT_TRUE(WaitForQueueEmpty()) << "the print server did not finish the job";

        const QString pdf = NewestPdf(c.Title, started);
        ASSERT_FALSE(pdf.isEmpty()) << "no PDF for this title in " << Env("ORVANTO_PDF_DIR");
        const TPdfInfo info = ReadPdfInfo(pdf);
        EXPECT_EQ(info.Pages, c.Copies) << "one page per copy";
        // A4 comes out of the printer upright; a landscape page lies on it
        // turned a quarter counter-clockwise, as a printer prints landscape.
        EXPECT_LT(info.WidthPt, info.HeightPt) << "A4 paper";
        const bool turned = c.Orientation == 1;

        // Where the printable area starts on the page as the user sees it:
        // the portrait margins turned with the page, so that nothing lands
        // where the printer cannot print.
        const double leftPt = turned ? PortraitBottomPt : PortraitLeftPt;
        const double topPt = turned ? PortraitLeftPt : PortraitTopPt;
        for (int page = 1; page <= info.Pages; ++page) {
            SCOPED_TRACE("page " + std::to_string(page));
            QImage rendered = RenderPage(pdf, page, folder);
            ASSERT_FALSE(rendered.isNull());
            if (turned)
                rendered = rendered.transformed(QTransform().rotate(90));
            for (const TMark& mark : Marks) {
                const QRectF found = FindMark(rendered, mark.Color);
                ASSERT_FALSE(found.isEmpty()) << mark.Name << " mark missing";
                const double xDevice = mark.Right ? destination.left() + destination.width() : destination.left();
                const double yDevice = mark.Bottom ? destination.top() + destination.height() : destination.top();
                const double expectedX = leftPt * PointMm + xDevice * 25.4 / dpi;
                const double expectedY = topPt * PointMm + yDevice * 25.4 / dpi;
                const double foundX = PxToMm(mark.Right ? found.right() : found.left());
                const double foundY = PxToMm(mark.Bottom ? found.bottom() : found.top());
                std::printf("%s page %d %s: expected (%.2f, %.2f) mm, found (%.2f, %.2f) mm\n", c.Title, page,
                            mark.Name, expectedX, expectedY, foundX, foundY);
                EXPECT_NEAR(foundX, expectedX, 0.3) << mark.Name << " horizontally";
                EXPECT_NEAR(foundY, expectedY, 0.3) << mark.Name << " vertically";
            }
        }
    }
}

} // namespace

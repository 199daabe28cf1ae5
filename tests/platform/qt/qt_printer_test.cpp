// The Qt printer on a machine whose print system cannot be reached: it must
// behave as "no printer" throughout instead of quietly writing PDF files
// nobody asked for, and never block on a dialog nobody can see.
#include "platform/qt/qt_printer.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace orvanto;

namespace {

class QtPrinterWithoutPrintSystem : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // Must happen before anything in this process asks CUPS.
        setenv("CUPS_SERVER", "/nonexistent/orvanto-test/cups.sock", 1);
    }
};

TEST_F(QtPrinterWithoutPrintSystem, ListsNoneAndReportsNoMetrics)
{
    TQtPrinter printer;
    EXPECT_TRUE(printer.PrinterNames().empty());
    EXPECT_EQ(printer.CurrentPrinterName(), "");
    // Each metric reads 0, which callers turn into their own defaults.
    const int metrics[] = {printer.DpiX(),       printer.DpiY(),         printer.PageWidth(),
                           printer.PageHeight(), printer.PrintableLeft(), printer.PrintableTop()};
    for (int metric : metrics)
        EXPECT_EQ(metric, 0);
}

TEST_F(QtPrinterWithoutPrintSystem, RefusesJobsAndTheDialog)
{
    TQtPrinter printer;
    printer.SetTitle("Orvanto [Low, 1 copy]");
    EXPECT_EQ(printer.Title(), "Orvanto [Low, 1 copy]");
    EXPECT_FALSE(printer.BeginDoc());
    QImage page(20, 20, QImage::Format_BGR888);
    page.fill(Qt::white);
    EXPECT_EQ(printer.StretchToDevice(page, QRect(0, 0, 20, 20)), TStretchResult::DeviceFailed);
    EXPECT_FALSE(printer.NewPage());
    EXPECT_FALSE(printer.EndDoc());
    EXPECT_FALSE(printer.SelectPrinter("Orvanto_PDF"));
    EXPECT_FALSE(printer.SetPaper("iso_a4_210x297mm"));
    EXPECT_EQ(printer.PaperName(), "");
    EXPECT_FALSE(printer.PrintDialog(2));
}

TEST_F(QtPrinterWithoutPrintSystem, CopiesAndOrientationStayOnThePrinterObject)
{
    struct TCase {
        int Copies;
        int ExpectedCopies;
        int Orientation;
        int ExpectedOrientation;
    } cases[] = {{3, 3, 1, 1}, {0, 1, 0, 0}, {-4, 1, 5, 0}, {99, 99, 1, 1}};
    TQtPrinter printer;
    for (const TCase& c : cases) {
        printer.SetOrientation(0);
        printer.SetCopies(c.Copies);
        printer.SetOrientation(c.Orientation);
        EXPECT_EQ(printer.Copies(), c.ExpectedCopies) << c.Copies;
        EXPECT_EQ(printer.Orientation(), c.ExpectedOrientation) << c.Orientation;
    }
}

} // namespace

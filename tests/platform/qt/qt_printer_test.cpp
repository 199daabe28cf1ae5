// The Qt printer on a machine whose print system cannot be reached: it must
// behave as "no printer" throughout instead of quietly writing PDF files
// nobody asked for, and never block on a dialog nobody can see.
#include "platform/qt/qt_printer.h"
#include "tests/fake_print_server.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>

using namespace orvanto;

namespace {

template <typename Ready>
bool WaitFor(Ready ready)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!ready()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

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
    ASSERT_TRUE(WaitFor([&] { return printer.Facts().Server != TServerState::Asking; }));
    EXPECT_EQ(printer.Facts().Server, TServerState::Unreachable);
    EXPECT_TRUE(printer.PrinterNames().empty());
    EXPECT_EQ(printer.CurrentPrinterName(), "");
    // Each metric reads 0, which callers turn into their own defaults.
    const int metrics[] = {printer.DpiX(),       printer.DpiY(),         printer.PageWidth(),
                           printer.PageHeight(), printer.PrintableLeft(), printer.PrintableTop()};
    for (int metric : metrics)
        EXPECT_EQ(metric, 0);
}

// The page is laid out by the last printer known until the server answers,
// and by the printer it names once it does; no call waits for it.
TEST_F(QtPrinterWithoutPrintSystem, LaysThePageOutByWhatTheWatcherLastSaw)
{
    TPrinterFacts letter;
    letter.DpiX = letter.DpiY = 300;
    letter.PaperWidth = 21590;
    letter.PaperHeight = 27940;
    letter.MarginLeft = letter.MarginRight = 635;
    struct TCase {
        const char* Name;
        TFakePrintServer::TMode Mode;
        bool WaitForAnswer;
        std::string Current;
        int Dpi, Width, Height;
        int Left; // where the printable area begins, upright
    } cases[] = {
        // Letter with quarter-inch sides at 300 dpi: 8 by 11 inches.
        {"silent, before any answer", TFakePrintServer::TMode::Silent, false, "", 300, 2400, 3300, 75},
        // The fake printer names no paper: A4 at 600 dpi, no margins.
        {"answered", TFakePrintServer::TMode::Slow, true, "Office Printer 2", 600, 4961, 7016, 0},
    };
    for (const TCase& c : cases) {
        TFakePrintServer server(c.Mode, std::chrono::milliseconds(100), "Office Printer 2");
        TServerEnvironment environment(server.Address());
        TQtPrinter printer(TQtPrinter::TTransfer::Jpeg, letter);
        if (c.WaitForAnswer) {
            ASSERT_TRUE(WaitFor([&] { return printer.Facts().Answered(); })) << c.Name;
        }
        EXPECT_EQ(printer.CurrentPrinterName(), c.Current) << c.Name;
        EXPECT_EQ(printer.DpiX(), c.Dpi) << c.Name;
        EXPECT_EQ(printer.PageWidth(), c.Width) << c.Name;
        EXPECT_EQ(printer.PageHeight(), c.Height) << c.Name;
        EXPECT_EQ(printer.PrintableLeft(), c.Left) << c.Name;
        EXPECT_EQ(printer.PrintableTop(), 0) << c.Name;
        printer.SetOrientation(1);
        EXPECT_EQ(printer.PageWidth(), c.Height) << c.Name;
        // No printer to print on until the server names one.
        EXPECT_EQ(printer.BeginDoc(), !c.Current.empty()) << c.Name;
        printer.AbortDoc();
    }
}

// A printer and paper asked for (stored settings, say) are chosen when the
// server lists the printer, whether it has answered yet or not.
TEST_F(QtPrinterWithoutPrintSystem, ChoosesTheStoredPrinterAndPaperOnceTheServerListsThem)
{
    struct TCase {
        const char* Name;
        bool AnsweredFirst;
        std::string Printer;
        bool Selected;
        std::string Paper;
        std::string Current, PaperShown;
        int Width; // the printable area at 600 dpi, no margins
    } cases[] = {
        {"after the answer", true, "Office Printer 2", true, "na_letter_8.5x11in", "Office Printer 2",
         "na_letter_8.5x11in", 5100},
        {"before the answer", false, "Office Printer 2", true, "na_legal_8.5x14in", "Office Printer 2",
         "na_legal_8.5x14in", 5100},
        {"only a paper, before the answer", false, "", false, "na_letter_8.5x11in", "Office Printer 2",
         "na_letter_8.5x11in", 5100},
        {"a printer the server lacks", true, "Gone Printer", false, "", "Office Printer 2", "iso_a4_210x297mm", 4961},
        {"a paper no one knows", true, "", false, "no_such_paper", "Office Printer 2", "iso_a4_210x297mm", 4961},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TFakePrintServer server(TFakePrintServer::TMode::Slow, std::chrono::milliseconds(100), "Office Printer 2");
        TServerEnvironment environment(server.Address());
        TQtPrinter printer;
        if (c.AnsweredFirst) {
            ASSERT_TRUE(WaitFor([&] { return printer.Facts().Answered(); }));
        } else {
            ASSERT_FALSE(printer.Facts().Answered()) << "the server answers after 100 ms";
        }
        if (!c.Printer.empty()) {
            EXPECT_EQ(printer.SelectPrinter(c.Printer), c.Selected);
        }
        if (!c.Paper.empty()) {
            EXPECT_EQ(printer.SetPaper(c.Paper), c.PaperShown == c.Paper);
        }
        ASSERT_TRUE(WaitFor([&] { return printer.Facts().Answered(); }));
        EXPECT_EQ(printer.CurrentPrinterName(), c.Current);
        EXPECT_EQ(printer.PaperName(), c.PaperShown);
        EXPECT_EQ(printer.PageWidth(), c.Width);
    }
}

TEST_F(QtPrinterWithoutPrintSystem, RefusesJobsAndTheDialog)
{
    TQtPrinter printer;
    ASSERT_TRUE(WaitFor([&] { return printer.Facts().Server != TServerState::Asking; }));
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

// The page is made in a worker while the window keeps reading the printer:
// what it reads stays what it was, and the printer and paper cannot change
// under an open job, only once it has gone.
TEST_F(QtPrinterWithoutPrintSystem, TheWindowReadsWhileAWorkerMakesTheJob)
{
    struct TCase {
        const char* Name;
        int Orientation;
        int Width; // the printable area at 600 dpi, A4 without margins
    } cases[] = {
        {"portrait", 0, 4961},
        {"landscape", 1, 7016},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TFakePrintServer server(TFakePrintServer::TMode::Slow, std::chrono::milliseconds(100), "Office Printer 2");
        TServerEnvironment environment(server.Address());
        TQtPrinter printer;
        ASSERT_TRUE(WaitFor([&] { return printer.Facts().Answered(); }));
        printer.SetOrientation(c.Orientation);
        printer.SetCopies(2);
        std::atomic<bool> open{false}, read{false};
        bool begun = false;
        TStretchResult stretched = TStretchResult::DeviceFailed;
        std::thread worker([&] {
            printer.SetTitle("Orvanto [High, 2 copies]");
            begun = printer.BeginDoc();
            open = true;
            QImage page(1200, 900, QImage::Format_BGR888);
            page.fill(QColor(200, 40, 90));
            stretched = printer.StretchToDevice(page, QRect(0, 0, 1200, 900));
            WaitFor([&] { return read.load(); });
            printer.AbortDoc();
        });
        ASSERT_TRUE(WaitFor([&] { return open.load(); }));
        bool steady = true;
        for (int i = 0; i < 200; ++i)
            steady = steady && printer.PageWidth() == c.Width && printer.Copies() == 2
                     && printer.Orientation() == c.Orientation && printer.CurrentPrinterName() == "Office Printer 2"
                     && printer.JobStatus().Phase == TJobPhase::None && printer.Facts().Answered();
        EXPECT_FALSE(printer.SelectPrinter("Office Printer 2")) << "not while a job is open";
        EXPECT_FALSE(printer.SetPaper("na_letter_8.5x11in")) << "not while a job is open";
        read = true;
        worker.join();
        EXPECT_TRUE(steady);
        EXPECT_TRUE(begun);
        EXPECT_EQ(stretched, TStretchResult::Drawn);
        EXPECT_EQ(printer.Title(), "Orvanto [High, 2 copies]");
        EXPECT_TRUE(printer.SetPaper("na_letter_8.5x11in")) << "once the job has gone";
        EXPECT_EQ(printer.PaperName(), "na_letter_8.5x11in");
    }
}

} // namespace

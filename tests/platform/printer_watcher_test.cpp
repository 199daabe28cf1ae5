#include "platform/printer_watcher.h"

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

TEST(PrinterFacts, TheReasonsNameTheProblem)
{
    struct TCase {
        const char* Name;
        std::vector<std::string> Reasons;
        bool Stopped;
        bool Accepting;
        TPrinterProblem Problem;
    } cases[] = {
        {"idle", {}, false, true, TPrinterProblem::None},
        {"out of paper", {"media-empty-error"}, true, true, TPrinterProblem::OutOfPaper},
        {"paper needed, no suffix", {"media-needed"}, true, true, TPrinterProblem::OutOfPaper},
        {"low paper is only a warning", {"media-low-warning"}, false, true, TPrinterProblem::None},
        {"a warning of an empty tray still prints", {"media-empty-warning"}, false, true, TPrinterProblem::None},
        {"jam", {"media-jam-error"}, true, true, TPrinterProblem::PaperJam},
        {"cover", {"cover-open-error"}, true, true, TPrinterProblem::DoorOpen},
        {"toner", {"toner-empty-error"}, true, true, TPrinterProblem::OutOfToner},
        {"offline", {"offline-report", "offline"}, true, true, TPrinterProblem::Offline},
        // Paper comes before a pause: it is what the user must act on.
        {"paused and out of paper", {"paused", "media-empty-error"}, true, true, TPrinterProblem::OutOfPaper},
        {"paused by someone", {"paused"}, true, true, TPrinterProblem::Paused},
        {"stopped without a reason", {}, true, true, TPrinterProblem::Paused},
        {"a reason we have no words for", {"spool-area-full-error"}, true, true, TPrinterProblem::Other},
        {"refusing jobs", {}, false, false, TPrinterProblem::Refusing},
    };
    TPrinterFacts answered;
    answered.Server = TServerState::Answers;
    answered.Current = "Office";
    for (const TCase& c : cases) {
        TPrinterFacts facts = answered;
        facts.Reasons = c.Reasons;
        facts.Stopped = c.Stopped;
        facts.Accepting = c.Accepting;
        EXPECT_EQ(ProblemOf(facts), c.Problem) << c.Name;
    }
    // Without an answer there is no printer to have a problem.
    TPrinterFacts silent = answered;
    silent.Server = TServerState::Silent;
    silent.Stopped = true;
    EXPECT_EQ(ProblemOf(silent), TPrinterProblem::None);
}

TEST(PrinterFacts, ThePrintableAreaTurnsWithThePage)
{
    struct TCase {
        const char* Name;
        int Dpi, Width, Height, Left, Top, Right, Bottom, Orientation;
        QRect Area;
        QPoint Offset;
    } cases[] = {
        {"A4 at 600 dpi, no margins", 600, 21000, 29700, 0, 0, 0, 0, 0, QRect(0, 0, 4961, 7016), QPoint(0, 0)},
        {"one inch margins", 300, 21590, 27940, 2540, 2540, 2540, 2540, 0, QRect(0, 0, 1950, 2700),
         QPoint(300, 300)},
        // Landscape: the page's left is the paper's bottom, its top the
        // paper's left.
        {"unequal margins, landscape", 100, 25400, 50800, 254, 508, 762, 1016, 1, QRect(0, 0, 1940, 960),
         QPoint(40, 10)},
        {"margins that leave nothing", 300, 1000, 1000, 600, 0, 600, 0, 0, QRect(), QPoint(71, 0)},
    };
    for (const TCase& c : cases) {
        TPrinterFacts facts;
        facts.DpiX = facts.DpiY = c.Dpi;
        facts.PaperWidth = c.Width;
        facts.PaperHeight = c.Height;
        facts.MarginLeft = c.Left;
        facts.MarginTop = c.Top;
        facts.MarginRight = c.Right;
        facts.MarginBottom = c.Bottom;
        EXPECT_EQ(PrintableArea(facts, c.Orientation), c.Area) << c.Name;
        EXPECT_EQ(PrintableOffset(facts, c.Orientation), c.Offset) << c.Name;
    }
}

} // namespace

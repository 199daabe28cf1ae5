#include "platform/printer_watcher.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace orvanto {

namespace {

struct TReasonWord {
    std::string_view Keyword;
    TPrinterProblem Problem;
};

// Most pressing first: the first that a printer reports names its problem.
constexpr TReasonWord ReasonWords[] = {
    {"media-empty", TPrinterProblem::OutOfPaper},   {"media-needed", TPrinterProblem::OutOfPaper},
    {"input-tray-missing", TPrinterProblem::OutOfPaper}, {"media-jam", TPrinterProblem::PaperJam},
    {"door-open", TPrinterProblem::DoorOpen},       {"cover-open", TPrinterProblem::DoorOpen},
    {"interlock-open", TPrinterProblem::DoorOpen},  {"toner-empty", TPrinterProblem::OutOfToner},
    {"marker-supply-empty", TPrinterProblem::OutOfToner}, {"offline", TPrinterProblem::Offline},
    {"shutdown", TPrinterProblem::Offline},         {"paused", TPrinterProblem::Paused},
};

// "media-empty-error" and "media-empty" are the same reason; warnings and
// reports do not stop a printer and are left out.
bool Names(std::string_view reason, std::string_view keyword)
{
    if (reason.substr(0, keyword.size()) != keyword)
        return false;
    const std::string_view suffix = reason.substr(keyword.size());
    return suffix.empty() || suffix == "-error";
}

int HundredthsToPixels(int hundredths, int dpi)
{
    return int(std::lround(double(hundredths) * dpi / 2540.0));
}

} // namespace

TPrinterProblem ProblemOfReasons(const std::vector<std::string>& reasons)
{
    for (const TReasonWord& word : ReasonWords)
        for (const std::string& reason : reasons)
            if (Names(reason, word.Keyword))
                return word.Problem;
    for (const std::string& reason : reasons)
        if (reason.size() > 6 && reason.compare(reason.size() - 6, 6, "-error") == 0)
            return TPrinterProblem::Other;
    return TPrinterProblem::None;
}

TPrinterProblem ProblemOf(const TPrinterFacts& facts)
{
    if (!facts.HasPrinter())
        return TPrinterProblem::None;
    const TPrinterProblem problem = ProblemOfReasons(facts.Reasons);
    if (problem != TPrinterProblem::None)
        return problem;
    if (facts.Stopped)
        return TPrinterProblem::Paused;
    if (!facts.Accepting)
        return TPrinterProblem::Refusing;
    return TPrinterProblem::None;
}

QRect PrintableArea(const TPrinterFacts& facts, int orientation)
{
    const int width = facts.PaperWidth - facts.MarginLeft - facts.MarginRight;
    const int height = facts.PaperHeight - facts.MarginTop - facts.MarginBottom;
    if (width <= 0 || height <= 0 || facts.DpiX <= 0 || facts.DpiY <= 0)
        return {};
    // The device's resolution goes with the paper's axes; a landscape page
    // turns the paper, not the device.
    const int across = HundredthsToPixels(width, facts.DpiX);
    const int down = HundredthsToPixels(height, facts.DpiY);
    return orientation == 1 ? QRect(0, 0, down, across) : QRect(0, 0, across, down);
}

// A landscape page lies on the paper turned a quarter counter-clockwise (the
// CUPS convention): its left edge is the paper's bottom edge, its top the
// paper's left.
QPoint PrintableOffset(const TPrinterFacts& facts, int orientation)
{
    if (orientation == 1)
        return {HundredthsToPixels(facts.MarginBottom, facts.DpiY), HundredthsToPixels(facts.MarginLeft, facts.DpiX)};
    return {HundredthsToPixels(facts.MarginLeft, facts.DpiX), HundredthsToPixels(facts.MarginTop, facts.DpiY)};
}

} // namespace orvanto

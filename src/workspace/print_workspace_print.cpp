// Printing: the page bitmap within the memory budget, the attempts that
// lower it when memory runs short, the printer's copies and dialog.
#include "workspace/print_workspace.h"

#include "platform/platform.h"
#include "support/messages/messages.h"
#include "workspace/page_bitmap.h"
#include "workspace/print_workspace_state.h"

#include <algorithm>
#include <limits>

namespace orvanto {

namespace {

constexpr std::int64_t RetryStep = 1000000;
constexpr std::int64_t SmallestRetryBudget = 2000000;
constexpr int MostCopies = 99;

// The budget's share of the full memory budget, in percent. The product is
// taken in 64 bits: a budget of the largest 32-bit value times 100 would
// not fit 32.
std::int32_t BudgetPercent(std::int64_t budget, std::int64_t memoryBudget)
{
    if (memoryBudget <= 0)
        return 0;
    return std::int32_t(std::clamp<std::int64_t>(budget * 100 / memoryBudget, 0, 100));
}

} // namespace

bool TPrintWorkspace::PrinterPresent()
{
    try {
        IPrinter& printer = Platform().Printer();
        // A list without a current printer cannot print either: CUPS may
        // know printers and have no default.
        if (!printer.PrinterNames().empty() && !printer.CurrentPrinterName().empty())
            return true;
    } catch (...) {
    }
    FState->LastError = Messages::NoPrinterInstalled;
    return false;
}

bool TPrintWorkspace::CanPrint()
{
    return !FState->Empty && !FState->Printing && PrinterPresent();
}

bool TPrintWorkspace::Printing() const
{
    return FState->Printing;
}

void TPrintWorkspace::SetCopies(int copies)
{
    try {
        Platform().Printer().SetCopies(std::clamp(copies, 1, MostCopies));
        Changed(wcStatus | wcTitles);
    } catch (...) {
    }
}

int TPrintWorkspace::GetCopies()
{
    try {
        const int copies = Platform().Printer().Copies();
        return copies >= 1 ? copies : 1;
    } catch (...) {
        return 1;
    }
}

bool TPrintWorkspace::PrinterSetup()
{
    try {
        if (!Platform().Printer().PrintDialog(GetCopies()))
            return false;
    } catch (...) {
        return false;
    }
    try {
        const int orientation = Platform().Printer().Orientation();
        if (orientation == poPortrait || orientation == poLandscape)
            FState->Layout.SetOrientation(std::uint8_t(orientation));
    } catch (...) {
    }
    Refresh();
    return true;
}

bool TPrintWorkspace::Print()
{
    if (!FinishLoading())
        return false;
    FState->LastError = Messages::OutOfMemory;
    if (!CanPrint())
        return false;
    FState->Printing = true;
    bool done = false;
    std::int64_t budget = MemoryBudget();
    try {
        // Re-validated, and the window shows the job state.
        ApplyInfo(Info());
        Progress(10);
        done = PrintPage(budget);
    } catch (...) {
        // Whatever failed, no half-made job is left open to print.
        done = false;
        try {
            Platform().Printer().AbortDoc();
        } catch (...) {
        }
    }
    Progress(100);
    FState->Layout.SetResolution(BudgetPercent(budget, MemoryBudget()));
    FState->Printing = false;
    Changed(wcStatus);
    return done;
}

bool TPrintWorkspace::PrintPage(std::int64_t& budget)
{
    const TPrintWorkspaceInfo info = Info();
    const int quality = info.Quality;
    int width = QualityDimension(FState->Layout.PrintBitmapWidth(), quality);
    int height = QualityDimension(FState->Layout.PrintBitmapHeight(), quality);
    FitPageBitmap(width, height, budget);

    IPrinter& printer = Platform().Printer();
    printer.SetTitle(info.JobTitle);
    FState->LastError = Messages::PrintJobNotStarted;
    if (!printer.BeginDoc())
        return false;

    const QRect page(0, 0, info.PageWidth, info.PageHeight);
    for (;;) {
        FState->LastError = Messages::OutOfMemory;
        TStretchResult result = TStretchResult::OutOfMemory;
        {
            QImage bitmap = RenderPageBitmap(width, height);
            if (!bitmap.isNull()) {
                FState->Layout.SetLastPrint(bitmap.width(), bitmap.height(), std::int32_t(budget));
                Progress(60);
                result = printer.StretchToDevice(bitmap, page);
            }
        }
        if (result == TStretchResult::Drawn)
            break;
        if (result == TStretchResult::DeviceFailed) {
            // Only memory is worth another attempt; a device that failed
            // once gets no half-drawn page sent.
            FState->LastError = Messages::PrinterFailedOnPage;
            printer.AbortDoc();
            return false;
        }
        // A smaller page bitmap: the budget drops a step at a time, and the
        // quality rule still applies, so a Low job never grows on a retry.
        // Budgets that would give no smaller bitmap are passed over.
        const std::int64_t failed = std::int64_t(width) * height;
        bool smaller = false;
        while (!smaller && budget >= SmallestRetryBudget) {
            budget -= RetryStep;
            const auto [w, h] = FState->Layout.FitPrintBitmap(budget);
            width = QualityDimension(w, quality);
            height = QualityDimension(h, quality);
            FitPageBitmap(width, height, budget);
            smaller = std::int64_t(width) * height < failed;
        }
        if (!smaller) {
            FState->LastError = Messages::OutOfMemory;
            printer.AbortDoc();
            return false;
        }
    }
    FState->LastError = Messages::PrintJobRefused;
    return printer.EndDoc();
}

void TPrintWorkspace::Progress(int percent)
{
    if (!OnProgress)
        return;
    try {
        OnProgress(percent);
    } catch (...) {
    }
}

QImage TPrintWorkspace::RenderPageBitmap(int width, int height)
{
    TPrintWorkspaceInfo info = Info();
    info.FactorX = (long double)width / info.PageWidth;
    info.FactorY = (long double)height / info.PageHeight;
    info.PictureWidth = FState->Picture.width();
    info.PictureHeight = FState->Picture.height();
    FState->Layout.Layout(info, width, height);
    return DrawPageBitmap(FState->Picture, width, height, info.OutLeft, info.OutTop,
                          info.OutWidth, info.OutHeight, EffectiveBackground());
}

} // namespace orvanto

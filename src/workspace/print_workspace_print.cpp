// Printing: the printer's presence, copies and dialog, and one print job
// (TPrintJob) run with the workspace's settings and picture.
#include "workspace/print_workspace.h"

#include "platform/platform.h"
#include "localisation/language.h"
#include "support/messages/messages.h"
#include "support/messages/program_name.h"
#include "workspace/print_job.h"
#include "workspace/print_workspace_state.h"

#include <algorithm>
#include <chrono>
#include <future>
#include <optional>

namespace orvanto {

namespace {

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
        // A printer list that cannot be read has no printer to offer.
    }
    FState->LastError = Messages::NoPrinterInstalled;
    return false;
}

bool TPrintWorkspace::CanPrint()
{
    return !FState->Picture.Empty() && !FState->Printing && PrinterPresent();
}

bool TPrintWorkspace::Printing() const
{
    return FState->Printing;
}

int TPrintWorkspace::Copies() const
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
        if (!Platform().Printer().PrintDialog(Copies()))
            return false;
    } catch (...) {
        return false;
    }
    try {
        const int orientation = Platform().Printer().Orientation();
        if (orientation == poPortrait || orientation == poLandscape)
            FState->Layout.SetOrientation(TPrintOrientation(orientation));
    } catch (...) {
        // The orientation stays as it was.
    }
    try {
        // Kept with the settings, so the next run prints there again.
        TPrintWorkspaceInfo info = FState->Layout.Info();
        info.Printer = Platform().Printer().CurrentPrinterName();
        info.Paper = Platform().Printer().PaperName();
        FState->Layout.ApplyInfo(info);
    } catch (...) {
        // The choice holds for this run only.
    }
    Refresh();
    return true;
}

bool TPrintWorkspace::Print()
{
    if (!FinishLoading())
        return false;
    FState->LastError = Messages::OutOfMemory;
    FState->PrintCancelled = false;
    if (!CanPrint())
        return false;
    if (!PosterAgreed())
        return false;
    FState->Printing = true;
    bool done = false;
    std::int64_t budget = FState->Layout.MemoryBudget();
    std::optional<TPrintJob> job;
    try {
        // Re-validated, and the window shows the job state.
        ApplyInfo(Info());
        Progress(10);
        job.emplace(Platform().Printer(), FState->Layout, FState->Picture.Bitmap(),
                    Info().EffectiveBackground());
        FState->Job = &*job;
        done = RunJob(*job, budget);
    } catch (...) {
        // Whatever failed, no half-made job is left open to print.
        done = false;
        try {
            Platform().Printer().AbortDoc();
        } catch (...) {
            // Nothing more can be done with a printer that fails to abort.
        }
    }
    FState->Job = nullptr;
    TLastPrint last = FState->Layout.Info().LastPrint;
    if (job) {
        if (!job->LastError().empty())
            FState->LastError = job->LastError();
        if (job->LastPrint().Width > 0)
            last = job->LastPrint();
        if (job->Cancelled()) {
            FState->PrintCancelled = true;
            FState->LastError.clear();
            // Esc came as the worker handed the job over: the print system
            // has it, so it is called back there.
            if (done)
                CancelHandedOverJob();
        }
    }
    Progress(100);
    last.Resolution = BudgetPercent(budget, FState->Layout.MemoryBudget());
    FState->Layout.SetLastPrint(last);
    FState->Printing = false;
    Changed(wcStatus);
    return done;
}

// The worker is always waited for, even when the wait itself fails: it
// reads the job, which lives in the caller's frame.
bool TPrintWorkspace::RunJob(TPrintJob& job, std::int64_t& budget)
{
    std::future<bool> result = std::async(std::launch::async, [&job, &budget] { return job.Run(budget); });
    const auto slice = OnPrintWait ? std::chrono::milliseconds(0) : std::chrono::milliseconds(50);
    // The job's counters move one at a time (a sheet's drawing starts again
    // at nought as it is counted sent, and a retry with less memory draws
    // again), so a reading between two may be lower than the last: the bar
    // never goes back.
    int shown = 0;
    while (result.wait_for(slice) != std::future_status::ready) {
        shown = std::max(shown, job.Percent());
        Progress(shown);
        if (OnPrintWait)
            OnPrintWait();
    }
    return result.get();
}

void TPrintWorkspace::CancelPrint()
{
    if (FState->Job)
        FState->Job->Cancel();
}

bool TPrintWorkspace::PrintCancelled() const
{
    return FState->PrintCancelled;
}

void TPrintWorkspace::CancelHandedOverJob()
{
    try {
        Platform().Printer().CancelJob();
    } catch (...) {
        // The job prints after all; the status bar follows it as any other.
    }
}

// A poster of more sheets than anyone glues by accident is printed only
// when the user says so; with nobody to ask, not at all.
bool TPrintWorkspace::PosterAgreed()
{
    try {
        const QSize size = FState->Picture.Size();
        const TPageLayout& layout = FState->Layout;
        if (!layout.PosterApplies(size.width(), size.height()))
            return true;
        const std::size_t sheets = layout.PosterPlan(size.width(), size.height()).Sheets.size();
        if (sheets <= SheetsWithoutAsking)
            return true;
        std::string question = Translate(Messages::ManySheets);
        const std::size_t at = question.find("%d");
        if (at != std::string::npos)
            question.replace(at, 2, std::to_string(sheets));
        const int answer = Platform().MessageBox().Ask(question, Translate(ProgramName));
        FState->LastError = answer < 0 ? Messages::ManySheetsUnattended : "";
        return answer == 1;
    } catch (...) {
        FState->LastError = Messages::UnexpectedError;
        return false;
    }
}

void TPrintWorkspace::Progress(int percent)
{
    if (!OnProgress)
        return;
    try {
        OnProgress(percent);
    } catch (...) {
        // A progress display that fails does not stop the work it shows.
    }
}

} // namespace orvanto

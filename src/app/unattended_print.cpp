#include "app/unattended_print.h"

#include "app/workspace_settings.h"
#include "localisation/language.h"
#include "localisation/print_status_text.h"
#include "platform/platform.h"
#include "support/messages/general.h"
#include "support/messages/messages.h"
#include "workspace/print_workspace.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace orvanto {

namespace {

// The printer watcher's first answer takes one request round; a silent
// server is known as such after the answer limit (5 s), so this bound is
// only reached when connecting itself keeps failing slowly.
constexpr std::chrono::seconds FirstAnswerLimit{20};
// Each step of the hand-over has its own limit; this bounds the whole, so
// that the run ends well within 45 s whatever the server does.
constexpr std::chrono::seconds HandOverLimit{20};

// The page is laid out by the printer the server names, so the run waits
// for the first answer; false (the message shown) when the server is
// silent.
bool AwaitPrintSystem()
{
    IPrinter& printer = Platform().Printer();
    const auto until = std::chrono::steady_clock::now() + FirstAnswerLimit;
    while (printer.Facts().Server == TServerState::Asking && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    TPrinterFacts facts = printer.Facts();
    if (facts.Server == TServerState::Asking)
        facts.Server = TServerState::Silent;
    if (facts.Server != TServerState::Silent)
        return true;
    ShowError(ServerStatusText(facts));
    return false;
}

// The run succeeds only once the print system holds the job.
bool AwaitHandOver()
{
    IPrinter& printer = Platform().Printer();
    if (printer.WaitForHandOver(HandOverLimit))
        return true;
    TJobStatus job = printer.JobStatus();
    if (!job.Ended()) {
        job.Phase = TJobPhase::Failed;
        job.Failure = TJobFailure::ServerSilent;
    }
    ShowError(JobStatusText(job));
    return false;
}

} // namespace

int PrintUnattended(const TCommandLine& line, const std::optional<TStoredSettings>& stored)
{
    try {
        if (!AwaitPrintSystem())
            return 1;
        TPrintWorkspace workspace;
        if (stored) {
            const std::string note = ApplyStoredSettings(*stored, workspace);
            if (!note.empty())
                std::fprintf(stderr, "%s\n", note.c_str());
        }
        bool printed = false;
        workspace.OnAutoPrinted = [&printed](TPrintWorkspace&, bool done) { printed = done; };
        if (!workspace.ProcessCommandLine(line)) {
            workspace.ShowLastError();
            return 1;
        }
        // What could be read is printed, as the desktop's viewers show it;
        // the caller learns that the rest is missing.
        // A stretched picture still prints, as the settings ask; whoever
        // started the run learns of it.
        if (const std::string stretched = StretchNote(workspace); !stretched.empty())
            std::fprintf(stderr, "%s\n", stretched.c_str());
        if (workspace.Picture().LastLoadPartial())
            std::fprintf(stderr, "%s\n%s\n", Translate(Messages::PartlyRead).c_str(), line.Picture.c_str());
        return printed && AwaitHandOver() ? 0 : 1;
    } catch (...) {
        return 1;
    }
}

} // namespace orvanto

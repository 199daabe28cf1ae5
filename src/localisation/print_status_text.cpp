#include "localisation/print_status_text.h"

#include "localisation/language.h"
#include "support/messages/messages.h"

#include <utility>

namespace orvanto {

namespace {

std::string Fill(const char* english, const std::string& first, const std::string& second = {})
{
    std::string text = Translate(english);
    for (const auto& [mark, value] : {std::pair<std::string, std::string>{"%1", first}, {"%2", second}})
        if (const std::size_t at = text.find(mark); at != std::string::npos)
            text.replace(at, mark.size(), value);
    return text;
}

// The server's own message wins over our word for a plain pause: it is
// what the person who stopped the printer wrote (cupsdisable -r).
std::string Reason(TPrinterProblem problem, const std::string& message)
{
    switch (problem) {
    case TPrinterProblem::OutOfPaper: return Translate(Messages::ReasonOutOfPaper);
    case TPrinterProblem::PaperJam: return Translate(Messages::ReasonPaperJam);
    case TPrinterProblem::DoorOpen: return Translate(Messages::ReasonDoorOpen);
    case TPrinterProblem::OutOfToner: return Translate(Messages::ReasonOutOfToner);
    case TPrinterProblem::Offline: return Translate(Messages::ReasonOffline);
    case TPrinterProblem::Paused: return message.empty() ? Translate(Messages::ReasonPaused) : message;
    case TPrinterProblem::Other: return message.empty() ? Translate(Messages::ReasonOther) : message;
    case TPrinterProblem::None:
    case TPrinterProblem::Refusing: break;
    }
    return {};
}

std::string ProblemText(TPrinterProblem problem, const std::string& printer, const std::string& message)
{
    if (problem == TPrinterProblem::None)
        return {};
    if (problem == TPrinterProblem::Refusing)
        return Fill(Messages::PrinterRefuses, printer);
    return Fill(Messages::PrinterStopped, printer, Reason(problem, message));
}

} // namespace

std::string ServerStatusText(const TPrinterFacts& facts)
{
    switch (facts.Server) {
    case TServerState::Asking: return Translate(Messages::LookingForPrinters);
    case TServerState::Silent: return Fill(Messages::ServerSilent, facts.ServerName);
    case TServerState::Answers:
    case TServerState::Unreachable: break;
    }
    return {};
}

std::string ServerStatusShortText(const TPrinterFacts& facts)
{
    switch (facts.Server) {
    case TServerState::Asking: return Translate(Messages::LookingForPrintersShort);
    case TServerState::Silent: return Translate(Messages::ServerSilentShort);
    case TServerState::Answers:
    case TServerState::Unreachable: break;
    }
    return {};
}

std::string PrinterProblemText(const TPrinterFacts& facts)
{
    return ProblemText(ProblemOf(facts), facts.Current, facts.Message);
}

std::string JobStatusText(const TJobStatus& job)
{
    switch (job.Phase) {
    case TJobPhase::None: return {};
    case TJobPhase::Handing:
    case TJobPhase::Printing: return Fill(Messages::PrintingOn, job.Printer);
    case TJobPhase::Stopped: {
        const TPrinterProblem problem = job.Problem == TPrinterProblem::None ? TPrinterProblem::Paused : job.Problem;
        return ProblemText(problem, job.Printer, job.Message);
    }
    case TJobPhase::Printed: return Fill(Messages::PrintedOn, job.Printer);
    case TJobPhase::Cancelled: return Translate(Messages::JobCancelled);
    case TJobPhase::Failed: break;
    }
    switch (job.Failure) {
    case TJobFailure::ServerSilent: return Fill(Messages::ServerSilent, job.Server);
    case TJobFailure::ServerUnreachable: return Fill(Messages::ServerUnreachable, job.Server);
    case TJobFailure::Refused: return Fill(Messages::PrinterRefuses, job.Printer);
    case TJobFailure::PrinterGone: return Fill(Messages::PrinterGone, job.Printer);
    case TJobFailure::Aborted:
    case TJobFailure::None: break;
    }
    return Fill(Messages::JobAborted, job.Printer);
}

} // namespace orvanto

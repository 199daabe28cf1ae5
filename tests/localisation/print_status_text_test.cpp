// What the first panel and the status bar say of the print system, in
// English and in the shipped German.
#include "localisation/language.h"
#include "localisation/print_status_text.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

using namespace orvanto;

namespace {

TPrinterFacts Facts(TServerState server, bool stopped = false, std::vector<std::string> reasons = {},
                    std::string message = {}, bool accepting = true)
{
    TPrinterFacts facts;
    facts.Server = server;
    facts.ServerName = "printhost:631";
    facts.Current = "Büro Drucker";
    facts.Printers = {facts.Current};
    facts.Stopped = stopped;
    facts.Reasons = std::move(reasons);
    facts.Message = std::move(message);
    facts.Accepting = accepting;
    return facts;
}

TJobStatus Job(TJobPhase phase, TJobFailure failure = TJobFailure::None,
               TPrinterProblem problem = TPrinterProblem::None, std::string message = {})
{
    TJobStatus job;
    job.Phase = phase;
    job.Printer = "Büro Drucker";
    job.Server = "printhost:631";
    job.Failure = failure;
    job.Problem = problem;
    job.Message = std::move(message);
    return job;
}

TEST(PrintStatusText, SaysWhereThePrintSystemStandsInEnglishAndGerman)
{
    using A = TServerState;
    struct TCase {
        const char* Name;
        std::function<std::string()> Text;
        const char* English;
        const char* German;
    } cases[] = {
        {"before the first answer", [] { return ServerStatusText(Facts(A::Asking)); }, "Looking for printers…",
         "Drucker werden gesucht…"},
        {"silent server", [] { return ServerStatusText(Facts(A::Silent)); },
         "The print server does not answer: printhost:631", "Der Druckserver antwortet nicht: printhost:631"},
        {"answering server", [] { return ServerStatusText(Facts(A::Answers)); }, "", ""},
        {"before the first answer, a narrow window", [] { return ServerStatusShortText(Facts(A::Asking)); },
         "Looking…", "Suche…"},
        {"silent server, a narrow window", [] { return ServerStatusShortText(Facts(A::Silent)); }, "No answer",
         "Keine Antwort"},
        {"answering server, a narrow window", [] { return ServerStatusShortText(Facts(A::Answers)); }, "", ""},
        {"no print system", [] { return ServerStatusText(Facts(A::Unreachable)); }, "", ""},
        {"ready printer", [] { return PrinterProblemText(Facts(A::Answers)); }, "", ""},
        {"out of paper",
         [] { return PrinterProblemText(Facts(A::Answers, true, {"media-empty-error", "paused"})); },
         "Printer Büro Drucker stopped: out of paper", "Drucker Büro Drucker angehalten: kein Papier"},
        {"stopped with the owner's words",
         [] { return PrinterProblemText(Facts(A::Answers, true, {"paused"}, "Wartung bis 14 Uhr")); },
         "Printer Büro Drucker stopped: Wartung bis 14 Uhr", "Drucker Büro Drucker angehalten: Wartung bis 14 Uhr"},
        {"paused without words", [] { return PrinterProblemText(Facts(A::Answers, true, {"paused"})); },
         "Printer Büro Drucker stopped: paused", "Drucker Büro Drucker angehalten: angehalten"},
        {"offline", [] { return PrinterProblemText(Facts(A::Answers, true, {"offline-report", "offline"})); },
         "Printer Büro Drucker stopped: offline", "Drucker Büro Drucker angehalten: nicht verbunden"},
        {"jam", [] { return PrinterProblemText(Facts(A::Answers, true, {"media-jam-error"})); },
         "Printer Büro Drucker stopped: paper jam", "Drucker Büro Drucker angehalten: Papierstau"},
        {"refusing", [] { return PrinterProblemText(Facts(A::Answers, false, {}, {}, false)); },
         "Printer Büro Drucker does not accept jobs", "Drucker Büro Drucker nimmt keine Aufträge an"},
        {"no job", [] { return JobStatusText(TJobStatus()); }, "", ""},
        {"handing over", [] { return JobStatusText(Job(TJobPhase::Handing)); }, "Printing on Büro Drucker…",
         "Druckt auf Büro Drucker…"},
        {"printing", [] { return JobStatusText(Job(TJobPhase::Printing)); }, "Printing on Büro Drucker…",
         "Druckt auf Büro Drucker…"},
        {"printed", [] { return JobStatusText(Job(TJobPhase::Printed)); }, "Printed on Büro Drucker",
         "Gedruckt auf Büro Drucker"},
        {"job on a printer out of toner",
         [] { return JobStatusText(Job(TJobPhase::Stopped, TJobFailure::None, TPrinterProblem::OutOfToner)); },
         "Printer Büro Drucker stopped: out of toner or ink", "Drucker Büro Drucker angehalten: kein Toner oder keine Tinte"},
        {"job on a printer stopped with a reason",
         [] {
             return JobStatusText(Job(TJobPhase::Stopped, TJobFailure::None, TPrinterProblem::Paused, "out of paper"));
         },
         "Printer Büro Drucker stopped: out of paper", "Drucker Büro Drucker angehalten: out of paper"},
        {"cancelled", [] { return JobStatusText(Job(TJobPhase::Cancelled)); }, "Job cancelled",
         "Auftrag abgebrochen"},
        {"refused", [] { return JobStatusText(Job(TJobPhase::Failed, TJobFailure::Refused)); },
         "Printer Büro Drucker does not accept jobs", "Drucker Büro Drucker nimmt keine Aufträge an"},
        {"printer gone", [] { return JobStatusText(Job(TJobPhase::Failed, TJobFailure::PrinterGone)); },
         "Printer Büro Drucker is no longer there", "Drucker Büro Drucker ist nicht mehr vorhanden"},
        {"server silent", [] { return JobStatusText(Job(TJobPhase::Failed, TJobFailure::ServerSilent)); },
         "The print server does not answer: printhost:631", "Der Druckserver antwortet nicht: printhost:631"},
        {"server away", [] { return JobStatusText(Job(TJobPhase::Failed, TJobFailure::ServerUnreachable)); },
         "The print server cannot be reached: printhost:631", "Der Druckserver ist nicht erreichbar: printhost:631"},
        {"given up", [] { return JobStatusText(Job(TJobPhase::Failed, TJobFailure::Aborted)); },
         "The print system gave up the job on Büro Drucker", "Das Drucksystem hat den Auftrag auf Büro Drucker aufgegeben"},
    };
    const std::string installed = TLanguage::LanguageFileName();
    std::remove(installed.c_str());
    FreeLanguage();
    for (const TCase& c : cases)
        EXPECT_EQ(c.Text(), c.English) << c.Name;

    const std::string bytes = ReadWholeFile(std::string(ORVANTO_BINARY_DIR) + "/languages/de.llf");
    ASSERT_FALSE(bytes.empty());
    ASSERT_TRUE(WriteWholeFile(installed, bytes));
    FreeLanguage();
    for (const TCase& c : cases)
        EXPECT_EQ(c.Text(), c.German) << c.Name;
    std::remove(installed.c_str());
    FreeLanguage();
}

} // namespace

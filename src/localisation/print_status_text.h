#pragma once

// The print system's state in the user's words: what the first panel says
// while no printer can be used, and what the status bar says of the last
// job, translated.

#include "platform/print_job_status.h"
#include "platform/printer_watcher.h"

#include <string>

namespace orvanto {

// "Looking for printers…" before the first answer, "The print server does
// not answer: NAME" while it is silent; empty when it answers or is not
// there at all (the usual "No printer installed" then applies).
std::string ServerStatusText(const TPrinterFacts& facts);
// Its short form for a narrow window: "Looking…", "No answer"; empty
// whenever ServerStatusText is.
std::string ServerStatusShortText(const TPrinterFacts& facts);
// The reason a printer stopped or takes no jobs, as "Printer X stopped:
// out of paper"; empty when it has none.
std::string PrinterProblemText(const TPrinterFacts& facts);
// Where the job stands: "Printing on X…", "Printed on X", "Job cancelled",
// or what stopped it; empty without a job.
std::string JobStatusText(const TJobStatus& job);

} // namespace orvanto

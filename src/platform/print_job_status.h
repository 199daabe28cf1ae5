#pragma once

// Where a print job stands, from the moment it is handed to the print
// system until the system reports its end.

#include "platform/printer_watcher.h"

#include <cstdint>
#include <string>

namespace orvanto {

enum class TJobPhase {
    None,      // no job yet
    Handing,   // being handed to the print system
    Printing,  // accepted, waiting for or on the printer
    Stopped,   // accepted, but its printer stopped (Problem says why)
    Printed,   // the print system reports it done
    Cancelled, // cancelled, by the user or the print system
    Failed     // not accepted, or ended without printing (Failure says why)
};

enum class TJobFailure {
    None,
    ServerSilent,      // the server did not answer in time
    ServerUnreachable, // nothing answered where the server should be
    Refused,           // the printer takes no jobs
    PrinterGone,       // the printer is no longer there
    Aborted            // the print system gave the job up
};

struct TJobStatus {
    TJobPhase Phase = TJobPhase::None;
    std::string Printer;
    std::string Server; // for "does not answer" messages
    int Id = 0;         // the print system's job number, 0 before it took the job
    TPrinterProblem Problem = TPrinterProblem::None;
    std::string Message; // the printer's own state message, when it gave one
    TJobFailure Failure = TJobFailure::None;
    std::uint64_t Generation = 0; // grows with each change

    bool Ended() const
    {
        return Phase == TJobPhase::Printed || Phase == TJobPhase::Cancelled || Phase == TJobPhase::Failed;
    }
    // The print system holds the job: it can no longer be lost.
    bool Accepted() const { return Id > 0; }
};

} // namespace orvanto

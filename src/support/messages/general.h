#pragma once

#include <string>

namespace orvanto {

// The error box, one instance per process (General()).
class TGeneral {
public:
    // The modal error box: message and the caption "Error", both translated.
    // Never throws; a failure of the box itself is swallowed.
    void ShowError(const std::string& message);
    // The same with a second line shown exactly as written, untranslated:
    // the file the message is about ("Tom & Jerry.jpg" keeps its "&").
    void ShowError(const std::string& message, const std::string& detail);
    // The box "Out of memory", then the process ends through the ordinary
    // exit path, so the exit steps (temporary files, services) still run.
    [[noreturn]] void FatalOutOfMemory();
};

// The process-wide instance, created on first use; null only when memory
// ran out. FreeGeneral empties the slot; the next General() makes a new one.
TGeneral* General();
void FreeGeneral();

// Shows message through General(), quietly doing nothing without an instance.
void ShowError(const std::string& message);
void ShowError(const std::string& message, const std::string& detail);

// The message for the exception being handled: "Out of memory" for a failed
// allocation, "Unexpected error" for anything else. Call it inside a catch.
std::string CaughtFailureMessage();
// Shows CaughtFailureMessage() in the error box (and, in an unattended run,
// on standard error): for a catch at a public edge whose caller cannot be
// told by a result.
void ShowCaughtFailure();

} // namespace orvanto

#pragma once

#include <string>

namespace orvanto {

// The error box, one instance per process (General()).
class TGeneral {
public:
    // The modal error box: message and the caption "Error", both translated.
    // Never throws; a failure of the box itself is swallowed.
    void ShowError(const std::string& message);
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

} // namespace orvanto

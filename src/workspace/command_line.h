#pragma once

// The program's command line: a picture file, then optionally a name shown
// in the window and print-job titles and the switch "/AUTOPRINT", or the
// switch alone. It is read once, at start-up; the same reading decides
// whether the run is unattended and what the workspace opens and prints.

#include <string>
#include <vector>

namespace orvanto {

struct TCommandLine {
    std::string Picture;     // empty: nothing to open
    std::string PrinterName; // the second argument, unless it is the switch
    bool AutoPrint = false;  // the switch, in any case, in second or third place
};

// arguments: what follows the executable's name. Arguments after the third
// are ignored.
TCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// A run that prints a picture and ends without a window: the switch, or the
// stored Auto Print option, with a picture named.
bool IsUnattended(const TCommandLine& line, bool storedAutoPrint);

} // namespace orvanto

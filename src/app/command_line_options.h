#pragma once

// The command line's options in the usual Linux form, looked at before
// anything else starts, so that "orvanto --help" and "orvanto --version"
// answer without a display and without a window. The program's own
// arguments (a picture, its name, /AUTOPRINT) and Qt's options
// (--platform, --style, ...) pass through untouched.

#include <string>
#include <vector>

namespace orvanto {

enum class TOptionAction {
    Start,   // nothing for us: the program starts as usual
    Help,    // print Text to standard output, exit status 0
    Version, // print Text to standard output, exit status 0
    Refuse,  // print Text (one line) to standard error, exit status 2
};

struct TOptionOutcome {
    TOptionAction Action = TOptionAction::Start;
    std::string Text;
};

// What the arguments (without the program name) ask for. The first --help
// or --version decides; an unknown option starting with "--" is refused.
TOptionOutcome ReadCommandLineOptions(const std::vector<std::string>& arguments);

// Reads argv, prints what the outcome says and returns the exit status;
// -1 when the program should start.
int HandleCommandLineOptions(int argc, char* argv[]);

} // namespace orvanto

#include "app/command_line_options.h"

#include "app/startup/version.h"
#include "support/messages/program_name.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace orvanto {

namespace {

// Qt reads these itself, with one dash or two.
const char* const QtOptions[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "qwindowicon", "qwindowtitle", "reverse", "session", "display", "geometry",
    "style", "stylesheet", "widgetcount", "nograb", "dograb", "sync",
};

std::string HelpText()
{
    return std::string("Usage: orvanto [PICTURE [NAME] [/AUTOPRINT]]\n"
                       "Prints one picture at a time, laid out on the page as you choose.\n"
                       "\n"
                       "  PICTURE      the picture to open\n"
                       "  NAME         the name shown in the window and in the print job's title\n"
                       "  /AUTOPRINT   print PICTURE with the stored layout and end, without a window\n"
                       "  --help       show this help and end\n"
                       "  --version    show the version and end\n"
                       "\n"
                       "Exit status: 0 when the page went to the printer (or no print was asked),\n"
                       "1 when the picture could not be loaded or printed, 2 for an unknown option.\n"
                       "The printer is the current CUPS destination; CUPS_SERVER names another\n"
                       "print server. See orvanto(1).\n");
}

} // namespace

TOptionOutcome ReadCommandLineOptions(const std::vector<std::string>& arguments)
{
    for (const std::string& argument : arguments) {
        if (argument.size() <= 2 || !argument.starts_with("--"))
            continue;
        if (argument == "--help")
            return {TOptionAction::Help, HelpText()};
        if (argument == "--version")
            return {TOptionAction::Version, std::string(ProgramName) + " " + ProgramVersion + "\n"};
        const std::string name = argument.substr(2, argument.find('=') - 2);
        if (std::find(std::begin(QtOptions), std::end(QtOptions), name) == std::end(QtOptions))
            return {TOptionAction::Refuse, "orvanto: unknown option " + argument + " (see orvanto --help)\n"};
    }
    return {};
}

int HandleCommandLineOptions(int argc, char* argv[])
{
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    const TOptionOutcome outcome = ReadCommandLineOptions(arguments);
    switch (outcome.Action) {
    case TOptionAction::Start:
        return -1;
    case TOptionAction::Refuse:
        std::fputs(outcome.Text.c_str(), stderr);
        return 2;
    case TOptionAction::Help:
    case TOptionAction::Version:
        break;
    }
    std::fputs(outcome.Text.c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace orvanto

#pragma once

#include <functional>
#include <string>
#include <vector>

namespace orvanto {

// A command of orvanto-tool. Run gets the arguments after the command's name
// and returns the process exit status.
struct TToolCommand {
    std::string Name;
    std::string Usage;   // e.g. "convert IN OUT [options]"
    std::string Summary; // one line for --help
    std::function<int(const std::vector<std::string>& arguments)> Run;
    // Commands that paint or print get a Qt Gui application up front.
    // Those that only read, write and list files start without one, which
    // saves a good part of a short run, and ask for it when a picture needs
    // fonts (EnsureGuiApplication).
    bool NeedsGui = true;
};

// Creates the Qt Gui application (offscreen) unless one exists.
void EnsureGuiApplication();

std::vector<TToolCommand>& ToolCommands();

// Put one of these at namespace scope in a command's file:
//   static TRegisterCommand registration{{"info", "info FILE", "...", &RunInfo}};
struct TRegisterCommand {
    explicit TRegisterCommand(TToolCommand command);
};

// The error text on standard error, then status 1: how every command fails.
int Fail(const std::string& message);

} // namespace orvanto

#pragma once

#include <functional>
#include <string>
#include <vector>

// A command of orvanto-tool. Run gets the arguments after the command's name
// and returns the process exit status.
struct TToolCommand {
    std::string Name;
    std::string Usage;   // e.g. "convert IN OUT [options]"
    std::string Summary; // one line for --help
    std::function<int(const std::vector<std::string>& arguments)> Run;
};

std::vector<TToolCommand>& ToolCommands();

// Put one of these at namespace scope in a command's file:
//   static TRegisterCommand registration{{"info", "info FILE", "...", &RunInfo}};
struct TRegisterCommand {
    explicit TRegisterCommand(TToolCommand command);
};

// The error text on standard error, then status 1: how every command fails.
int Fail(const std::string& message);

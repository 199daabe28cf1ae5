#include "command_registry.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace orvanto {

namespace {

// Printing needs Qt Print Support and Widgets, which the other commands
// should not pay for at start: the printers command lives in
// orvanto-tool-print, which takes over the process. It sits beside this
// program in the build folder and in the installed prefix's program folder
// for helpers (ORVANTO_TOOL_HELPER_FOLDER, relative to this program's).
std::string PrintProgram()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return "orvanto-tool-print";
    const std::filesystem::path beside = self.parent_path() / "orvanto-tool-print";
#ifdef ORVANTO_TOOL_HELPER_FOLDER
    const std::filesystem::path installed = self.parent_path() / ORVANTO_TOOL_HELPER_FOLDER / "orvanto-tool-print";
    if (!std::filesystem::exists(beside, error) && std::filesystem::exists(installed, error))
        return installed.lexically_normal().string();
#endif
    return beside.string();
}

int RunPrinters(const std::vector<std::string>& arguments)
{
    const std::string program = PrintProgram();
    std::vector<std::string> words{program, "printers"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    return Fail("Cannot run " + program + ": " + std::strerror(errno));
}

TRegisterCommand registration{{"printers", "printers", "lists the printers; * marks the current one",
                               &RunPrinters, false}};

} // namespace

} // namespace orvanto

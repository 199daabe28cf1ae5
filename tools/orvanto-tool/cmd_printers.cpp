#include "command_registry.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace orvanto {

namespace {

// Printing needs Qt Print Support and Widgets, which the other commands
// should not pay for at start: the printers command lives in
// orvanto-tool-print beside this program, which takes over the process.
int RunPrinters(const std::vector<std::string>& arguments)
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::string program = (error ? std::filesystem::path("orvanto-tool-print")
                                       : self.parent_path() / "orvanto-tool-print").string();
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

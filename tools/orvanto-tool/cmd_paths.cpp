#include "command_registry.h"

#include "support/files/paths.h"

#include <cstdio>

namespace orvanto {

namespace {

int RunPaths(const std::vector<std::string>& arguments)
{
    if (!arguments.empty())
        return Fail("Usage: orvanto-tool paths");
    TPaths* paths = Paths();
    std::printf("data area: %s\n", (paths->WindowsFolder() + MakerFolderName).c_str());
    std::printf("settings:  %s\n", paths->MakerDataFolder("Settings").c_str());
    std::printf("menu area: %s\n", (paths->ProgramsFolder() + MakerFolderName).c_str());
    return 0;
}

TRegisterCommand registration{{"paths", "paths",
                               "prints the folders where Orvanto keeps its files", &RunPaths, false}};

} // namespace

} // namespace orvanto

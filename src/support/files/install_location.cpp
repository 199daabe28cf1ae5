#include "support/files/install_location.h"

#include <filesystem>
#include <system_error>

namespace orvanto {

namespace fs = std::filesystem;

std::string ProgramExecutable()
{
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.string();
}

std::string DataFolderFor(const std::string& executable)
{
    if (executable.empty())
        return {};
    std::error_code error;
    const fs::path prefix = fs::path(executable).parent_path().parent_path();
    const fs::path installed = prefix / "share" / "orvanto";
    if (fs::is_directory(installed, error))
        return installed.string() + "/";
    if (fs::is_regular_file(prefix / "CMakeCache.txt", error))
        return prefix.string() + "/";
    return {};
}

std::string ProgramDataFolder()
{
    return DataFolderFor(ProgramExecutable());
}

} // namespace orvanto

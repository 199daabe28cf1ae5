#include "support/file_listing.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

namespace orvanto {

std::string ListFiles(const std::string& mask, bool withPath)
{
    const auto slash = mask.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : mask.substr(0, slash + 1);
    const std::string pattern = slash == std::string::npos ? mask : mask.substr(slash + 1);
    DIR* directory = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!directory)
        return {};
    std::string result;
    try {
        while (const dirent* entry = ::readdir(directory)) {
            const std::string name = entry->d_name;
            if (name.empty() || name[0] == '.')
                continue;
            if (::fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD | FNM_PERIOD) != 0)
                continue;
            struct stat info {};
            if (::stat((folder.empty() ? name : folder + name).c_str(), &info) != 0
                || !S_ISREG(info.st_mode))
                continue;
            result += (withPath ? folder + name : name) + "\r\n";
        }
    } catch (...) {
        result.clear();
    }
    ::closedir(directory);
    return result;
}

bool IsFile(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace orvanto

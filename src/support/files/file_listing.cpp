#include "support/files/file_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool OpenReadOnly(QFile& file, const std::string& path)
{
    const int handle = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (handle < 0)
        return false;
    // A folder opens too on this system, but is no file to read.
    struct stat info {};
    if (::fstat(handle, &info) != 0 || !S_ISREG(info.st_mode)
        || !file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(handle);
        return false;
    }
    return true;
}

} // namespace orvanto

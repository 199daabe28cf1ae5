#include "support/files/z_file.h"

#include "support/files/paths.h"
#include "support/services.h"

#include <cmath>
#include <ctime>
#include <dirent.h>
#include <memory>
#include <string>
#include <sys/stat.h>

namespace orvanto {

namespace {

bool HasTemporaryExtension(const std::string& name)
{
    if (name.size() < 4)
        return false;
    const std::string extension = name.substr(name.size() - 4);
    return extension[0] == '.' && (extension[1] | 0x20) == 'z' && (extension[2] | 0x20) == 'm'
        && (extension[3] | 0x20) == 'p';
}

double NowInSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// File times are compared at the two-second resolution of the packed date
// and time they were once kept in.
double FileTimeInSeconds(const struct stat& info)
{
    const std::time_t seconds = info.st_mtim.tv_sec;
    return double(seconds - (((seconds % 2) + 2) % 2));
}

} // namespace

TZFile::~TZFile()
{
    CleanUp();
}

void TZFile::CleanUp()
{
    try {
        TPaths* paths = Paths();
        if (paths == nullptr)
            return;
        const std::string folder = paths->MakerDataFolder("") + "TEMP/";
        if (!FolderExists(folder))
            return;
        const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(folder.c_str()), &::closedir);
        if (!listing)
            return;
        const double now = NowInSeconds();
        const double limit = AgeLimitDays * 86400.0;
        int deleted = 0;
        while (deleted < DeletionsPerPass) {
            const dirent* entry = ::readdir(listing.get());
            if (entry == nullptr)
                break;
            const std::string name = entry->d_name;
            if (!HasTemporaryExtension(name))
                continue;
            struct stat info {};
            if (::lstat((folder + name).c_str(), &info) != 0)
                break;
            // Folders, links and devices are never temporary files.
            if (!S_ISREG(info.st_mode))
                continue;
            if (std::fabs(now - FileTimeInSeconds(info)) >= limit) {
                paths->RemoveFile(folder + name);
                ++deleted;
            }
        }
    } catch (...) {
    }
}

// The slot is emptied before the instance's destructor makes its clean-up
// pass, so it never holds an instance that is going away.
using TZFileSlot = TServiceSlot<TZFile, TService::ZFile>;

TZFile* ZFile() { return TZFileSlot::Get(); }
void FreeZFile() { TZFileSlot::Free(); }

void RunTemporaryFileCleanup()
{
    if (TZFile* service = ZFile())
        service->CleanUp();
}

void DeleteLeftoverPicture()
{
    try {
        if (TPaths* paths = Paths())
            paths->RemoveFile(paths->MakerDataFolder("Settings") + "TOrvanto.BMP");
    } catch (...) {
    }
}

} // namespace orvanto

#include "support/files/paths.h"

#include "platform/platform.h"
#include "support/services.h"

#include <QStandardPaths>
#include <QString>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orvanto {

namespace fs = std::filesystem;

namespace {

std::string StandardFolder(QStandardPaths::StandardLocation location)
{
    const QString folder = QStandardPaths::writableLocation(location);
    return folder.toStdString();
}

bool IsRegularFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string FolderPart(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

using TPathsSlot = TServiceSlot<TPaths, TService::Paths>;

TPaths* Paths() { return TPathsSlot::Get(); }
void FreePaths() { TPathsSlot::Free(); }

std::string TPaths::AddSlash(const std::string& folder) const
{
    if (!folder.empty() && folder.back() == '/')
        return folder;
    return folder + '/';
}

std::string TPaths::WindowsFolder() const
{
    const std::string folder = StandardFolder(QStandardPaths::GenericDataLocation);
    return folder.empty() ? std::string() : AddSlash(folder);
}

std::string TPaths::SpecialFolder(int folderId) const
{
    if (folderId != ProgramsFolderId)
        return {};
    const std::string folder = StandardFolder(QStandardPaths::ApplicationsLocation);
    return folder.empty() ? std::string() : AddSlash(folder);
}

std::string TPaths::ProgramsFolder() const
{
    return SpecialFolder(ProgramsFolderId);
}

std::string TPaths::MakerMenuFolder(const std::string& subFolder, bool create) const
{
    std::string folder = ProgramsFolder() + MakerFolderName;
    if (!subFolder.empty())
        folder += AddSlash(subFolder);
    if (create && !FolderExists(folder))
        ForceFolders(folder);
    return folder;
}

std::string TPaths::MakerDataFolder(const std::string& subFolder) const
{
    std::string folder = WindowsFolder() + MakerFolderName;
    if (!subFolder.empty())
        folder += AddSlash(subFolder);
    if (!FolderExists(folder))
        ForceFolders(folder);
    return folder;
}

bool TPaths::RemoveFile(const std::string& fileName) const
{
    if (!IsRegularFile(fileName))
        return true;
    // Deleting needs only the folder's permission on Linux, but a file made
    // read-only is cleared first anyway, so it goes the same way everywhere.
    // A link is removed as itself: its target keeps its permissions.
    struct stat link {};
    if (::lstat(fileName.c_str(), &link) == 0 && !S_ISLNK(link.st_mode))
        ::chmod(fileName.c_str(), S_IRUSR | S_IWUSR);
    ::unlink(fileName.c_str());
    struct stat info {};
    return ::lstat(fileName.c_str(), &info) != 0;
}

namespace {

// True when target already is a copy of source: the same bytes and the same
// permissions. Reading both costs less than writing the copy again, which
// the program otherwise did on every start.
bool IsCopyOf(const std::string& source, const struct stat& from, const std::string& target, const struct stat& to)
{
    if (!S_ISREG(to.st_mode) || to.st_size != from.st_size || (to.st_mode & 07777) != (from.st_mode & 07777))
        return false;
    std::ifstream a(source, std::ios::binary), b(target, std::ios::binary);
    if (!a || !b)
        return false;
    std::vector<char> one(std::size_t(1) << 16), other(one.size());
    for (;;) {
        a.read(one.data(), std::streamsize(one.size()));
        b.read(other.data(), std::streamsize(other.size()));
        if (a.gcount() != b.gcount() || std::memcmp(one.data(), other.data(), std::size_t(a.gcount())) != 0)
            return false;
        if (a.gcount() == 0 || !a || !b)
            return a.eof() && b.eof();
    }
}

} // namespace

bool TPaths::CopyFileOver(const std::string& source, const std::string& target) const
{
    struct stat from {};
    if (::stat(source.c_str(), &from) != 0 || !S_ISREG(from.st_mode))
        return false;
    const std::string folder = FolderPart(target);
    if (!folder.empty() && !FolderExists(folder))
        ForceFolders(folder);
    // A program started from its own copy would empty itself: the copy is
    // already there.
    struct stat to {};
    if (::stat(target.c_str(), &to) == 0
        && ((to.st_dev == from.st_dev && to.st_ino == from.st_ino) || IsCopyOf(source, from, target, to)))
        return true;
    // The copy is made beside the target and renamed over it when complete,
    // so a failed copy leaves the old file and a program running from the
    // old file keeps its own bytes.
    std::string temporary = folder + ".partXXXXXX";
    const int handle = ::mkstemp(temporary.data());
    if (handle < 0)
        return false;
    ::close(handle);
    std::error_code error;
    const bool copied = fs::copy_file(source, temporary, fs::copy_options::overwrite_existing, error)
                        && !error && ::chmod(temporary.c_str(), from.st_mode & 07777) == 0;
    if (copied && ::rename(temporary.c_str(), target.c_str()) == 0)
        return true;
    ::unlink(temporary.c_str());
    return false;
}

bool TPaths::OpenDocument(const std::string& target, const std::string& parameters) const
{
    const std::string folder = FolderPart(target);
    IShell& shell = Platform().Shell();
    // A program is started as itself; documents and addresses go to the
    // application the desktop associates with them. Like the shell call it
    // stands for, the request counts as made whatever the desktop answers.
    if (IsRegularFile(target) && ::access(target.c_str(), X_OK) == 0)
        shell.StartProgram(target, parameters, folder);
    else
        shell.OpenDocument(target, parameters, folder);
    return true;
}

bool FolderExists(const std::string& path)
{
    if (path.empty())
        return false;
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void ForceFolders(const std::string& path)
{
    if (path.empty())
        return;
    std::error_code ignored;
    fs::create_directories(fs::path(path), ignored);
}

} // namespace orvanto

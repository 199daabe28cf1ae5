#pragma once

#include "support/geometry/range.h"

#include <string>

namespace orvanto {

// Where the program keeps its files, and the few file operations that must
// behave the same everywhere. Every folder name returned ends with "/".
//
// The data area is the XDG data location (normally ~/.local/share) plus
// "Quendal Enterprises/"; the menu area is the XDG applications location
// (normally ~/.local/share/applications) plus "Quendal Enterprises/".
class TPaths {
public:
    static constexpr int ProgramsFolderId = 2;

    std::string AddSlash(const std::string& folder) const;
    std::string WindowsFolder() const;
    std::string SpecialFolder(int folderId) const;
    std::string ProgramsFolder() const;
    std::string MakerMenuFolder(const std::string& subFolder, bool create) const;
    std::string MakerDataFolder(const std::string& subFolder) const;

    bool RemoveFile(const std::string& fileName) const;
    // Replaces target by a copy of source, atomically (a new file renamed
    // over it); true at once when both names are the same file or target
    // already holds the same bytes with the same permissions.
    bool CopyFileOver(const std::string& source, const std::string& target) const;
    bool OpenDocument(const std::string& target, const std::string& parameters) const;

};

inline constexpr const char* MakerFolderName = "Quendal Enterprises/";

// The process-wide instance, created on first use.
TPaths* Paths();
// Frees the instance; the next Paths() creates a new one.
void FreePaths();

bool FolderExists(const std::string& path);
void ForceFolders(const std::string& path);

} // namespace orvanto

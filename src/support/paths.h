#pragma once

#include <string>

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
    // over it); true at once when both names are the same file.
    bool CopyFileOver(const std::string& source, const std::string& target) const;
    bool OpenDocument(const std::string& target, const std::string& parameters) const;

    static int Max(int a, int b) { return a < b ? b : a; }
    static int Min(int a, int b) { return b < a ? b : a; }
    // High wins when low exceeds high.
    static int Clamp(int value, int low, int high)
    {
        int v = value < low ? low : value;
        return v > high ? high : v;
    }
};

inline constexpr const char* MakerFolderName = "Quendal Enterprises/";

// The process-wide instance, created on first use.
TPaths* Paths();
// Frees the instance; the next Paths() creates a new one.
void FreePaths();

bool FolderExists(const std::string& path);
void ForceFolders(const std::string& path);

inline int Max(int a, int b) { return TPaths::Max(a, b); }
inline int Min(int a, int b) { return TPaths::Min(a, b); }
inline int Clamp(int value, int low, int high) { return TPaths::Clamp(value, low, high); }

#pragma once

// The program's entry in the desktop's application menu and in "Open With".

#include <string>
#include <vector>

namespace orvanto {

// The name under which the desktop knows the program: its desktop entry
// "org.example.Orvanto.desktop", its icon and its AppStream component.
inline constexpr const char* DesktopId = "org.example.Orvanto";

// The menu entry's texts in one more language: the installed language
// file's translations of the generic name and the comment.
struct TEntryTranslation {
    std::string Locale; // "de", "pt_BR": the language file's name
    std::string GenericName;
    std::string Comment;
};

// The translations the language files in this folder (NAME.llf) hold for the
// entry, in name order; files without them are left out.
std::vector<TEntryTranslation> EntryTranslations(const std::string& languageFolder);

// The desktop entry that shows the program in the application menu and in
// "Open With" for every registered format. executable: an absolute file
// name or a name looked up on PATH; icon: an icon file or an icon-theme
// name, none when empty. userEntry marks an entry the program wrote itself,
// which it may later refresh or remove.
std::string DesktopEntryText(const std::string& executable, const std::string& icon,
                             const std::vector<TEntryTranslation>& translations = {},
                             bool userEntry = false);
// One argument of an entry's Exec line, quoted where the entry format asks.
std::string QuoteExecArgument(const std::string& argument);

// The menu entry at start-up. When no installed entry for the program
// exists, writes or refreshes the user's entry (in the applications folder,
// named after DesktopId) pointing at the executable, with the program icon
// beside the settings; when one exists, writes nothing and removes a user
// entry the program wrote earlier, which would hide the installed one. The
// executable is never copied; the copy "Orvanto.EXE" that earlier versions
// kept in the menu area's "Fennick" folder goes, with the entry and icon
// they wrote beside it and the folders when that empties them. False when
// any part failed; the program goes on either way.
bool InstallMenuEntry(const std::string& executable);

// True when a desktop entry for the program is installed: in one of the
// system's applications folders, under the prefix the executable was
// installed to, or one in the user's folder that the program did not write.
bool InstalledEntryExists(const std::string& executable);

} // namespace orvanto

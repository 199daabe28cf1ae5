#pragma once

// The furnishings around the main window's core: the splash window shown
// while the program starts, the about box, the built-in help, and the copy
// of the program in the desktop's application menu with its menu entry.
//
// The splash picture and the help pages travel inside two carrier pictures
// built into the program (Qt resources made from assets/ at build time):
// each holds an archive in its pixel rows, padding included, so they are
// read with our own bitmap reader. The splash carrier's entry "A.BMP" is the
// splash picture; the help carrier is the help service's archive.
//
// Order of use by the main window (TForm1::FormCreate, then its commands):
//   first, before anything else is built: PrepareSplash(hasArgument); false:
//        show LastError() with ShowError and end the process at once,
//        writing no settings
//   after the button bar: CreateHelp()
//   after the menu: InstallMenuCopy(the running executable's file name)
//   last: FinishSplash()
//   shutdown, right after the workspace: Shutdown()
//   Help command (F1) inside busy mode: ShowHelp(); it shows why when it
//        cannot (no help, no web browser)
//   About command: ShowAbout()

#include "support/messages.h"

#include <QIcon>
#include <QImage>

#include <memory>
#include <string>
#include <vector>

namespace orvanto {

class TCompactSplash;
class THelp;

inline constexpr int SplashWidth = 510;
inline constexpr int SplashHeight = 310;
// The one version number lives in the top CMakeLists.txt (project VERSION);
// the about box, --version, the help pages and the package all show it.
inline constexpr const char* ProgramVersion = ORVANTO_VERSION;
inline constexpr const char* SplashCarrierResource = ":/carriers/cri.bmp";
inline constexpr const char* HelpCarrierResource = ":/carriers/help.bmp";

// A carrier picture from the resources (or any bitmap file), read with our
// reader so that the bytes in its row padding survive. Null (error set)
// when it is not there or not a bitmap.
QImage LoadCarrier(const QString& fileName, std::string& error);

// The splash window configured as the program shows it: title, version,
// black bold 8-point text, margins 10 and 10.
std::unique_ptr<TCompactSplash> CreateSplash();

// The picture centred on a white 510 x 310 canvas with its top at y = 21
// and a one-pixel black frame round the canvas.
QImage FrameSplashPicture(const QImage& picture);

// Unpacks "A.BMP" from the archive the carrier holds and gives it, framed,
// to the splash, which is shown unless the command line has an argument.
// The carrier is shrunk to 1 x 1 pixel: its pixels are no longer needed.
// No archive, or none with "A.BMP": true, no splash. An "A.BMP" that cannot
// be unpacked or read: false with the archive's (or reader's) message.
bool PrepareSplashPicture(QImage& carrier, TCompactSplash& splash, bool hasArgument,
                          std::string& lastError);

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

// The program icon at the sizes desktops use.
QIcon ProgramIcon();

// What the main window owns of all this, from its creation to Shutdown.
class TStartupExtras {
public:
    TStartupExtras();
    ~TStartupExtras();

    // Creates the splash window and runs PrepareSplashPicture on the
    // built-in splash carrier.
    bool PrepareSplash(bool hasArgument);
    // Creates the help service over the built-in help carrier.
    void CreateHelp();
    bool InstallMenuCopy(const std::string& executable) { return InstallMenuEntry(executable); }
    // At the end of start-up: a visible splash stays one more second.
    void FinishSplash();
    // The help's start page in the browser (the one the language file names,
    // when the help has it); the error box when it fails.
    bool ShowHelp();
    void ShowAbout();
    // Frees the splash window, then the help service (which removes the
    // pages it unpacked).
    void Shutdown();

    TCompactSplash* Splash() const { return FSplash.get(); }
    THelp* Help() const { return FHelp.get(); }
    const std::string& LastError() const { return FLastError; }

private:
    std::unique_ptr<TCompactSplash> FSplash;
    std::unique_ptr<THelp> FHelp;
    std::string FLastError;
    std::string FHelpError = Messages::OutOfMemory; // why there is no help, when there is none
};

} // namespace orvanto

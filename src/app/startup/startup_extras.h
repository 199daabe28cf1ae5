#pragma once

// The furnishings around the main window's core: the splash window shown
// while the program starts, the about box, the built-in help, and the copy
// of the program in the desktop's application menu with its menu entry.
//
// Each extra has its own file beside this one: splash.h, program_help.h,
// menu_entry.h (with earlier_menu_copy.h), program_icon.h, version.h.
//
// Order of use by the main window's start-up (each step's number in its
// comment):
//   2-4  TStartupExtras::PrepareSplash(hasArgument); false: show LastError()
//        with ShowError and end the process at once, writing no settings
//   11   TStartupExtras::CreateHelp()
//   13   TStartupExtras::InstallMenuEntry(the running executable's file name)
//   20   TStartupExtras::FinishSplash()
//   shutdown, right after the workspace: TStartupExtras::Shutdown()
//   Help command (F1) inside busy mode: TStartupExtras::ShowHelp()
//   About command: TStartupExtras::ShowAbout()

#include "app/startup/menu_entry.h"

#include <memory>
#include <string>

namespace orvanto {

class TCompactSplash;
class THelp;

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
};

} // namespace orvanto

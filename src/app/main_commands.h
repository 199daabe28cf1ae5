#pragma once

// What the main window's menu items, shortcuts and bar buttons do. Each
// command flips an option or calls one operation of the print workspace,
// wrapped in busy mode; when the workspace reports failure its LastError is
// shown in the error box. The window itself (busy mode, the button bar, the
// end of the program, help and about) is reached through ICommandHost, so
// the commands are tested without one.

#include "app/menu_table.h"
#include "imaging/open_handler.h"
#include "workspace/print_settings.h"

#include <functional>
#include <string>

namespace orvanto {

class TPrintWorkspace;

class ICommandHost {
public:
    virtual ~ICommandHost() = default;
    // Busy mode: busy cursor, menus, bar and workspace disabled, "Working...".
    virtual void SetBusy(bool on) = 0;
    virtual bool IsBusy() const = 0;
    virtual void Shutdown() = 0;
    virtual bool ButtonBarVisible() const = 0;
    virtual void SetButtonBarVisible(bool visible) = 0;
    // The workspace's settings bar at the top (true) or the bottom.
    virtual bool PanelOnTop() const = 0;
    virtual void SetPanelOnTop(bool onTop) = 0;
    // The colour dialog of the workspace window.
    virtual void ChooseBackground() = 0;
    virtual void ShowHelp() = 0;
    virtual void ShowAbout() = 0;
    // What a command did, in the last status panel until the next command;
    // shortText is the form a narrow window shows.
    virtual void ShowStatusText(const std::string& text, const std::string& shortText = {})
    {
        (void)text;
        (void)shortText;
    }
};

class TMainCommands {
public:
    TMainCommands(TPrintWorkspace& workspace, ICommandHost& host);

    TOpenInfo& OpenInfo() { return FOpenInfo; }
    // The folder "Open from Library" starts in: the user's pictures folder.
    static std::string LibraryFolder();

    // The state of a menu entry as its menu would show it now; an item in a
    // disabled sub-menu counts as disabled.
    bool Enabled(int entry);
    bool Checked(int entry);
    // "&Undo" and what it would undo, translated.
    std::string UndoCaption() const;

    // Runs an entry the way a click or its shortcut does: nothing while busy
    // or while the entry is disabled. True when the command ran.
    bool Dispatch(int entry);
    // Runs the command unconditionally (the caller checked).
    void Execute(const TMenuEntry& entry);

    void OpenPicture(const std::string& initialFolder);
    // Busy-wrapped LoadFile with the error box; a dropped file comes here.
    bool LoadPicture(const std::string& fileName);
    void ChangeScaling(TZoomMode mode, int percent);
    void RotateBy(int angle);

private:
    // Busy mode around operation; its failure shows the workspace's LastError.
    bool Guarded(const std::function<bool()>& operation, bool showError = true);
    bool RuleHolds(TEnabledRule rule);
    // The server has not answered yet, or went quiet: it may answer soon.
    bool PrintServerAwaited();
    void OpenWebPage(int index);

    TPrintWorkspace& FWorkspace;
    ICommandHost& FHost;
    TOpenInfo FOpenInfo;
};

} // namespace orvanto

#pragma once

// The main menu as data: every item in menu order with its caption (English,
// translated when the menu is built), shortcut, command and the rule that
// decides, when its menu opens, whether it is enabled or checked. The window
// builds its menus by walking this table, and the bar and the shortcuts run
// the same entries.

#include <cstddef>
#include <span>
#include <string>

namespace orvanto {

enum class TCommand {
    None, // a top-level menu, a sub-menu or a separator
    NewInstance,
    Open,
    OpenFromLibrary,
    Print,
    PrinterSetup,
    WebPage, // Argument: index into the concealed addresses
    Exit,
    Copy,
    Paste,
    Undo,
    Mirror,
    Flip,
    Rotate, // Argument: signed degrees
    Invert,
    SetScaling, // Argument: percentage (0 clears)
    AddScaling, // Argument: signed percentage
    AutoClose,
    AutoPrint,
    Poster,
    Center,
    ButtonBar,
    PanelTop,
    PanelBottom,
    Overall,
    CloseUp,
    BackgroundColor,
    UseBackgroundColor,
    Help,
    About,
};

// When an item is enabled, computed as its menu opens.
enum class TEnabledRule {
    Always,
    CanPrint,
    PrinterPresent,
    // A printer, or a server not heard from yet: the command then says why
    // it waits.
    PrinterPresentOrAwaited,
    CanCopy,
    CanPaste,
    CanUndo,
    CanMirror,
    CanFlip,
    CanRotate,
    CanInvert,
    CanZoom,
    CanClearZoom, // CanZoom and the current zoom is not 0
    CanCenter,
};

// What puts a check mark on an item.
enum class TCheckRule {
    None,
    AutoClose,
    AutoPrint,
    Poster,
    ButtonBar,
    PanelTop,
    PanelBottom,
    Overall,
    CloseUp,
    UseBackground,
};

struct TMenuEntry {
    int Level;            // 0 a top-level menu, 1 its item, 2 an item of a sub-menu
    const char* Name;     // "Open1"
    const char* Caption;  // "&Open...", "-" for a separator
    const char* Shortcut; // a key name such as "Ctrl+O", "F3; Ctrl+P" for two, or empty
    TCommand Command = TCommand::None;
    int Argument = 0;
    TEnabledRule Enabled = TEnabledRule::Always;
    TCheckRule Checked = TCheckRule::None;
    bool Radio = false; // drawn as a radio item
};

std::span<const TMenuEntry> MenuEntries();
// The entry that holds entry index (a menu or sub-menu); -1 for a top-level menu.
int ParentEntry(int index);
// The index of the entry with that name; -1 when there is none.
int FindMenuEntry(const std::string& name);
bool IsSeparator(const TMenuEntry& entry);

// One entry of the button bar, in bar order: a button runs the menu entry
// of that name; a separator (no caption) only adds its gap.
struct TBarEntry {
    const char* Caption; // the hint, translated; empty for a separator
    int Icon;            // a TButtonIcon value, -1 for a separator
    const char* MenuEntry;
    const char* Suffix;  // appended after translation
};

std::span<const TBarEntry> BarEntries();

// The web addresses of the link commands, stored concealed (RevealText).
std::size_t WebPageCount();
std::string WebPageAddress(int index); // empty for an index out of range

} // namespace orvanto

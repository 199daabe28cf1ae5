#pragma once

#include "platform/clipboard.h"
#include "platform/colour_dialog.h"
#include "platform/file_dialogs.h"
#include "platform/message_box.h"
#include "platform/printer.h"
#include "platform/screen.h"
#include "platform/shell.h"

#include <memory>
#include <utility>

namespace orvanto {

// What each service is until another is installed, and what installing
// null puts back.
template <typename I>
struct TDefaultService;
template <> struct TDefaultService<IMessageBox> { using Type = TConsoleMessageBox; };
template <> struct TDefaultService<IShell> { using Type = TDesktopShell; };
template <> struct TDefaultService<IPrinter> { using Type = TNoPrinter; };
template <> struct TDefaultService<IFileDialogs> { using Type = TNoFileDialogs; };
template <> struct TDefaultService<IScreen> { using Type = TGuiScreen; };
template <> struct TDefaultService<IColourDialog> { using Type = TNoColourDialog; };
template <> struct TDefaultService<IClipboard> { using Type = TNoClipboard; };

// The operating-system services the rest of the program uses, one interface
// each. Until a caller installs others (the program its Qt windows, tests
// their recording doubles), the console message box, the desktop shell,
// a printer that is not there, file and colour dialogs that cancel at once
// and an empty clipboard serve: constructing the defaults needs neither a
// display nor a print system.
class TPlatform {
public:
    IMessageBox& MessageBox() { return *FMessageBox; }
    IShell& Shell() { return *FShell; }
    IPrinter& Printer() { return *FPrinter; }
    IFileDialogs& FileDialogs() { return *FFileDialogs; }
    IScreen& Screen() { return *FScreen; }
    IColourDialog& ColourDialog() { return *FColourDialog; }
    IClipboard& Clipboard() { return *FClipboard; }

    // Installing returns the service it replaces, so a test can put it back;
    // null puts the default back.
    auto SetMessageBox(std::unique_ptr<IMessageBox> box) { return Install(FMessageBox, std::move(box)); }
    auto SetShell(std::unique_ptr<IShell> shell) { return Install(FShell, std::move(shell)); }
    auto SetPrinter(std::unique_ptr<IPrinter> printer) { return Install(FPrinter, std::move(printer)); }
    auto SetFileDialogs(std::unique_ptr<IFileDialogs> dialogs) { return Install(FFileDialogs, std::move(dialogs)); }
    auto SetScreen(std::unique_ptr<IScreen> screen) { return Install(FScreen, std::move(screen)); }
    auto SetColourDialog(std::unique_ptr<IColourDialog> dialog) { return Install(FColourDialog, std::move(dialog)); }
    auto SetClipboard(std::unique_ptr<IClipboard> clipboard) { return Install(FClipboard, std::move(clipboard)); }

private:
    template <typename I>
    static std::unique_ptr<I> MakeDefault()
    {
        return std::make_unique<typename TDefaultService<I>::Type>();
    }
    template <typename I>
    static std::unique_ptr<I> Install(std::unique_ptr<I>& slot, std::unique_ptr<I> service)
    {
        if (!service)
            service = MakeDefault<I>();
        std::swap(service, slot);
        return service;
    }

    std::unique_ptr<IMessageBox> FMessageBox = MakeDefault<IMessageBox>();
    std::unique_ptr<IShell> FShell = MakeDefault<IShell>();
    std::unique_ptr<IPrinter> FPrinter = MakeDefault<IPrinter>();
    std::unique_ptr<IFileDialogs> FFileDialogs = MakeDefault<IFileDialogs>();
    std::unique_ptr<IScreen> FScreen = MakeDefault<IScreen>();
    std::unique_ptr<IColourDialog> FColourDialog = MakeDefault<IColourDialog>();
    std::unique_ptr<IClipboard> FClipboard = MakeDefault<IClipboard>();
};

TPlatform& Platform();
// Frees the services; the next Platform() makes fresh defaults. The exit
// sequence of support/services.h calls it last.
void FreePlatform();

} // namespace orvanto

#pragma once

#include "platform/clipboard.h"
#include "platform/colour_dialog.h"
#include "platform/file_dialogs.h"
#include "platform/message_box.h"
#include "platform/printer.h"
#include "platform/screen.h"
#include "platform/shell.h"

#include <memory>

namespace orvanto {

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
    orvanto::IScreen& Screen() { return *FScreen; }
    orvanto::IColourDialog& ColourDialog() { return *FColourDialog; }
    orvanto::IClipboard& Clipboard() { return *FClipboard; }

    // Installing returns the service it replaces, so a test can put it back.
    std::unique_ptr<IMessageBox> SetMessageBox(std::unique_ptr<IMessageBox> box);
    std::unique_ptr<IShell> SetShell(std::unique_ptr<IShell> shell);
    std::unique_ptr<IPrinter> SetPrinter(std::unique_ptr<IPrinter> printer);
    std::unique_ptr<IFileDialogs> SetFileDialogs(std::unique_ptr<IFileDialogs> dialogs);
    std::unique_ptr<orvanto::IScreen> SetScreen(std::unique_ptr<orvanto::IScreen> screen);
    std::unique_ptr<orvanto::IColourDialog> SetColourDialog(std::unique_ptr<orvanto::IColourDialog> dialog);
    std::unique_ptr<orvanto::IClipboard> SetClipboard(std::unique_ptr<orvanto::IClipboard> clipboard);

private:
    std::unique_ptr<IMessageBox> FMessageBox = std::make_unique<TConsoleMessageBox>();
    std::unique_ptr<IShell> FShell = std::make_unique<TDesktopShell>();
    std::unique_ptr<IPrinter> FPrinter = std::make_unique<TNoPrinter>();
    std::unique_ptr<IFileDialogs> FFileDialogs = std::make_unique<TNoFileDialogs>();
    std::unique_ptr<orvanto::IScreen> FScreen = std::make_unique<orvanto::TGuiScreen>();
    std::unique_ptr<orvanto::IColourDialog> FColourDialog = std::make_unique<orvanto::TNoColourDialog>();
    std::unique_ptr<orvanto::IClipboard> FClipboard = std::make_unique<orvanto::TNoClipboard>();
};

TPlatform& Platform();
// Frees the services; the next Platform() makes fresh defaults. The exit
// sequence of support/services.h calls it last.
void FreePlatform();

} // namespace orvanto

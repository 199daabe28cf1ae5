#pragma once

#include "platform/message_box.h"
#include "platform/printer.h"
#include "platform/shell.h"

#include <memory>

// The operating-system services the rest of the program uses, one interface
// each. Until a caller installs others (the program its Qt windows, tests
// their recording doubles), the console message box, the desktop shell and
// a printer that is not there serve: constructing the defaults needs neither
// a display nor a print system.
class TPlatform {
public:
    IMessageBox& MessageBox() { return *MessageBox_; }
    IShell& Shell() { return *Shell_; }
    IPrinter& Printer() { return *Printer_; }

    // Installing returns the service it replaces, so a test can put it back.
    std::unique_ptr<IMessageBox> SetMessageBox(std::unique_ptr<IMessageBox> box);
    std::unique_ptr<IShell> SetShell(std::unique_ptr<IShell> shell);
    std::unique_ptr<IPrinter> SetPrinter(std::unique_ptr<IPrinter> printer);

private:
    std::unique_ptr<IMessageBox> MessageBox_ = std::make_unique<TConsoleMessageBox>();
    std::unique_ptr<IShell> Shell_ = std::make_unique<TDesktopShell>();
    std::unique_ptr<IPrinter> Printer_ = std::make_unique<TNoPrinter>();
};

TPlatform& Platform();

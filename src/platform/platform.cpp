#include "platform/platform.h"

#include <utility>

std::unique_ptr<IMessageBox> TPlatform::SetMessageBox(std::unique_ptr<IMessageBox> box)
{
    if (!box)
        box = std::make_unique<TConsoleMessageBox>();
    std::swap(box, MessageBox_);
    return box;
}

std::unique_ptr<IShell> TPlatform::SetShell(std::unique_ptr<IShell> shell)
{
    if (!shell)
        shell = std::make_unique<TDesktopShell>();
    std::swap(shell, Shell_);
    return shell;
}

std::unique_ptr<IPrinter> TPlatform::SetPrinter(std::unique_ptr<IPrinter> printer)
{
    if (!printer)
        printer = std::make_unique<TNoPrinter>();
    std::swap(printer, Printer_);
    return printer;
}

std::unique_ptr<IFileDialogs> TPlatform::SetFileDialogs(std::unique_ptr<IFileDialogs> dialogs)
{
    if (!dialogs)
        dialogs = std::make_unique<TNoFileDialogs>();
    std::swap(dialogs, FileDialogs_);
    return dialogs;
}

std::unique_ptr<orvanto::IScreen> TPlatform::SetScreen(std::unique_ptr<orvanto::IScreen> screen)
{
    if (!screen)
        screen = std::make_unique<orvanto::TGuiScreen>();
    std::swap(screen, Screen_);
    return screen;
}

std::unique_ptr<orvanto::IColourDialog>
TPlatform::SetColourDialog(std::unique_ptr<orvanto::IColourDialog> dialog)
{
    if (!dialog)
        dialog = std::make_unique<orvanto::TNoColourDialog>();
    std::swap(dialog, ColourDialog_);
    return dialog;
}

std::unique_ptr<orvanto::IClipboard> TPlatform::SetClipboard(std::unique_ptr<orvanto::IClipboard> clipboard)
{
    if (!clipboard)
        clipboard = std::make_unique<orvanto::TNoClipboard>();
    std::swap(clipboard, Clipboard_);
    return clipboard;
}

TPlatform& Platform()
{
    static TPlatform instance;
    return instance;
}

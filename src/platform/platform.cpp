#include "platform/platform.h"

#include <utility>

namespace orvanto {

std::unique_ptr<IMessageBox> TPlatform::SetMessageBox(std::unique_ptr<IMessageBox> box)
{
    if (!box)
        box = std::make_unique<TConsoleMessageBox>();
    std::swap(box, FMessageBox);
    return box;
}

std::unique_ptr<IShell> TPlatform::SetShell(std::unique_ptr<IShell> shell)
{
    if (!shell)
        shell = std::make_unique<TDesktopShell>();
    std::swap(shell, FShell);
    return shell;
}

std::unique_ptr<IPrinter> TPlatform::SetPrinter(std::unique_ptr<IPrinter> printer)
{
    if (!printer)
        printer = std::make_unique<TNoPrinter>();
    std::swap(printer, FPrinter);
    return printer;
}

std::unique_ptr<IFileDialogs> TPlatform::SetFileDialogs(std::unique_ptr<IFileDialogs> dialogs)
{
    if (!dialogs)
        dialogs = std::make_unique<TNoFileDialogs>();
    std::swap(dialogs, FFileDialogs);
    return dialogs;
}

std::unique_ptr<orvanto::IScreen> TPlatform::SetScreen(std::unique_ptr<orvanto::IScreen> screen)
{
    if (!screen)
        screen = std::make_unique<orvanto::TGuiScreen>();
    std::swap(screen, FScreen);
    return screen;
}

namespace {

// A plain pointer, like every process-wide service's: made on first use and
// freed by the exit sequence (support/services.h), not by a static
// destructor at an unknown point.
TPlatform* PlatformSlot = nullptr;

} // namespace

std::unique_ptr<orvanto::IColourDialog>
TPlatform::SetColourDialog(std::unique_ptr<orvanto::IColourDialog> dialog)
{
    if (!dialog)
        dialog = std::make_unique<orvanto::TNoColourDialog>();
    std::swap(dialog, FColourDialog);
    return dialog;
}

std::unique_ptr<orvanto::IClipboard> TPlatform::SetClipboard(std::unique_ptr<orvanto::IClipboard> clipboard)
{
    if (!clipboard)
        clipboard = std::make_unique<orvanto::TNoClipboard>();
    std::swap(clipboard, FClipboard);
    return clipboard;
}

TPlatform& Platform()
{
    if (!PlatformSlot)
        PlatformSlot = new TPlatform;
    return *PlatformSlot;
}

void FreePlatform()
{
    TPlatform* platform = PlatformSlot;
    PlatformSlot = nullptr;
    delete platform;
}

} // namespace orvanto

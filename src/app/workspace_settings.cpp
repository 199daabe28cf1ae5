#include "app/workspace_settings.h"

#include "localisation/language.h"
#include "platform/platform.h"
#include "support/messages/messages.h"
#include "workspace/exact_size.h"
#include "workspace/print_workspace.h"

namespace orvanto {

std::string ApplyStoredSettings(const TStoredSettings& stored, TPrintWorkspace& workspace)
{
    // The fields the workspace writes are copied along and written anew.
    TPrintWorkspaceInfo info = workspace.Info();
    static_cast<TPrintSettings&>(info) = stored.Print;
    workspace.ApplyInfo(info);
    try {
        // Until the print system first answers the stored printer waits to be
        // chosen: only an answer that lacks it says it is gone.
        IPrinter& printer = Platform().Printer();
        if (!stored.Print.Printer.empty() && printer.Facts().Answered()
            && printer.CurrentPrinterName() != stored.Print.Printer)
            return Translate(Messages::StoredPrinterGone);
    } catch (...) {
        // A printer that cannot be asked has nothing to say here.
    }
    return {};
}

std::string StretchNote(TPrintWorkspace& workspace)
{
    const QSize size = workspace.Picture().Size();
    if (workspace.Picture().Empty())
        return {};
    const TPageLayout& layout = workspace.Layout();
    const auto [w, h] = layout.PrintedSize(size.width(), size.height());
    const bool stretched = Stretched(size.width(), size.height(), layout.Millimetres(TAxis::Across, w),
                                     layout.Millimetres(TAxis::Down, h));
    return stretched ? Translate(Messages::Stretched) : std::string();
}

void TakeStoredSettings(TPrintWorkspace& workspace, TStoredSettings& stored)
{
    stored.Print = workspace.Info();
}

} // namespace orvanto

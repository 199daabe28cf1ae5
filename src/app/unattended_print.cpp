#include "app/unattended_print.h"

#include "app/workspace_settings.h"
#include "localisation/language.h"
#include "support/messages.h"
#include "workspace/print_workspace.h"

#include <cstdio>

namespace orvanto {

int PrintUnattended(const TCommandLine& line, const std::optional<TStoredSettings>& stored)
{
    try {
        TPrintWorkspace workspace;
        if (stored)
            ApplyStoredSettings(*stored, workspace);
        bool printed = false;
        workspace.OnAutoPrinted = [&printed](TPrintWorkspace&, bool done) { printed = done; };
        if (!workspace.ProcessCommandLine(line)) {
            workspace.ShowLastError();
            return 1;
        }
        // What could be read is printed, as the desktop's viewers show it;
        // the caller learns that the rest is missing.
        if (workspace.Picture().LastLoadPartial())
            std::fprintf(stderr, "%s\n%s\n", Translate(Messages::PartlyRead).c_str(), line.Picture.c_str());
        return printed ? 0 : 1;
    } catch (...) {
        return 1;
    }
}

} // namespace orvanto

#include "app/unattended_print.h"

#include "app/workspace_settings.h"
#include "workspace/print_workspace.h"

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
        return printed ? 0 : 1;
    } catch (...) {
        return 1;
    }
}

} // namespace orvanto

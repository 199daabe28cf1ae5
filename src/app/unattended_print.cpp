#include "app/unattended_print.h"

#include "app/workspace_settings.h"
#include "localisation/language.h"
#include "support/messages/messages.h"
#include "workspace/print_workspace.h"

#include <cstdio>

namespace orvanto {

int PrintUnattended(const TCommandLine& line, const std::optional<TStoredSettings>& stored)
{
    try {
        TPrintWorkspace workspace;
        if (stored) {
            const std::string note = ApplyStoredSettings(*stored, workspace);
            if (!note.empty())
                std::fprintf(stderr, "%s\n", note.c_str());
        }
        bool printed = false;
        workspace.OnAutoPrinted = [&printed](TPrintWorkspace&, bool done) { printed = done; };
        if (!workspace.ProcessCommandLine(line)) {
            workspace.ShowLastError();
            return 1;
        }
        // What could be read is printed, as the desktop's viewers show it;
        // the caller learns that the rest is missing.
        // A stretched picture still prints, as the settings ask; whoever
        // started the run learns of it.
        if (const std::string stretched = StretchNote(workspace); !stretched.empty())
            std::fprintf(stderr, "%s\n", stretched.c_str());
        if (workspace.Picture().LastLoadPartial())
            std::fprintf(stderr, "%s\n%s\n", Translate(Messages::PartlyRead).c_str(), line.Picture.c_str());
        return printed ? 0 : 1;
    } catch (...) {
        return 1;
    }
}

} // namespace orvanto

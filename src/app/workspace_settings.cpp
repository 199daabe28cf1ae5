#include "app/workspace_settings.h"

#include "workspace/print_workspace.h"

namespace orvanto {

void ApplyStoredSettings(const TStoredSettings& stored, TPrintWorkspace& workspace)
{
    // The fields the workspace writes are copied along and written anew.
    TPrintWorkspaceInfo info = workspace.Info();
    static_cast<TPrintSettings&>(info) = stored.Print;
    workspace.ApplyInfo(info);
}

void TakeStoredSettings(TPrintWorkspace& workspace, TStoredSettings& stored)
{
    stored.Print = workspace.Info();
}

} // namespace orvanto

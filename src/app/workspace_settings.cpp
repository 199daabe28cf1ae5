#include "app/workspace_settings.h"

#include "workspace/print_workspace.h"

#include <cstdint>

namespace orvanto {

namespace {

// A setting of the workspace itself (Set and Get), or a field of the page
// settings (Wide or Narrow), which is applied with the others in one
// ApplyInfo.
struct TWorkspaceSetting {
    int TStoredSettings::*Stored;
    void (*Set)(TPrintWorkspace&, int) = nullptr;
    int (*Get)(TPrintWorkspace&) = nullptr;
    std::int32_t TPrintWorkspaceInfo::*Wide = nullptr;
    std::uint8_t TPrintWorkspaceInfo::*Narrow = nullptr;
};

using W = TPrintWorkspace;
using S = TStoredSettings;
using I = TPrintWorkspaceInfo;

// In the order the settings file holds them.
const TWorkspaceSetting Settings[] = {
    {&S::AutoClose, [](W& w, int v) { w.SetAutoClose(v != 0); }, [](W& w) { return int(w.GetAutoClose()); }},
    {&S::AutoPrint, [](W& w, int v) { w.SetAutoPrint(v != 0); }, [](W& w) { return int(w.GetAutoPrint()); }},
    {&S::Copies, [](W& w, int v) { w.SetCopies(v); }, [](W& w) { return w.GetCopies(); }},
    {&S::Quality, nullptr, nullptr, nullptr, &I::Quality},
    {&S::Position, nullptr, nullptr, nullptr, &I::Position},
    {&S::Scale, nullptr, nullptr, nullptr, &I::Scale},
    {&S::Orientation, nullptr, nullptr, nullptr, &I::Orientation},
    {&S::X, nullptr, nullptr, &I::X},
    {&S::Y, nullptr, nullptr, &I::Y},
    {&S::ZoomX, nullptr, nullptr, &I::ZoomX},
    {&S::ZoomY, nullptr, nullptr, &I::ZoomY},
    {&S::ZoomXY, nullptr, nullptr, &I::ZoomXY},
    {&S::Size, [](W& w, int v) { w.SetPreviewSize(v); }, [](W& w) { return w.PreviewSize(); }},
    {&S::BkColor, [](W& w, int v) { w.SetBackground(std::uint32_t(v), w.UseBkColor()); },
     [](W& w) { return int(w.BkColor()); }},
    {&S::UseBkColor, [](W& w, int v) { w.SetBackground(w.BkColor(), v); }, [](W& w) { return w.UseBkColor(); }},
};

} // namespace

void ApplyStoredSettings(const TStoredSettings& stored, TPrintWorkspace& workspace)
{
    TPrintWorkspaceInfo info = workspace.Info();
    for (const TWorkspaceSetting& setting : Settings) {
        const int value = stored.*setting.Stored;
        if (setting.Set)
            setting.Set(workspace, value);
        else if (setting.Wide)
            info.*setting.Wide = value;
        else
            info.*setting.Narrow = std::uint8_t(value);
    }
    // The derived fields copied along are written anew by ApplyInfo.
    workspace.ApplyInfo(info);
}

void TakeStoredSettings(TPrintWorkspace& workspace, TStoredSettings& stored)
{
    const TPrintWorkspaceInfo info = workspace.Info();
    for (const TWorkspaceSetting& setting : Settings)
        stored.*setting.Stored = setting.Get ? setting.Get(workspace)
            : setting.Wide                   ? int(info.*setting.Wide)
                                             : int(info.*setting.Narrow);
}

} // namespace orvanto

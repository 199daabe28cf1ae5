#pragma once

// What the print workspace tells its window. The core owns the picture, the
// settings and every command; after each operation it sends one notice of
// what changed, and the window (preview box, page, settings bar) redraws
// what that touches. The window keeps its own drawing state (the scaled
// copy of the picture and whether it is current, whether the last paint
// failed, where the settings bar sits). Without a window (unattended
// printing, tests) the core runs alone.

namespace orvanto {

// What an operation changed, as bits: several may come in one notice.
enum TWorkspaceChange : unsigned {
    wcPicture = 1, // the picture's pixels: the preview's scaled copy is stale
    wcLayout = 2,  // page geometry, settings, preview size or page colour:
                   // place the page again and show the settings
    wcTitles = 4,  // Caption and JobTitle
    wcStatus = 8,  // copies, options, millimetre sizes, the last print
};
using TWorkspaceChanges = unsigned;
inline constexpr TWorkspaceChanges wcEverything = wcPicture | wcLayout | wcTitles | wcStatus;

class IWorkspaceView {
public:
    virtual ~IWorkspaceView() = default;
    // Called once at the end of every operation that changed something. The
    // window may call back into the workspace (read its settings, hand it
    // the preview geometry, apply a setting of its own).
    virtual void WorkspaceChanged(TWorkspaceChanges changes) = 0;
};

} // namespace orvanto

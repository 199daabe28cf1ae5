#pragma once

// Which stored settings belong to the print workspace, and how each reaches
// it and comes back: one table, used by the main window at start and end
// and by an unattended run, which loads them the same way without a window.
// The four that belong to the window (settings bar on top, button bar,
// width and height) are not in it.

#include "app/settings_file.h"

namespace orvanto {

class TPrintWorkspace;

// Options, copies, the page layout, the preview size and the page colour.
void ApplyStoredSettings(const TStoredSettings& stored, TPrintWorkspace& workspace);
// The same values read back from the workspace; the window's four are left.
void TakeStoredSettings(TPrintWorkspace& workspace, TStoredSettings& stored);

} // namespace orvanto

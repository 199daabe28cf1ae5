#pragma once

// The stored print settings into the print workspace and back, used by the
// main window at start and end and by an unattended run, which loads them
// the same way without a window. The four that belong to the window
// (settings bar on top, button bar, width and height) stay behind.

#include "app/settings_file.h"

#include <string>

namespace orvanto {

class TPrintWorkspace;

// One ApplyInfo with the stored print settings. Returns a note for the
// user (translated), empty when there is none: a stored printer that is
// gone, which leaves the default printer in use.
std::string ApplyStoredSettings(const TStoredSettings& stored, TPrintWorkspace& workspace);
// The picture as printed comes out of its shape: the note saying so, or empty.
std::string StretchNote(TPrintWorkspace& workspace);
// The same values read back from the workspace; the window's four are left.
void TakeStoredSettings(TPrintWorkspace& workspace, TStoredSettings& stored);

} // namespace orvanto

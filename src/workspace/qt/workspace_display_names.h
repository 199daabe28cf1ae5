#pragma once

// The display names of the four page settings and the words of the zoom
// labels, as the settings bar shows them. They are translated once, when the
// first workspace window is made (by then the language file is installed),
// and kept in that form for the rest of the run.

#include "workspace/print_settings.h"

#include <QString>

#include <array>

namespace orvanto {

struct TWorkspaceDisplayNames {
    std::array<QString, PrintScaleCount> Scale;
    std::array<QString, 6> Position;
    std::array<QString, 3> Quality;
    std::array<QString, 2> Orientation;
    QString Horizontal;
    QString Vertical;
    QString Fixed;
};

const TWorkspaceDisplayNames& WorkspaceDisplayNames();
// Translates the names again at their next use, for a language installed
// after the first window was made (windows made earlier keep their texts).
void ForgetWorkspaceDisplayNames();

} // namespace orvanto

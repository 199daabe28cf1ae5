#pragma once

// The thirteen icons of the main window's button bar, as the Text Picture
// texts that TToolbars::AddButton takes: 20 x 20 pixels, 1 to 5 bits per
// pixel, the top-left pixel's colour standing for the background. They are
// drawn as pixel grids in assets/icons and turned into these texts when the
// program is built, each also doubled to 40 x 40 by an edge-preserving
// pixel-art rule for screens with two device pixels to the pixel; link
// orvanto_button_icons to use them.

#include <string>

namespace orvanto {

enum class TButtonIcon {
    Print,
    PrinterSetup,
    Open,
    Undo,
    Copy,
    Paste,
    Mirror,
    Flip,
    Rotate90,
    IncreaseScaling,
    DecreaseScaling,
    Center,
    Help,
};

inline constexpr int ButtonIconCount = 13;

// The icon's Text Picture text; empty for a value outside the enumeration.
std::string ButtonIconText(TButtonIcon icon);
// The same icon at 40 x 40 pixels, in the same colours; empty likewise.
std::string DoubledButtonIconText(TButtonIcon icon);

} // namespace orvanto

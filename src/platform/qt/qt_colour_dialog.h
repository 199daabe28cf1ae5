#pragma once

#include "platform/colour_dialog.h"

namespace orvanto {

// QColorDialog, modal over the active window. On a display nobody can see
// (Qt's offscreen and minimal platforms) it answers "cancelled" at once, so
// an unattended run never waits for a click.
class TQtColourDialog final : public IColourDialog {
public:
    TColourChoice Choose(std::uint32_t initial) override;
};

} // namespace orvanto

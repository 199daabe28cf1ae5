#pragma once

// The system colour dialog. Colours travel as 32-bit values in the Windows
// order the settings file keeps: red in the lowest byte, green in the
// second, blue in the third (0xFF0000 is blue, 0x0000FF red). The widget
// implementation lives in platform/qt; lower layers only see this interface
// through TPlatform.

#include <QColor>

#include <cstdint>

namespace orvanto {

// What the user did with the dialog: Confirmed with the chosen colour, or
// cancelled (Colour then holds the colour the dialog started with).
struct TColourChoice {
    bool Confirmed = false;
    std::uint32_t Colour = 0;
};

class IColourDialog {
public:
    virtual ~IColourDialog() = default;
    // Runs the dialog modally, fully opened, preset to initial. Never throws.
    virtual TColourChoice Choose(std::uint32_t initial) = 0;
};

// Without a window system nobody can answer: every request is cancelled.
class TNoColourDialog final : public IColourDialog {
public:
    TColourChoice Choose(std::uint32_t initial) override { return {false, initial}; }
};

// Between the Windows order and Qt's colours; the top byte is ignored.
QColor QColorFromWindows(std::uint32_t colour);
std::uint32_t WindowsFromQColor(const QColor& colour);

} // namespace orvanto

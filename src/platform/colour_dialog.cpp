#include "platform/colour_dialog.h"

namespace orvanto {

QColor QColorFromWindows(std::uint32_t colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

std::uint32_t WindowsFromQColor(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return std::uint32_t(rgb.red()) | (std::uint32_t(rgb.green()) << 8)
        | (std::uint32_t(rgb.blue()) << 16);
}

} // namespace orvanto

#include "app/display_platform.h"

namespace orvanto {

std::string QtPlatformList(const TEnvironmentReader& environment)
{
    if (!environment("QT_QPA_PLATFORM").empty())
        return {};
    std::string list;
    if (!environment("WAYLAND_DISPLAY").empty())
        list += "wayland;";
    if (!environment("DISPLAY").empty())
        list += "xcb;";
    return list + "offscreen";
}

bool PlatformShowsWindows(const std::string& platformName)
{
    return platformName != "offscreen" && platformName != "minimal";
}

} // namespace orvanto

#pragma once

// Which of Qt's platforms the program asks for. Qt takes its platform when
// the application is made, and aborts when the one it tries cannot start: a
// DISPLAY inherited by ssh or cron that names a display no longer there
// would end every run with status 134. So, unless the user named a platform
// himself, Qt gets a list to try in order (Qt accepts "xcb;offscreen"): the
// displays the environment names, then the offscreen platform, on which an
// unattended run prints and a window run says there is no display.

#include <functional>
#include <string>

namespace orvanto {

// Reads one environment variable; empty when unset.
using TEnvironmentReader = std::function<std::string(const char* name)>;

// The value for QT_QPA_PLATFORM, or empty when the user has set it already
// (whatever he named is then his choice, an explicit "offscreen" included).
std::string QtPlatformList(const TEnvironmentReader& environment);

// True when the platform Qt started can show a window to a person.
bool PlatformShowsWindows(const std::string& platformName);

} // namespace orvanto

#pragma once

// The unattended run: "orvanto picture [name] /AUTOPRINT" (or a picture with
// Auto Print stored) from a script, cron or a print service. No window is
// built: a bare workspace takes the stored settings, opens the picture,
// prints it and the program ends. The settings file is never written.
//
// Of the start-up the window needs, this run keeps the platform's printer
// and message box and the language file (job titles and messages are
// translated); the splash, the menus, the button bar, the help and the
// desktop entry are not made. Errors go to the message box, which in such a
// run writes them to standard error too.

#include "app/settings_file.h"
#include "workspace/command_line.h"

#include <optional>

namespace orvanto {

// 0 when the page went to the printer, 1 when the picture could not be
// opened or printed (the message has been shown). stored: the settings
// file's values, none when there is no file (the defaults stay).
int PrintUnattended(const TCommandLine& line, const std::optional<TStoredSettings>& stored);

} // namespace orvanto

#pragma once

// Qt's own windows (the file, print and colour dialogs, the standard
// buttons) and the shortcut names in the menus ("Strg+O") speak the language
// of the user's language file. Debian ships Qt's translations for Qt 5 only
// (qttranslations5-l10n); their catalogues use the same file format and the
// same dialog classes, so they are loaded for Qt 6 as well, after Qt 6's own
// folder where a later system has them.

#include <string>

namespace orvanto {

// The locale code of a language file's name ("Deutsch" -> "de"), empty for
// English and names not known.
std::string QtLocaleOfLanguage(const std::string& languageName);

// Installs Qt's translations for the language into the application; false
// (and nothing installed) for English or when no catalogue is found.
bool InstallQtTranslations(const std::string& languageName);

} // namespace orvanto

#pragma once

#include <string>

namespace orvanto {

// Support code sits below the translation service but has to show translated
// texts (the error box). The translation layer installs its Translate here
// when it is linked in (and InstallTranslation() in localisation/language.h
// makes sure of that); until then texts pass unchanged.
using TTranslateFunction = std::string (*)(const std::string& english);

void SetTranslateFunction(TTranslateFunction translate);
TTranslateFunction InstalledTranslateFunction();

// The text as the user should see it: translated when a translation service
// is installed, unchanged otherwise. Never throws.
std::string TranslateForDisplay(const std::string& english);

// Marks an English text that is kept now and translated when shown (tables of
// captions, hints, format descriptions). It changes nothing at run time; the
// test that checks the German language source finds the texts by it, as it
// finds the literals passed to Translate, ShowError and LastError.
constexpr const char* EnglishText(const char* text) { return text; }

} // namespace orvanto

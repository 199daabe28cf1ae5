#pragma once

#include <string>

namespace orvanto {

// The keyed byte transform: mode 0 adds the key bytes (modulo 256), mode 1
// subtracts them and undoes mode 0; modes 2 and 3 are the pair that keeps
// ordinary text out of the control range. The key is used cyclically. An
// empty key or an unknown mode leaves the data as it is.
std::string Scramble(const std::string& data, const std::string& key, int mode);

// Conceals a text behind a fresh random key (so the same text never looks
// the same twice); RevealText gives it back. Apostrophes in the concealed
// form are doubled so it can sit in a quoted literal. A concealed text that
// is damaged reveals to an empty text.
std::string HideText(const std::string& plain);
std::string RevealText(const std::string& concealed);
// 10 to 50 characters drawn from the key alphabet.
std::string RandomKey();

} // namespace orvanto

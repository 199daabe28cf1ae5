#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvanto {

// Texts to numbers and back, as settings files and the codecs store them.
// Texts are 8-bit byte strings that may hold any byte value.

// Replaces every occurrence, left to right; inserted text is never
// rescanned, so a replacement that holds the search text terminates.
void ReplaceAll(std::string& text, const std::string& search, const std::string& replacement);
// True exactly for "1".
bool TextToBool(const std::string& text);
std::string BoolToText(bool value);
// A decimal number (the point is the decimal separator whatever the locale,
// so settings files read the same everywhere), rounded to the nearest
// integer, ties to even; 0 when the text is not a number or the value does
// not fit 32 bits.
std::int32_t TextToInt(const std::string& text);
std::string IntToText(std::int32_t value);
// a..z to A..Z (LowerAscii: A..Z to a..z); every other byte, accented
// letters included, unchanged. Names in files, switches and keys compare
// this way, so the user's locale never changes what matches.
inline char UpperAsciiChar(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
inline char LowerAsciiChar(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string UpperAscii(const std::string& text);
std::string LowerAscii(const std::string& text);
// True when a and b differ at most in the case of a..z.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// The four bytes of a value by truncating division; for a colour value
// Byte0Of is red, Byte1Of green, Byte2Of blue.
inline int Byte3Of(std::int32_t value) { return value / 16777216; }
inline int Byte2Of(std::int32_t value) { return (value - Byte3Of(value) * 16777216) / 65536; }
inline int Byte1Of(std::int32_t value)
{
    return (value - Byte3Of(value) * 16777216 - Byte2Of(value) * 65536) / 256;
}
inline int Byte0Of(std::int32_t value)
{
    return value - Byte3Of(value) * 16777216 - Byte2Of(value) * 65536 - Byte1Of(value) * 256;
}

} // namespace orvanto

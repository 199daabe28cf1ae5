#pragma once

#include <cstdint>
#include <string>

// Small helpers every part of the program uses, and (with the error box)
// the process-wide TGeneral service.
class TGeneral {
public:
    // Replaces every occurrence, left to right; inserted text is never
    // rescanned, so a replacement that holds the search text terminates.
    static void ReplaceAll(std::string& text, const std::string& search,
                           const std::string& replacement);
    // True exactly for "1".
    static bool TextToBool(const std::string& text);
    static std::string BoolToText(bool value);
    // A decimal number (the point is the decimal separator whatever the
    // locale, so settings files read the same everywhere), rounded to the
    // nearest integer, ties to even; 0 when the text is not a number or the
    // value does not fit 32 bits.
    static std::int32_t TextToInt(const std::string& text);

    // The four bytes of a value by truncating division; for a colour value
    // Byte0Of is red, Byte1Of green, Byte2Of blue.
    static int Byte3Of(std::int32_t value) { return value / 16777216; }
    static int Byte2Of(std::int32_t value) { return (value - Byte3Of(value) * 16777216) / 65536; }
    static int Byte1Of(std::int32_t value)
    {
        return (value - Byte3Of(value) * 16777216 - Byte2Of(value) * 65536) / 256;
    }
    static int Byte0Of(std::int32_t value)
    {
        return value - Byte3Of(value) * 16777216 - Byte2Of(value) * 65536 - Byte1Of(value) * 256;
    }
};

#pragma once

#include <cstdint>
#include <string>

class QWindow;

namespace orvanto {

// Small helpers every part of the program uses, and the error box. One
// instance lives per process (General()); the helpers that need no instance
// are static so that code below the windows can call them freely.
class TGeneral {
public:
    // The modal error box: message and the caption "Error", both translated.
    // Never throws; a failure of the box itself is swallowed.
    void ShowError(const std::string& message);
    // The box "Out of memory", then the process ends through the ordinary
    // exit path, so the exit steps (temporary files, services) still run.
    [[noreturn]] void FatalOutOfMemory();

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

    // The ordinary files matching mask ("folder/*.ZMP"; "*" and "?" as
    // wildcards, ASCII case ignored), in the order the file system returns
    // them; folders and hidden (dot) files are left out. Each name, prefixed
    // with the mask's folder part when withPath is set, ends in CR LF.
    static std::string ListFiles(const std::string& mask, bool withPath);

    // Moves the window, keeping its size, so that it sits in the middle of
    // the whole primary screen; a window larger than the screen gets
    // negative coordinates. A null window is ignored. (Widgets use the
    // overload in platform/qt/center_form.h.)
    static void CenterForm(QWindow* window);
    // The top-left corner that centres a window of that size on a screen.
    static void CenteredPosition(int windowWidth, int windowHeight, int screenWidth,
                                 int screenHeight, int& left, int& top);

    // The keyed byte transform: mode 0 adds the key bytes (modulo 256), mode 1
    // subtracts them and undoes mode 0; modes 2 and 3 are the pair that keeps
    // ordinary text out of the control range. The key is used cyclically.
    // An empty key or an unknown mode leaves the data as it is.
    static std::string Scramble(const std::string& data, const std::string& key, int mode);
};

// The process-wide instance, created on first use; null only when memory
// ran out. FreeGeneral empties the slot; the next General() makes a new one.
TGeneral* General();
void FreeGeneral();

// Shows message through General(), quietly doing nothing without an instance.
void ShowError(const std::string& message);

// Conceals a text behind a fresh random key (so the same text never looks
// the same twice); RevealText gives it back. Apostrophes in the concealed
// form are doubled so it can sit in a quoted literal. A concealed text that
// is damaged reveals to an empty text.
std::string HideText(const std::string& plain);
std::string RevealText(const std::string& concealed);
// 10 to 50 characters drawn from the key alphabet.
std::string RandomKey();

} // namespace orvanto

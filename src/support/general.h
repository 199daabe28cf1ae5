#pragma once

#include "support/concealment.h"
#include "support/file_listing.h"
#include "support/text_conversion.h"
#include "support/window_centring.h"

#include <cstdint>
#include <string>

class QWindow;

namespace orvanto {

// The error box, one instance per process (General()).
class TGeneral {
public:
    // The modal error box: message and the caption "Error", both translated.
    // Never throws; a failure of the box itself is swallowed.
    void ShowError(const std::string& message);
    // The box "Out of memory", then the process ends through the ordinary
    // exit path, so the exit steps (temporary files, services) still run.
    [[noreturn]] void FatalOutOfMemory();

    // The helpers that used to be gathered here live in the headers of their
    // topics (text_conversion.h, file_listing.h, window_centring.h,
    // concealment.h); these keep calls written as TGeneral::X working.
    static void ReplaceAll(std::string& text, const std::string& search, const std::string& replacement)
    {
        orvanto::ReplaceAll(text, search, replacement);
    }
    static bool TextToBool(const std::string& text) { return orvanto::TextToBool(text); }
    static std::string BoolToText(bool value) { return orvanto::BoolToText(value); }
    static std::int32_t TextToInt(const std::string& text) { return orvanto::TextToInt(text); }
    static int Byte3Of(std::int32_t value) { return orvanto::Byte3Of(value); }
    static int Byte2Of(std::int32_t value) { return orvanto::Byte2Of(value); }
    static int Byte1Of(std::int32_t value) { return orvanto::Byte1Of(value); }
    static int Byte0Of(std::int32_t value) { return orvanto::Byte0Of(value); }
    static std::string ListFiles(const std::string& mask, bool withPath) { return orvanto::ListFiles(mask, withPath); }
    static void CenterForm(QWindow* window) { orvanto::CenterForm(window); }
    static void CenteredPosition(int windowWidth, int windowHeight, int screenWidth, int screenHeight, int& left,
                                 int& top)
    {
        orvanto::CenteredPosition(windowWidth, windowHeight, screenWidth, screenHeight, left, top);
    }
    static std::string Scramble(const std::string& data, const std::string& key, int mode)
    {
        return orvanto::Scramble(data, key, mode);
    }
};

// The process-wide instance, created on first use; null only when memory
// ran out. FreeGeneral empties the slot; the next General() makes a new one.
TGeneral* General();
void FreeGeneral();

// Shows message through General(), quietly doing nothing without an instance.
void ShowError(const std::string& message);

} // namespace orvanto

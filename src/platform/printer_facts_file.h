#pragma once

// What the page layout needs of the last printer used (its name, paper,
// margins, resolution and paper name), kept in the user's cache folder so
// that the first layout of the next start matches it before the print
// server answers. It is a cache: losing it costs nothing but the first
// layout, so every failure to read or write it is silent.
//
// The file is lines "Key=Value" (Printer, Media, DpiX, DpiY, PaperWidth,
// PaperHeight, MarginLeft, MarginTop, MarginRight, MarginBottom; lengths in
// hundredths of a millimetre). It is outside bytes: at most MaxFactsBytes
// are read, unknown keys are passed over, and a file without a printer
// name, a paper size and a resolution in reason is not used at all.

#include "platform/printer_watcher.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orvanto {

constexpr std::size_t MaxFactsBytes = 4096;

// The facts text names; none when it lacks what a layout needs.
std::optional<TPrinterFacts> ReadPrinterFacts(std::string_view text);
// The text ReadPrinterFacts reads back to the same layout facts.
std::string WritePrinterFacts(const TPrinterFacts& facts);

class TPrinterFactsFile {
public:
    // The user's cache folder + "/orvanto/last-printer".
    static std::string DefaultPath();

    explicit TPrinterFactsFile(std::string path = DefaultPath());

    // What to lay pages out by until the server answers: the stored facts
    // when they are those of storedPrinter (or of any printer, when none is
    // stored: the server's default was used), else A4 at 600 dpi.
    TPrinterFacts StartingFacts(const std::string& storedPrinter) const;
    // Keeps the current printer's facts when the server named one and they
    // differ from those kept; false when it could not write them.
    bool Remember(const TPrinterFacts& facts);

private:
    std::string FPath;
    std::string FWritten; // the text last read or written
};

} // namespace orvanto

#pragma once

// The settings file: the options and the last page layout, kept between runs
// in one section "Settings" of the INI file Orvanto.INI in the data area's
// "Settings" folder. It is read once at start-up and written once at the
// end; nothing else touches it.
//
// Reading never fails loudly: no file leaves every value at the caller's
// defaults; a file that exists but lacks a key or holds text that is not a
// number gives that value 0 (or off), not the default. Writing replaces the
// whole file at once (write beside it, then rename), so a crash never leaves
// half a file; a file the user made read-only is left alone and no message
// is shown.

#include <cstdint>
#include <string>

namespace orvanto {

// The window's size before any settings file was written.
inline constexpr int DefaultWindowWidth = 333;
inline constexpr int DefaultWindowHeight = 374;

// The stored values as plain numbers, booleans 0 or 1, and two names.
struct TStoredSettings {
    int AutoClose = 0;
    int AutoPrint = 0;
    int ToolbarOnTop = 0;
    int ShowButtonbar = 1;
    int Copies = 1;
    int Quality = 0;     // low 8 bits of the stored number
    int Position = 0;    // low 8 bits
    int Scale = 0;       // low 8 bits
    int Orientation = 0; // low 8 bits
    int X = 0;
    int Y = 0;
    int ZoomX = 0;
    int ZoomY = 0;
    int ZoomXY = 0;
    int Width = DefaultWindowWidth;   // at least 1 once read
    int Height = DefaultWindowHeight; // at least 1 once read
    int Size = 0;
    int BkColor = 0;     // red in the low byte, green next, blue third
    int UseBkColor = 0;
    // Written after the nineteen above; a file from before them keeps these
    // defaults for the keys it lacks.
    int SizeX = 10000;          // hundredths of a millimetre
    int SizeY = 15000;
    int SizeLock = 1;
    int SizeFill = 0;
    int Poster = 0;
    int PosterOverlap = 1000;   // hundredths of a millimetre
    std::string Printer;        // the print queue's name; empty: the default
    std::string Paper;          // PWG media name; empty: the printer's own
};

class TSettingsFile {
public:
    // The data area's Settings folder (created when missing) + "Orvanto." + extension.
    static std::string SettingsFileName(const std::string& extension);

    explicit TSettingsFile(std::string fileName = SettingsFileName("INI"));

    const std::string& FileName() const { return FFileName; }

    // False when there is no settings file; settings then stay as they are.
    bool Load(TStoredSettings& settings) const;
    // Writes all keys in their fixed order. False, with LastError
    // naming the file, when it cannot be written; the file is then unchanged.
    bool Save(const TStoredSettings& settings);

    const std::string& LastError() const { return FLastError; }

private:
    std::string FFileName;
    std::string FLastError;
};

} // namespace orvanto

#pragma once

// The settings file: the options and the last page layout, kept between runs
// in one section "Settings" of the INI file Orvanto.INI in the data area's
// "Settings" folder. It is read at start-up and written once at the end;
// nothing else touches it.
//
// Reading never fails loudly: no file leaves every value at the caller's
// defaults; a file that exists but lacks a key or holds text that is not a
// number gives that value 0 (or off), not the default. Writing replaces the
// whole file at once (write beside it, then rename), so a crash never leaves
// half a file; a file the user made read-only is left alone and no message
// is shown.

#include "workspace/print_settings.h"

#include <cstdint>
#include <optional>
#include <string>

namespace orvanto {

// The window's size before any settings file was written.
inline constexpr int DefaultWindowWidth = 333;
inline constexpr int DefaultWindowHeight = 374;

// The stored values: the workspace's print settings as they are
// read (booleans 0 or 1, the four modes the low 8 bits of the stored
// number, everything else as it stands; the workspace validates them when
// they are applied) and the window's own four.
struct TStoredSettings {
    TPrintSettings Print;
    int ToolbarOnTop = 0;
    int ShowButtonbar = 1;
    int Width = DefaultWindowWidth;   // at least 1 once read
    int Height = DefaultWindowHeight; // at least 1 once read
    bool operator==(const TStoredSettings&) const = default;
};

class TSettingsFile {
public:
    // The data area's Settings folder (created when missing) + "Orvanto." + extension.
    static std::string SettingsFileName(const std::string& extension);

    explicit TSettingsFile(std::string fileName = SettingsFileName("INI"));

    const std::string& FileName() const { return FFileName; }

    // False when there is no settings file; settings then stay as they are.
    bool Load(TStoredSettings& settings) const;
    // The file's values; none when there is no file.
    std::optional<TStoredSettings> Load() const;
    // Writes all keys in their fixed order. False, with LastError
    // naming the file, when it cannot be written; the file is then unchanged.
    bool Save(const TStoredSettings& settings);

    const std::string& LastError() const { return FLastError; }

private:
    std::string FFileName;
    std::string FLastError;
};

} // namespace orvanto

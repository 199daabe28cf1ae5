#pragma once

#include "platform/file_dialogs.h"

#include <cstdint>
#include <string>

namespace orvanto {

// The open dialog's settings; the main window keeps one for the whole run.
struct TOpenInfo {
    std::string DefaultExt;
    unsigned Options = 0; // TFileDialogOption flags
    // Pairs of a description and its patterns, every part followed by "|".
    std::string Filter;
    std::int32_t FilterIndex = 1; // 1-based; updated by every dialog
    std::string FileName;         // the file last chosen; its folder is where dialogs start
};

// Runs the open and save dialogs through the platform's file-dialog
// service. The preview kinds render the selected file through the format
// registry, so every format the program opens also previews.
class TOpenHandler {
public:
    // True when the user confirmed. chosen is the dialog's file name (also
    // after a cancel). startFolder, when not empty, overrides the folder of
    // info.FileName. A preview dialog that fails is retried once as the
    // plain dialog of the same direction.
    bool Execute(TOpenInfo& info, TFileDialogKind kind, const std::string& startFolder,
                 std::string& chosen);
};

// The folder a dialog starts in: startFolder when given, else the folder of
// fileName (the picture opened last); the user's pictures folder when that
// folder does not exist.
std::string DialogStartFolder(const std::string& startFolder, const std::string& fileName);
// The user's pictures folder ("~/Pictures/"), or the home folder where it
// does not exist; it ends with "/".
std::string PicturesFolder();

// The process-wide instance, created on first use.
TOpenHandler* OpenHandler();
void FreeOpenHandler();

} // namespace orvanto

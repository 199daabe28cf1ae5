#pragma once

// The page-settings record of the workspace: the print settings callers
// choose, with the facts the workspace writes for display kept apart by
// kind. Callers copy the current record, change settings and hand it back
// to ApplyInfo; what the workspace writes is copied along and written anew.

#include "workspace/print_settings.h"

#include <cstdint>
#include <string>

namespace orvanto {

// The printable page and the picture, page pixels, as the last relayout found them.
struct TPageGeometry {
    std::int32_t PageWidth = 0;
    std::int32_t PageHeight = 0;
    std::int32_t PictureWidth = 0;
    std::int32_t PictureHeight = 0;
};

// The same four sizes in millimetres at the printer's resolution.
struct TMillimetreSizes {
    std::int32_t PageWidth = 0;
    std::int32_t PageHeight = 0;
    std::int32_t PictureWidth = 0;
    std::int32_t PictureHeight = 0;
};

// The page bitmap of the last print and the budget it ended with.
struct TLastPrint {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int32_t Budget = 0;
    std::int32_t Resolution = 100; // percent of the memory budget it could use
};

// The derived texts of the window and the print job.
struct TWorkspaceTexts {
    std::string Caption;
    std::string JobTitle;
    std::string CopiesText;
};

struct TPrintWorkspaceInfo : TPrintSettings {
    std::string PrinterName; // at most 32 characters once applied
    bool NoSave = false;     // the settings are not written back at the end

    // Written by the workspace.
    TPageGeometry Geometry;
    TMillimetreSizes Millimetres;
    TLastPrint LastPrint;
    TWorkspaceTexts Texts;
};

} // namespace orvanto

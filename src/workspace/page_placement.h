#pragma once

// What goes into the page layout and comes out of it: the devices' metrics,
// the surface a picture is placed on, and where it lands.

#include "workspace/print_settings.h"

#include <cstdint>
#include <optional>

namespace orvanto {

// What the printer and the screen report. A value below 1 means unknown (or
// the device could not be asked); the engine then uses its fallback.
struct TDeviceMetrics {
    int PrinterDpiX = 0;
    int PrinterDpiY = 0;
    int PageWidth = 0;  // printable page, printer pixels
    int PageHeight = 0;
    int ScreenPpi = 0;
    // Where the printable area begins on the paper, printer pixels.
    int PrintableLeft = 0;
    int PrintableTop = 0;
};

// The part of the picture that prints, picture pixels: all of it unless
// Exact Size with Fill cuts its edges.
struct TSourcePart {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
};

// What ApplyInfo (and the commands built on it) decided; the caller acts on it.
struct TApplyResult {
    bool NewPageGeometry = false; // position, scale or orientation changed: relayout
};

// One target surface of a layout (the preview, a page bitmap): its units per
// page pixel, its size, the picture's size, and a position other than the
// current one when asked.
struct TPlacementRequest {
    long double FactorX = 1;
    long double FactorY = 1;
    std::int32_t PictureWidth = 0;
    std::int32_t PictureHeight = 0;
    int SurfaceWidth = 0;
    int SurfaceHeight = 0;
    std::optional<TPrintPosition> Position;
};

// Where the picture lands, in the surface's units.
struct TPlacement {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool operator==(const TPlacement&) const = default;
};

enum class TAxis { Across, Down };

} // namespace orvanto

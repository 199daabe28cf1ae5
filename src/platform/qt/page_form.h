#pragma once

// The one place that decides in which form a page travels to a print queue:
// as a page raster to queues whose printer takes one as it is (driverless
// printers), as PostScript to all others.

#include "platform/qt/raster_job.h"

#include <string>

namespace orvanto {

struct TPageForm {
    bool Raster = false;
    TRasterJob::TFormat Format = TRasterJob::TFormat::Pwg;
    int Dpi = 0; // the raster's
};

// Reads the queue's PPD from CUPS; PostScript when it cannot be read.
TPageForm PageFormOf(const std::string& destination);

} // namespace orvanto

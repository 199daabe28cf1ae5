// Reads a print queue's PPD as the printer service does before each job: the
// print server, perhaps on another machine, sends it. Whatever it holds, the
// answer is PostScript or a raster at a resolution a printer can have.
#include "platform/qt/raster_job.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace orvanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TRasterJob::TFormat format = TRasterJob::TFormat::Pwg;
    int dpi = 0;
    if (TRasterJob::RasterFormatOf(std::string(reinterpret_cast<const char*>(data), size), format, dpi)
        && (dpi < 72 || dpi > 9600))
        std::abort();
    return 0;
}

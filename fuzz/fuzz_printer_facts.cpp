// Reads the last printer's facts as the program does at start: a file in the
// user's cache folder that anything may have written. Whatever it holds, the
// facts it yields are in reason and come back the same once written again.
#include "platform/printer_facts_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace orvanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto facts = ReadPrinterFacts(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!facts)
        return 0;
    if (facts->Current.empty() || facts->DpiX < 1 || facts->DpiX > 10000 || facts->PaperWidth < 1)
        std::abort();
    const auto again = ReadPrinterFacts(WritePrinterFacts(*facts));
    if (!again || WritePrinterFacts(*again) != WritePrinterFacts(*facts))
        std::abort();
    (void)PrintableArea(*facts, 1);
    return 0;
}

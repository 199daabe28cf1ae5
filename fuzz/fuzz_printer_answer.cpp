// Reads a print server's answer as the printer watcher does: the bytes come
// from the network, so whatever they hold, reading them ends and the facts
// stay in their ranges.
#include "platform/qt/cups_printer_watcher.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace orvanto;

namespace {

struct TInput {
    const std::uint8_t* Data;
    std::size_t Size;
};

ssize_t ReadInput(void* context, ipp_uchar_t* buffer, size_t wanted)
{
    auto* input = static_cast<TInput*>(context);
    const std::size_t size = wanted < input->Size ? wanted : input->Size;
    std::memcpy(buffer, input->Data, size);
    input->Data += size;
    input->Size -= size;
    return ssize_t(size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TInput input{data, size};
    ipp_t* answer = ippNew();
    if (ippReadIO(&input, ReadInput, 1, nullptr, answer) == IPP_STATE_DATA) {
        for (const char* current : {"", "Office"}) {
            TPrinterFacts facts;
            facts.Current = current;
            ReadPrinters(answer, facts);
            if (facts.DpiX <= 0 || facts.DpiX > 10000 || facts.PaperWidth <= 0 || facts.MarginLeft < 0
                || (!facts.Current.empty() && facts.Current != current))
                std::abort();
        }
    }
    ippDelete(answer);
    return 0;
}

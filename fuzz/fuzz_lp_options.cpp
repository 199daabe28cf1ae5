// Reads an lpoptions file as the printer watcher does before each round: the
// user or an administrator wrote it, perhaps with other tools. Whatever it
// holds, the queue it names is a single word without a slash or controls.
#include "platform/lp_options.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace orvanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string queue = DefaultInLpOptions(std::string_view(reinterpret_cast<const char*>(data), size));
    for (char c : queue)
        if (static_cast<unsigned char>(c) <= ' ' || c == '/' || c == 0x7f)
            std::abort();
    if (queue.size() > 127)
        std::abort();
    return 0;
}

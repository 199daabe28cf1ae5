#include "command_registry.h"

#include "imaging/open_image.h"

#include <cstdio>

namespace orvanto {

namespace {

int RunFormats(const std::vector<std::string>& arguments)
{
    if (!arguments.empty())
        return Fail("Usage: orvanto-tool formats");
    const TOpenImage* registry = OpenImage();
    if (!registry)
        return Fail("Out of memory");
    const TOpenImageEventCollection& formats = registry->Formats();
    for (int i = 0; i < formats.Count(); ++i)
        std::printf("%2d %-5s %s\n", i, formats.Item(i).Extension.c_str(),
                    formats.Item(i).Description.c_str());
    std::printf("filter: %s\n", formats.BuildFilter(-2, false).c_str());
    return 0;
}

TRegisterCommand registration{
    {"formats", "formats",
     "lists the picture formats Orvanto opens and the open dialog's filter text", &RunFormats, false}};

} // namespace

} // namespace orvanto

#include "support/diagnostics/startup_timeline.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace orvanto {

void MarkStartup(const char* what)
{
    static const bool on = std::getenv("ORVANTO_TIMELINE") != nullptr;
    if (!on)
        return;
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(stderr, "timeline %.3f %s\n", double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6, what);
}

} // namespace orvanto

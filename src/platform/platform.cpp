#include "platform/platform.h"

namespace orvanto {

namespace {

// A plain pointer, like every process-wide service's: made on first use and
// freed by the exit sequence (support/services.h), not by a static
// destructor at an unknown point.
TPlatform* PlatformSlot = nullptr;

} // namespace

TPlatform& Platform()
{
    if (!PlatformSlot)
        PlatformSlot = new TPlatform;
    return *PlatformSlot;
}

void FreePlatform()
{
    TPlatform* platform = PlatformSlot;
    PlatformSlot = nullptr;
    delete platform;
}

} // namespace orvanto

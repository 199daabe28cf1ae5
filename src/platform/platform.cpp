#include "platform/platform.h"

#include <atomic>
#include <mutex>

namespace orvanto {

namespace {

// A plain pointer, like every process-wide service's: made on first use and
// freed by the exit sequence (support/services.h), not by a static
// destructor at an unknown point. The first use may come from a worker
// thread at the same time as from the window's: it is made under a lock.
std::atomic<TPlatform*> PlatformSlot{nullptr};

std::mutex& PlatformLock()
{
    static auto* lock = new std::mutex; // never freed: it must outlive the exit sequence
    return *lock;
}

} // namespace

TPlatform& Platform()
{
    if (TPlatform* made = PlatformSlot.load(std::memory_order_acquire))
        return *made;
    std::lock_guard<std::mutex> lock(PlatformLock());
    if (!PlatformSlot.load(std::memory_order_acquire))
        PlatformSlot.store(new TPlatform, std::memory_order_release);
    return *PlatformSlot.load(std::memory_order_acquire);
}

void FreePlatform()
{
    delete PlatformSlot.exchange(nullptr);
}

} // namespace orvanto

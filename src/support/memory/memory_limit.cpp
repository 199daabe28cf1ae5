#include "support/memory/memory_limit.h"

#include <algorithm>
#include <unistd.h>

namespace orvanto {

namespace {

std::int64_t TestingCeiling = 0;

std::int64_t PhysicalMemory()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return std::int64_t(1) << 32; // unknown: assume a modest 4 GiB machine
    return std::int64_t(pages) * pageSize;
}

} // namespace

std::int64_t AllocationCeiling()
{
    if (TestingCeiling > 0)
        return TestingCeiling;
    static const std::int64_t ceiling =
        std::min<std::int64_t>(PhysicalMemory() / 4, std::int64_t(1) << 31);
    return ceiling;
}

void SetAllocationCeilingForTesting(std::int64_t bytes)
{
    TestingCeiling = bytes > 0 ? bytes : 0;
}

} // namespace orvanto

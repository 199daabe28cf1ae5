#pragma once

#include <cstdint>

namespace orvanto {

// The most bytes one picture, decompressed block or archive entry may take.
// Outside bytes can claim any size; anything above this is refused with an
// out-of-memory message instead of letting the system kill the program.
// A quarter of physical memory, never more than 2^31 bytes.
std::int64_t AllocationCeiling();

// Tests lower the ceiling to reach the refusal paths cheaply; 0 restores it.
void SetAllocationCeilingForTesting(std::int64_t bytes);

} // namespace orvanto

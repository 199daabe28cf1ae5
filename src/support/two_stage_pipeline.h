#pragma once

// Overlaps two stages of work over a sequence of blocks on two cores: while
// the calling thread consumes block k, a helper thread produces block k + 1.
// Made for streaming a large raster between a file and memory, where one
// stage is the system copying bytes and the other our own conversion of
// them, and each alone leaves a core idle.

#include <cstdint>
#include <functional>

// Runs produce(k, slot) and then consume(k, slot) for k = 0..count - 1,
// with slot = k % 2 naming one of two buffers the caller keeps. Every
// consume runs on the calling thread, in order; every produce runs before
// its consume and never while that slot is still being consumed. A consume
// returning false stops the sequence (no later consume runs) and the result
// is false. With overlap false (work too small to be worth a thread), with
// no helper thread to be had, or for fewer than two blocks, both stages
// simply run in turn here. The stages must not throw.
bool RunTwoStage(std::int64_t count, bool overlap, const std::function<void(std::int64_t block, int slot)>& produce,
                 const std::function<bool(std::int64_t block, int slot)>& consume);

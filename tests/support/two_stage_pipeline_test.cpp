#include "support/two_stage_pipeline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace {

// Every block is produced into its slot before it is consumed, in order,
// and a slot is never overwritten before its block has been consumed: the
// consumer checks the slot still holds its own block's mark.
TEST(TwoStagePipeline, ConsumesEveryBlockInOrderFromItsOwnSlot)
{
    const struct {
        std::int64_t Count;
        bool Overlap;
        std::int64_t StopAt; // the consume that returns false; -1 for none
    } cases[] = {
        {0, true, -1}, {1, true, -1}, {2, true, -1}, {7, true, -1}, {500, true, -1},
        {7, false, -1}, {500, true, 0}, {500, true, 1}, {500, true, 250}, {500, true, 499}, {9, false, 4},
    };
    for (const auto& c : cases) {
        const std::string label = std::to_string(c.Count) + (c.Overlap ? " overlapped" : " in turn") + ", stop at "
                                  + std::to_string(c.StopAt);
        std::int64_t slots[2] = {-1, -1};
        std::atomic<std::int64_t> produced{0};
        std::vector<std::int64_t> consumed;
        bool mixedUp = false;
        const bool ok = RunTwoStage(
            c.Count, c.Overlap,
            [&](std::int64_t k, int slot) {
                slots[slot] = k;
                ++produced;
            },
            [&](std::int64_t k, int slot) {
                if (slots[slot] != k || slot != int(k % 2))
                    mixedUp = true;
                consumed.push_back(k);
                return k != c.StopAt;
            });
        const std::int64_t expectedConsumed = c.StopAt >= 0 ? c.StopAt + 1 : c.Count;
        EXPECT_EQ(ok, c.StopAt < 0) << label;
        EXPECT_FALSE(mixedUp) << label;
        ASSERT_EQ(std::int64_t(consumed.size()), expectedConsumed) << label;
        for (std::int64_t k = 0; k < expectedConsumed; ++k)
            ASSERT_EQ(consumed[std::size_t(k)], k) << label;
        // The producer may run ahead of a stop by the two slots, never more.
        EXPECT_GE(produced.load(), expectedConsumed) << label;
        EXPECT_LE(produced.load(), std::min(c.Count, expectedConsumed + 2)) << label;
    }
}

} // namespace

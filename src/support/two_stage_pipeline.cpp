#include "support/two_stage_pipeline.h"

#include <atomic>
#include <semaphore>
#include <thread>

bool RunTwoStage(std::int64_t count, bool overlap, const std::function<void(std::int64_t, int)>& produce,
                 const std::function<bool(std::int64_t, int)>& consume)
{
    auto serially = [&](std::int64_t from) {
        for (std::int64_t k = from; k < count; ++k) {
            produce(k, int(k % 2));
            if (!consume(k, int(k % 2)))
                return false;
        }
        return true;
    };
    if (!overlap || count < 2 || std::thread::hardware_concurrency() < 2)
        return serially(0);

    // filled[s]: slot s holds a produced block; empty[s]: slot s may be
    // overwritten. The producer stays at most two blocks ahead.
    using TSemaphore = std::counting_semaphore<2>;
    TSemaphore filled[2] = {TSemaphore(0), TSemaphore(0)};
    TSemaphore empty[2] = {TSemaphore(1), TSemaphore(1)};
    std::atomic<bool> stop{false};
    std::thread producer;
    try {
        producer = std::thread([&] {
            for (std::int64_t k = 0; k < count; ++k) {
                const int slot = int(k % 2);
                empty[slot].acquire();
                if (stop.load())
                    return;
                produce(k, slot);
                filled[slot].release();
            }
        });
    } catch (...) {
        return serially(0);
    }
    bool ok = true;
    for (std::int64_t k = 0; k < count; ++k) {
        const int slot = int(k % 2);
        filled[slot].acquire();
        ok = consume(k, slot);
        if (!ok) {
            stop.store(true);
            // Wake the producer wherever it waits; it sees stop and ends.
            empty[0].release();
            empty[1].release();
            break;
        }
        empty[slot].release();
    }
    producer.join();
    return ok;
}

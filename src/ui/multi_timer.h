#pragma once

// A table of up to 1000 software timers driven by one TFastTimer. The fast
// timer runs at the smallest interval among the enabled slots that have a
// handler, and on each of its calls the table fires every slot whose interval
// has passed, in slot order. A slot with a longer interval therefore fires on
// the first pass after its interval (a 500 ms slot beside a 100 ms slot comes
// every 500 to 600 ms). All of it runs in the user-interface thread.
//
// Invalid or free slot numbers are ignored; AddTimer answers -1 when all
// slots are taken. An exception from a handler ends the current pass (the
// remaining slots wait for the next one).

#include "ui/fast_timer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace orvanto {

class TMultiTimer {
public:
    using THandler = std::function<void(TMultiTimer& sender)>;
    // Milliseconds of a monotonic clock.
    using TTickSource = std::function<std::int64_t()>;

    static constexpr int SlotCount = 1000;
    // The interval of a free slot, and the slowest the fast timer runs.
    static constexpr std::int32_t IdleInterval = 10000;

    // With runThread false no thread is started: Dispatch is then called by
    // hand, which with a clock of one's own makes every pass predictable.
    explicit TMultiTimer(TTickSource clock = {}, bool runThread = true);
    ~TMultiTimer();
    TMultiTimer(const TMultiTimer&) = delete;
    TMultiTimer& operator=(const TMultiTimer&) = delete;

    // The first free slot, or -1 when all are taken.
    int AddTimer(const void* owner, std::int32_t interval, bool enabled, THandler handler);
    void RemoveTimer(int slot);
    // The slots of this owner; only the first when all is false.
    void RemoveTimersOf(const void* owner, bool all);
    void SetTimerEnabled(int slot, bool enabled);
    void SetTimerInterval(int slot, std::int32_t interval);

    // The fast timer's interval: the smallest effective slot interval,
    // 1..10000 ms.
    std::int32_t FastTimerInterval() const { return FFastInterval; }
    // The highest slot in use, -1 when none.
    int HighestSlot() const { return FHighest; }

    // One pass over the table (the fast timer's event).
    void Dispatch();
    // Stops the thread for good and frees it (unless called from a handler,
    // then a later Shutdown or the destructor frees it); the table stays
    // usable but nothing fires.
    void Shutdown();

private:
    enum class TState { Free, Claimed, Active };
    struct TSlot {
        const void* Owner = nullptr;
        TState State = TState::Free;
        THandler Handler;
        std::int32_t Interval = IdleInterval;
        bool Enabled = false;
        std::int64_t Last = 0;
    };

    bool IsTaken(int slot) const;
    void ResetSlot(int slot);
    void RecomputeTick();
    void RecomputeHighest();

    TTickSource FClock;
    std::vector<TSlot> FSlots;
    int FHighest = -1;
    std::int32_t FFastInterval = IdleInterval;
    int FDispatchDepth = 0;
    std::unique_ptr<TFastTimer> FFastTimer;
};

// The shared multi-timer, created on first use. Once an application object
// exists it is stopped when the application is about to quit and, at the
// latest, while the application object is destroyed, so that no timer thread
// outlives the event loop it delivers to.
TMultiTimer& MultiTimer();
// Stops the shared multi-timer's thread now (it is not created by this).
// The program calls it on its way out; a handler may call it too.
void ShutdownMultiTimer();

} // namespace orvanto

#include "ui/multi_timer.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>

namespace orvanto {

namespace {

std::int64_t SteadyMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

TMultiTimer::TMultiTimer(TTickSource clock, bool runThread)
    : FClock(clock ? std::move(clock) : TTickSource(&SteadyMilliseconds)), FSlots(SlotCount)
{
    const std::int64_t now = FClock();
    for (TSlot& slot : FSlots)
        slot.Last = now;
    if (runThread) {
        FFastTimer = std::make_unique<TFastTimer>([this] { Dispatch(); });
        FFastTimer->SetInterval(FFastInterval);
        FFastTimer->SetEnabled(true);
    }
}

TMultiTimer::~TMultiTimer()
{
    // The thread goes first: it must not call into a table being torn down.
    FFastTimer.reset();
}

bool TMultiTimer::IsTaken(int slot) const
{
    return slot >= 0 && slot < SlotCount && FSlots[slot].State != TState::Free;
}

void TMultiTimer::ResetSlot(int slot)
{
    FSlots[slot] = TSlot{};
    FSlots[slot].Last = FClock();
}

int TMultiTimer::AddTimer(const void* owner, std::int32_t interval, bool enabled, THandler handler)
{
    const auto free = std::find_if(FSlots.begin(), FSlots.end(),
                                   [](const TSlot& slot) { return slot.State == TState::Free; });
    if (free == FSlots.end())
        return -1;
    const int index = int(free - FSlots.begin());
    TSlot& slot = *free;
    slot.State = TState::Claimed;
    slot.Owner = owner;
    slot.Handler = std::move(handler);
    slot.Interval = interval;
    slot.Last = FClock();
    slot.Enabled = enabled;
    slot.State = TState::Active;
    // The highest index first, so that the new slot counts for the tick.
    if (index > FHighest)
        RecomputeHighest();
    RecomputeTick();
    return index;
}

void TMultiTimer::RemoveTimer(int slot)
{
    if (!IsTaken(slot))
        return;
    ResetSlot(slot);
    if (slot == FHighest)
        RecomputeHighest();
    RecomputeTick();
}

void TMultiTimer::RemoveTimersOf(const void* owner, bool all)
{
    for (int slot = 0; slot <= FHighest; ++slot) {
        if (FSlots[slot].State != TState::Free && FSlots[slot].Owner == owner) {
            RemoveTimer(slot);
            if (!all)
                return;
        }
    }
}

void TMultiTimer::SetTimerEnabled(int slot, bool enabled)
{
    if (!IsTaken(slot) || FSlots[slot].Enabled == enabled)
        return;
    FSlots[slot].Enabled = enabled;
    RecomputeTick();
}

void TMultiTimer::SetTimerInterval(int slot, std::int32_t interval)
{
    if (!IsTaken(slot) || FSlots[slot].Interval == interval)
        return;
    FSlots[slot].Interval = interval;
    RecomputeTick();
}

void TMultiTimer::RecomputeTick()
{
    std::int32_t smallest = IdleInterval;
    for (int slot = 0; slot <= FHighest; ++slot) {
        const TSlot& entry = FSlots[slot];
        if (entry.State == TState::Free)
            continue;
        const std::int32_t effective = entry.Enabled && entry.Handler ? entry.Interval : IdleInterval;
        smallest = std::min(smallest, effective);
        if (smallest < 2)
            break;
    }
    const std::int32_t tick = std::clamp<std::int32_t>(smallest, 1, IdleInterval);
    if (tick == FFastInterval)
        return;
    FFastInterval = tick;
    if (FFastTimer)
        FFastTimer->SetInterval(tick);
}

void TMultiTimer::RecomputeHighest()
{
    FHighest = -1;
    for (int slot = SlotCount - 1; slot >= 0; --slot) {
        if (FSlots[slot].State != TState::Free) {
            FHighest = slot;
            return;
        }
    }
}

void TMultiTimer::Dispatch()
{
    const std::int64_t now = FClock();
    ++FDispatchDepth;
    try {
        for (int slot = 0; slot <= FHighest; ++slot) {
            TSlot& entry = FSlots[slot];
            if (entry.State != TState::Active || now - entry.Last < entry.Interval)
                continue;
            entry.Last = now;
            if (entry.Enabled && entry.Handler) {
                // A copy: the handler may remove its own slot.
                const THandler handler = entry.Handler;
                handler(*this);
            }
        }
    } catch (...) {
        // The remaining slots wait for the next pass.
    }
    --FDispatchDepth;
}

void TMultiTimer::Shutdown()
{
    // Inside a pass the fast timer's call is still on the stack: stop its
    // thread now and free it on a later shutdown or with the table.
    if (FDispatchDepth > 0 && FFastTimer)
        FFastTimer->Stop();
    else
        FFastTimer.reset();
}

namespace {

std::unique_ptr<TMultiTimer>& SharedMultiTimer()
{
    static std::unique_ptr<TMultiTimer> shared;
    return shared;
}

} // namespace

TMultiTimer& MultiTimer()
{
    std::unique_ptr<TMultiTimer>& shared = SharedMultiTimer();
    if (!shared) {
        shared = std::make_unique<TMultiTimer>();
        if (QCoreApplication* application = QCoreApplication::instance()) {
            QObject::connect(application, &QCoreApplication::aboutToQuit, &ShutdownMultiTimer);
            // Also when the application object goes without its loop ending.
            qAddPostRoutine(&ShutdownMultiTimer);
        }
    }
    return *shared;
}

void ShutdownMultiTimer()
{
    if (SharedMultiTimer())
        SharedMultiTimer()->Shutdown();
}

} // namespace orvanto

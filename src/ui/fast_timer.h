#pragma once

// A background thread that measures time and runs its event in the
// user-interface thread, one call at a time: the clock behind every software
// timer of the program (see multi_timer.h).
//
// The thread waits on a condition variable, never in a busy loop, and hands
// each call to the user-interface thread through an event file descriptor
// watched there, then waits until the call has run. A stop request wakes it
// at once, whether it is waiting for the deadline or for the user-interface
// thread, so destroying the timer never waits for an event loop that may no
// longer run. The event must be given at construction and never changes, so
// the thread reads nothing that the user-interface thread writes unguarded.
//
// Create and destroy it in the user-interface thread, after the application
// object exists: its events are delivered through that thread's event loop.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class QSocketNotifier;

namespace orvanto {

class TFastTimer {
public:
    // The thread starts at once: interval 1000 ms, enabled.
    explicit TFastTimer(std::function<void()> onTimer);
    // Asks the thread to end and waits for it; returns promptly even while a
    // call is waiting for a user-interface thread that no longer runs.
    ~TFastTimer();
    // Ends the thread for good (idempotent); no call comes after it returns.
    // Safe from inside the event, where destroying the timer is not.
    void Stop();
    TFastTimer(const TFastTimer&) = delete;
    TFastTimer& operator=(const TFastTimer&) = delete;

    // Milliseconds between calls; negative values count as 0, and 0 never
    // fires. A call comes once more than the interval has passed since the
    // previous call returned.
    std::int32_t Interval() const { return FInterval.load(); }
    void SetInterval(std::int32_t milliseconds);
    bool Enabled() const { return FEnabled.load(); }
    void SetEnabled(bool enabled);

private:
    void Loop();
    // In the user-interface thread, when the thread has asked for a call.
    void RunPendingCall();

    const std::function<void()> FOnTimer;
    std::atomic<std::int32_t> FInterval{1000};
    std::atomic<bool> FEnabled{true};

    // Guarded by FMutex: the stop request, a call waiting for the
    // user-interface thread, and a change of the settings to look at.
    std::mutex FMutex;
    std::condition_variable FWake;
    bool FStop = false;
    bool FCallPending = false;
    bool FSettingsChanged = false;

    int FEventFd = -1;
    std::unique_ptr<QSocketNotifier> FNotifier;
    std::thread FThread;
};

} // namespace orvanto

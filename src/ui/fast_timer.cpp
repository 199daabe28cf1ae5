#include "ui/fast_timer.h"

#include <QSocketNotifier>

#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>

namespace orvanto {

using TClock = std::chrono::steady_clock;

TFastTimer::TFastTimer(std::function<void()> onTimer) : FOnTimer(std::move(onTimer))
{
    FEventFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (FEventFd >= 0) {
        FNotifier = std::make_unique<QSocketNotifier>(FEventFd, QSocketNotifier::Read);
        QObject::connect(FNotifier.get(), &QSocketNotifier::activated, [this] { RunPendingCall(); });
    }
    FThread = std::thread([this] { Loop(); });
}

TFastTimer::~TFastTimer()
{
    Stop();
    FNotifier.reset();
    if (FEventFd >= 0)
        close(FEventFd);
}

void TFastTimer::Stop()
{
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FStop = true;
    }
    FWake.notify_all();
    if (FThread.joinable())
        FThread.join();
}

void TFastTimer::SetInterval(std::int32_t milliseconds)
{
    FInterval.store(milliseconds < 0 ? 0 : milliseconds);
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FSettingsChanged = true;
    }
    FWake.notify_all();
}

void TFastTimer::SetEnabled(bool enabled)
{
    FEnabled.store(enabled);
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FSettingsChanged = true;
    }
    FWake.notify_all();
}

void TFastTimer::Loop()
{
    std::unique_lock<std::mutex> lock(FMutex);
    auto start = TClock::now();
    while (!FStop) {
        FSettingsChanged = false;
        const std::int32_t interval = FInterval.load();
        const bool armed = FEnabled.load() && interval != 0 && FOnTimer && FEventFd >= 0;
        if (!armed) {
            FWake.wait(lock, [this] { return FStop || FSettingsChanged; });
            continue;
        }
        // "More than the interval": the first whole millisecond after it.
        const auto due = start + std::chrono::milliseconds(interval) + std::chrono::milliseconds(1);
        if (TClock::now() < due) {
            FWake.wait_until(lock, due, [this] { return FStop || FSettingsChanged; });
            continue;
        }
        FCallPending = true;
        const std::uint64_t one = 1;
        if (write(FEventFd, &one, sizeof one) != sizeof one) {
            // The counter is full only when nobody reads it; try again later.
            FCallPending = false;
            start = TClock::now();
            continue;
        }
        FWake.wait(lock, [this] { return FStop || !FCallPending; });
        start = TClock::now();
    }
}

void TFastTimer::RunPendingCall()
{
    std::uint64_t count = 0;
    if (read(FEventFd, &count, sizeof count) < 0)
        return;
    {
        std::lock_guard<std::mutex> lock(FMutex);
        if (!FCallPending || FStop)
            return;
    }
    try {
        FOnTimer();
    } catch (...) {
        // A failing event ends this call only; the timer keeps running.
    }
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FCallPending = false;
    }
    FWake.notify_all();
}

} // namespace orvanto

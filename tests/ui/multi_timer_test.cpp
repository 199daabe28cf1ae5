#include "ui/fast_timer.h"
#include "ui/multi_timer.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace orvanto;

namespace {

struct TManualTimer {
    std::int64_t Now = 0;
    TMultiTimer Timer{[this] { return Now; }, false};
};

TEST(MultiTimer, SlotsRunOutAtAThousand)
{
    TManualTimer manual;
    TMultiTimer& timer = manual.Timer;
    const auto nothing = [](TMultiTimer&) {};
    for (int i = 0; i < TMultiTimer::SlotCount; ++i)
        ASSERT_EQ(timer.AddTimer(&manual, 100, true, nothing), i);
    EXPECT_EQ(timer.AddTimer(&manual, 100, true, nothing), -1);
    EXPECT_EQ(timer.HighestSlot(), 999);
    timer.RemoveTimer(500);
    timer.RemoveTimer(-1);
    timer.RemoveTimer(1000);
    EXPECT_EQ(timer.AddTimer(nullptr, 100, true, nothing), 500);
    timer.RemoveTimersOf(&manual, false);
    EXPECT_EQ(timer.AddTimer(nullptr, 100, true, nothing), 0) << "only the owner's first slot went";
    timer.RemoveTimersOf(&manual, true);
    EXPECT_EQ(timer.HighestSlot(), 500);
}

TEST(MultiTimer, FastTimerRunsAtTheSmallestEffectiveInterval)
{
    struct TSlotSpec {
        std::int32_t Interval;
        bool Enabled, Handler;
    };
    const struct {
        const char* Name;
        std::vector<TSlotSpec> Slots;
        std::int32_t Expected;
    } cases[] = {
        {"no slots", {}, 10000},
        {"one 100 ms slot", {{100, true, true}}, 100},
        {"interval 0 runs at 1 ms", {{0, true, true}}, 1},
        {"a negative interval too", {{-5, true, true}}, 1},
        {"a disabled slot does not count", {{50, false, true}, {200, true, true}}, 200},
        {"nor one without a handler", {{30, true, false}}, 10000},
        {"the bar's two slots", {{100, true, true}, {500, true, true}}, 100},
        {"never slower than 10 s", {{20000, true, true}}, 10000},
    };
    for (const auto& c : cases) {
        TManualTimer manual;
        for (const TSlotSpec& slot : c.Slots)
            manual.Timer.AddTimer(nullptr, slot.Interval, slot.Enabled,
                                  slot.Handler ? TMultiTimer::THandler([](TMultiTimer&) {}) : nullptr);
        EXPECT_EQ(manual.Timer.FastTimerInterval(), c.Expected) << c.Name;
    }
    TManualTimer manual;
    const int fast = manual.Timer.AddTimer(nullptr, 100, true, [](TMultiTimer&) {});
    const int slow = manual.Timer.AddTimer(nullptr, 500, true, [](TMultiTimer&) {});
    manual.Timer.SetTimerEnabled(fast, false);
    EXPECT_EQ(manual.Timer.FastTimerInterval(), 500);
    manual.Timer.SetTimerInterval(slow, 40);
    EXPECT_EQ(manual.Timer.FastTimerInterval(), 40);
    manual.Timer.RemoveTimer(slow);
    EXPECT_EQ(manual.Timer.FastTimerInterval(), 10000);
}

TEST(MultiTimer, DispatchFiresDueSlotsInSlotOrder)
{
    TManualTimer manual;
    std::string fired;
    auto mark = [&fired](char name) { return [&fired, name](TMultiTimer&) { fired += name; }; };
    manual.Timer.AddTimer(nullptr, 500, true, mark('B'));
    manual.Timer.AddTimer(nullptr, 100, true, mark('A'));
    const int off = manual.Timer.AddTimer(nullptr, 100, false, mark('C'));
    manual.Timer.AddTimer(nullptr, 300, true, [&](TMultiTimer&) {
        fired += 'T';
        throw std::runtime_error("a failing handler");
    });
    manual.Timer.AddTimer(nullptr, 300, true, mark('D'));
    const struct {
        std::int64_t Now;
        const char* Fired;
        bool EnableC;
    } passes[] = {
        {99, "", false},    {100, "A", false},  {250, "A", false},
        {300, "T", false},  // the exception ends the pass before D
        {350, "AD", false}, {500, "BA", false},
        {560, "", true},    // C was disabled but its time moved on at 500
        {600, "ACT", false}, {650, "D", false},
    };
    for (const auto& pass : passes) {
        if (pass.EnableC)
            manual.Timer.SetTimerEnabled(off, true);
        manual.Now = pass.Now;
        fired.clear();
        manual.Timer.Dispatch();
        EXPECT_EQ(fired, pass.Fired) << "at " << pass.Now;
    }
}

TEST(FastTimer, CallsComeInTheUserInterfaceThreadAndStopPromptly)
{
    std::atomic<int> calls{0};
    const std::thread::id ui = std::this_thread::get_id();
    bool elsewhere = false;
    {
        TFastTimer timer([&] {
            ++calls;
            elsewhere = elsewhere || std::this_thread::get_id() != ui;
        });
        timer.SetInterval(1);
        EXPECT_TRUE(QTest::qWaitFor([&] { return calls >= 3; }, 5000));
        EXPECT_FALSE(elsewhere);
        // The thread now waits for a call that this thread never runs:
        // destroying the timer must still return.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const int before = calls;
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, before) << "no call after the timer is gone";
}

// The process ends with the shared timer running at full speed, whichever
// way a timer event ends it.
TEST(FastTimerDeathTest, ProcessEndsFromInsideATimerEvent)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const struct {
        const char* Name;
        void (*End)();
    } cases[] = {
        {"quit the event loop", [] { QCoreApplication::quit(); }},
        {"exit the process", [] { std::exit(0); }},
        {"stop the shared timer first", [] { ShutdownMultiTimer(), QCoreApplication::quit(); }},
    };
    for (const auto& c : cases) {
        EXPECT_EXIT(
            {
                MultiTimer().AddTimer(nullptr, 0, true, [](TMultiTimer&) {});
                MultiTimer().AddTimer(nullptr, 50, true, [&c](TMultiTimer&) { c.End(); });
                QCoreApplication::exec();
                std::exit(0);
            },
            ::testing::ExitedWithCode(0), "")
            << c.Name;
    }
}

} // namespace

// The printer watcher and the print job against print servers that answer
// late, never, or hang up: the limits hold, the facts say what happened,
// and the caller's thread never waits on the server.
#include "platform/qt/cups_print_job.h"
#include "platform/qt/cups_printer_watcher.h"
#include "tests/platform/qt/fake_print_server.h"

#include <gtest/gtest.h>

#include <memory>

using namespace orvanto;
using namespace std::chrono_literals;

namespace {

using TClock = std::chrono::steady_clock;

// Short limits, so that the silent cases take a second rather than five.
TCupsLimits TestLimits()
{
    TCupsLimits limits;
    limits.Connect = 1000ms;
    limits.Answer = 1000ms;
    return limits;
}

template <typename Ready>
bool WaitFor(Ready ready, std::chrono::milliseconds limit)
{
    const auto until = TClock::now() + limit;
    while (!ready()) {
        if (TClock::now() > until)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

TEST(CupsPrinterWatcher, TellsWhatEachServerDid)
{
    struct TCase {
        const char* Name;
        TFakePrintServer::TMode Mode;
        std::chrono::milliseconds Delay;
        TServerState Server;
        std::vector<std::string> Printers;
        std::string Current;
    } cases[] = {
        {"silent", TFakePrintServer::TMode::Silent, 0ms, TServerState::Silent, {}, ""},
        {"hangs up", TFakePrintServer::TMode::Closing, 0ms, TServerState::Unreachable, {}, ""},
        // Slower than a healthy server, within the limit: still an answer,
        // and a name with spaces comes through whole.
        {"slow", TFakePrintServer::TMode::Slow, 400ms, TServerState::Answers, {"Office Printer 2"},
         "Office Printer 2"},
    };
    for (const TCase& c : cases) {
        TFakePrintServer server(c.Mode, c.Delay, "Office Printer 2");
        TServerEnvironment environment(server.Address());
        TCupsPrinterWatcher::TTiming timing;
        timing.Limits = TestLimits();
        TCupsPrinterWatcher watcher({}, {}, timing);
        // Until the first answer the facts say so and keep A4 at 600 dpi.
        const TPrinterFacts first = watcher.Facts();
        EXPECT_EQ(first.Server, TServerState::Asking) << c.Name;
        EXPECT_EQ(PrintableArea(first, 0), QRect(0, 0, 4961, 7016)) << c.Name;
        ASSERT_TRUE(WaitFor([&] { return watcher.Facts().Server != TServerState::Asking; }, 5s)) << c.Name;
        const TPrinterFacts facts = watcher.Facts();
        EXPECT_EQ(facts.Server, c.Server) << c.Name;
        EXPECT_EQ(facts.ServerName, server.Address()) << c.Name;
        EXPECT_EQ(facts.Printers, c.Printers) << c.Name;
        EXPECT_EQ(facts.Current, c.Current) << c.Name;
        EXPECT_EQ(facts.HasPrinter(), !c.Current.empty()) << c.Name;
    }
}

// The caller's thread reads the facts at once and the watcher stops within
// a moment, however long the server keeps it waiting.
TEST(CupsPrinterWatcher, NeverHoldsUpItsCaller)
{
    const TFakePrintServer::TMode modes[] = {TFakePrintServer::TMode::Silent, TFakePrintServer::TMode::Slow};
    for (TFakePrintServer::TMode mode : modes) {
        TFakePrintServer server(mode, 30s);
        TServerEnvironment environment(server.Address());
        TCupsPrinterWatcher::TTiming timing; // the program's own limits
        auto watcher = std::make_unique<TCupsPrinterWatcher>(TPrinterFacts{}, std::function<void()>{}, timing);
        ASSERT_TRUE(WaitFor([&] { return server.Seen() > 0; }, 5s));
        const auto asked = TClock::now();
        EXPECT_EQ(watcher->Facts().Server, TServerState::Asking);
        EXPECT_LT(TClock::now() - asked, 100ms);
        const auto stopping = TClock::now();
        watcher.reset();
        EXPECT_LT(TClock::now() - stopping, 2s);
    }
}

TEST(CupsPrinterWatcher, SaysSoWhenTheFactsChange)
{
    TFakePrintServer server(TFakePrintServer::TMode::Slow, 0ms);
    TServerEnvironment environment(server.Address());
    std::atomic<int> changes{0};
    TCupsPrinterWatcher::TTiming timing;
    timing.Limits = TestLimits();
    timing.Interval = 50ms;
    TCupsPrinterWatcher watcher({}, [&] { ++changes; }, timing);
    ASSERT_TRUE(WaitFor([&] { return watcher.Facts().Answered(); }, 5s));
    // Rounds go on with nothing new: one change and its generation.
    ASSERT_TRUE(WaitFor([&] { return server.Seen() >= 8; }, 5s));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(watcher.Facts().Generation, 1u);
    // Choosing a printer the server does not list leaves none current.
    watcher.Select("Elsewhere");
    ASSERT_TRUE(WaitFor([&] { return changes == 2; }, 5s));
    EXPECT_EQ(watcher.Facts().Current, "");
    EXPECT_FALSE(watcher.Facts().HasPrinter());
}

TEST(CupsPrintJob, AServerThatFailsEndsTheHandOverInTime)
{
    struct TCase {
        const char* Name;
        TFakePrintServer::TMode Mode;
        TJobFailure Failure;
    } cases[] = {
        {"silent", TFakePrintServer::TMode::Silent, TJobFailure::ServerSilent},
        {"hangs up", TFakePrintServer::TMode::Closing, TJobFailure::ServerUnreachable},
    };
    for (const TCase& c : cases) {
        TFakePrintServer server(c.Mode);
        TServerEnvironment environment(server.Address());
        TCupsPrintJob::TTiming timing;
        timing.Limits = TestLimits();
        const auto started = TClock::now();
        TCupsPrintJob job({"Office Printer 2", "Orvanto", {}, QByteArray(1000, 'x')}, {}, timing);
        EXPECT_FALSE(job.WaitHandedOver(10s)) << c.Name;
        EXPECT_LT(TClock::now() - started, 5s) << c.Name;
        const TJobStatus status = job.Status();
        EXPECT_EQ(status.Phase, TJobPhase::Failed) << c.Name;
        EXPECT_EQ(status.Failure, c.Failure) << c.Name;
        EXPECT_EQ(status.Server, server.Address()) << c.Name;
        EXPECT_FALSE(status.Accepted()) << c.Name;
    }
}

} // namespace

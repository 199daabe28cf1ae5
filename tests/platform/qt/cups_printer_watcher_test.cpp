// The printer watcher and the print job against print servers that answer
// late, never, or hang up: the limits hold, the facts say what happened,
// and the caller's thread never waits on the server.
#include "platform/lp_options.h"
#include "platform/qt/cups_print_job.h"
#include "platform/qt/cups_printer_watcher.h"
#include "tests/fake_print_server.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

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
        // The server takes long enough for the caller to see the watcher
        // still asking; one that hangs up may be done with before that.
        bool TakesItsTime;
    } cases[] = {
        {"silent", TFakePrintServer::TMode::Silent, 0ms, TServerState::Silent, {}, "", true},
        {"hangs up", TFakePrintServer::TMode::Closing, 0ms, TServerState::Unreachable, {}, "", false},
        // Slower than a healthy server, within the limit: still an answer,
        // and a name with spaces comes through whole.
        {"slow", TFakePrintServer::TMode::Slow, 400ms, TServerState::Answers, {"Office Printer 2"},
         "Office Printer 2", true},
    };
    for (const TCase& c : cases) {
        TFakePrintServer server(c.Mode, c.Delay, "Office Printer 2");
        TServerEnvironment environment(server.Address());
        TCupsPrinterWatcher::TTiming timing;
        timing.Limits = TestLimits();
        TCupsPrinterWatcher watcher({}, {}, timing);
        // Until the first answer the facts say so and keep A4 at 600 dpi.
        const TPrinterFacts first = watcher.Facts();
        if (c.TakesItsTime) {
            EXPECT_EQ(first.Server, TServerState::Asking) << c.Name;
        }
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

// Sets or clears an environment variable for the life of the object.
class TScopedVariable {
public:
    TScopedVariable(const char* name, const char* value) : FName(name)
    {
        if (const char* old = std::getenv(name))
            FOld = old, FHad = true;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~TScopedVariable()
    {
        if (FHad)
            setenv(FName, FOld.c_str(), 1);
        else
            unsetenv(FName);
    }

private:
    const char* FName;
    std::string FOld;
    bool FHad = false;
};

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The printer the program starts on is the one `lpoptions -d` or the
// environment chose, as with the print system's own tools; the server's
// default only when neither names one.
TEST(CupsPrinterWatcher, StartsOnTheDefaultTheUserChose)
{
    const QByteArray garbage = QByteArray("\0\xff\x01" "Default\tDefault /x\n#Default Label\nDefault \x02Label\nDefault\n", 60)
        + QByteArray(300000, 'D');
    struct TCase {
        const char* Name;
        const char* Lpdest;
        const char* Printer;
        QByteArray User;   // ~/.cups/lpoptions; empty: none
        QByteArray System; // $CUPS_SERVERROOT/lpoptions; empty: none
        std::string Current;
    } cases[] = {
        {"nothing chosen: the server's default", nullptr, nullptr, "", "", "Office"},
        {"the user's lpoptions", nullptr, nullptr, "Default Photo\n", "", "Photo"},
        {"the system's lpoptions", nullptr, nullptr, "", "Default Label\n", "Label"},
        {"the user's wins over the system's", nullptr, nullptr, "Default Photo\n", "Default Label\n", "Photo"},
        {"the user's options alone leave the system's default", nullptr, nullptr, "Dest Photo sides=two-sided\n",
         "Default Label\n", "Label"},
        {"an instance is options on its queue", nullptr, nullptr,
         "Dest Label/small media=A6\nDefault Photo/draft print-quality=3 sides=one-sided\n", "", "Photo"},
        {"the last default of a file", nullptr, nullptr, "Default Label\r\n  default\tPhoto\r\n", "", "Photo"},
        {"garbage names nothing", nullptr, nullptr, garbage, "", "Office"},
        {"garbage beyond the size read is never seen", nullptr, nullptr,
         QByteArray(int(MaxLpOptionsBytes), '\n') + "Default Photo\n", "", "Office"},
        {"PRINTER wins over lpoptions", nullptr, "Label", "Default Photo\n", "", "Label"},
        {"LPDEST wins over PRINTER", "Photo", "Label", "", "", "Photo"},
        {"LPDEST with an instance", "Label/small", nullptr, "", "", "Label"},
        {"PRINTER=lp means the default", nullptr, "lp", "Default Photo\n", "", "Photo"},
    };
    TFakePrintServer server(TFakePrintServer::TMode::Slow, 0ms, "Office", {"Photo", "Label"});
    TServerEnvironment environment(server.Address());
    for (const TCase& c : cases) {
        QTemporaryDir home, serverRoot;
        if (!c.User.isEmpty())
            WriteFile(home.path() + "/.cups/lpoptions", c.User);
        if (!c.System.isEmpty())
            WriteFile(serverRoot.path() + "/lpoptions", c.System);
        TScopedVariable homeVariable("HOME", home.path().toUtf8().constData());
        TScopedVariable rootVariable("CUPS_SERVERROOT", serverRoot.path().toUtf8().constData());
        TScopedVariable lpdest("LPDEST", c.Lpdest);
        TScopedVariable printer("PRINTER", c.Printer);
        TCupsPrinterWatcher::TTiming timing;
        timing.Limits = TestLimits();
        TCupsPrinterWatcher watcher({}, {}, timing);
        ASSERT_TRUE(WaitFor([&] { return watcher.Facts().Answered(); }, 5s)) << c.Name;
        EXPECT_EQ(watcher.Facts().Current, c.Current) << c.Name;
        EXPECT_TRUE(watcher.Facts().HasPrinter()) << c.Name;
    }
}

// A pipe where the user's file should be is passed over at once: reading it
// would wait for a writer that never comes.
TEST(CupsPrinterWatcher, APipeForTheOptionsFileHoldsNothingUp)
{
    QTemporaryDir home;
    QDir().mkpath(home.path() + "/.cups");
    ASSERT_EQ(::mkfifo((home.path() + "/.cups/lpoptions").toUtf8().constData(), 0600), 0);
    TScopedVariable homeVariable("HOME", home.path().toUtf8().constData());
    TScopedVariable lpdest("LPDEST", nullptr);
    TScopedVariable printer("PRINTER", nullptr);
    TFakePrintServer server(TFakePrintServer::TMode::Slow, 0ms, "Office", {"Photo"});
    TServerEnvironment environment(server.Address());
    TCupsPrinterWatcher::TTiming timing;
    timing.Limits = TestLimits();
    TCupsPrinterWatcher watcher({}, {}, timing);
    ASSERT_TRUE(WaitFor([&] { return watcher.Facts().Answered(); }, 5s));
    EXPECT_EQ(watcher.Facts().Current, "Office");
}

// At rest the watcher waits for the server's news instead of asking for the
// printers again and again; a printer that comes still shows at once, and
// one chosen in Printer Setup is followed at once even while the server
// holds a poll. A server without news is asked every round, as ever.
TEST(CupsPrinterWatcher, HearsOfChangesAndAsksLittleAtRest)
{
    struct TCase {
        const char* Name;
        bool Subscriptions;
        std::chrono::milliseconds Hold;
        bool PrintersAskedAtRest;
        int Cancelled; // subscriptions ended at exit
    } cases[] = {
        {"news answered at once, as CUPS does", true, 0ms, false, 1},
        {"news held until there is some", true, 10s, false, 1},
        {"a server without news is asked every round", false, 0ms, true, 0},
    };
    for (const TCase& c : cases) {
        // Each answer a little late, as over a network: an ask made twice for
        // one piece of news is then counted after the facts it brought show.
        TFakePrintServer server(TFakePrintServer::TMode::Slow, 40ms, "Office");
        if (c.Subscriptions)
            server.Subscribe(c.Hold);
        TServerEnvironment environment(server.Address());
        TCupsPrinterWatcher::TTiming timing;
        timing.Limits = TestLimits();
        timing.Interval = 100ms;
        timing.SafetyInterval = 60s;
        timing.Hold = 20s;
        {
            TCupsPrinterWatcher watcher({}, {}, timing);
            ASSERT_TRUE(WaitFor([&] { return watcher.Facts().Answered(); }, 5s)) << c.Name;
            // A server that holds polls is found out by the first one.
            ASSERT_TRUE(WaitFor([&] { return server.Seen(IPP_OP_GET_NOTIFICATIONS) >= 2 || !c.Subscriptions; }, 5s))
                << c.Name;
            const auto atRest = [&] {
                const int asked = server.Seen(IPP_OP_CUPS_GET_PRINTERS);
                std::this_thread::sleep_for(1200ms);
                return server.Seen(IPP_OP_CUPS_GET_PRINTERS) > asked;
            };
            EXPECT_EQ(atRest(), c.PrintersAskedAtRest) << c.Name;
            const int polled = server.Seen(IPP_OP_GET_NOTIFICATIONS);
            server.SetOthers({"Kitchen"});
            server.Announce();
            EXPECT_TRUE(WaitFor([&] { return watcher.Facts().Printers.size() == 2; }, 2s)) << c.Name;
            // Chosen while the server holds the next poll.
            WaitFor([&] { return server.Seen(IPP_OP_GET_NOTIFICATIONS) > polled + 1; }, 1s);
            std::this_thread::sleep_for(50ms);
            watcher.Select("Kitchen");
            EXPECT_TRUE(WaitFor([&] { return watcher.Facts().Current == "Kitchen"; }, 2s)) << c.Name;
            // News once heard is not heard again.
            EXPECT_EQ(atRest(), c.PrintersAskedAtRest) << c.Name << ", after the news";
        }
        EXPECT_EQ(server.Seen(IPP_OP_CREATE_PRINTER_SUBSCRIPTIONS), 1) << c.Name;
        EXPECT_EQ(server.Seen(IPP_OP_CANCEL_SUBSCRIPTION), c.Cancelled) << c.Name;
    }
}

// The subscription outlives its lease: renewed at half of it, and made
// afresh when the server has forgotten it (a restart). News is heard after
// either.
TEST(CupsPrinterWatcher, KeepsHearingNewsPastTheLease)
{
    struct TCase {
        const char* Name;
        bool Forget;
        std::chrono::seconds Lease;
        int Created; // subscriptions made in all
        bool Renewed;
    } cases[] = {
        {"the lease renewed at its half", false, 2s, 1, true},
        {"forgotten by the server", true, 60s, 2, false},
    };
    for (const TCase& c : cases) {
        TFakePrintServer server(TFakePrintServer::TMode::Slow, 0ms, "Office");
        server.Subscribe(0ms);
        TServerEnvironment environment(server.Address());
        TCupsPrinterWatcher::TTiming timing;
        timing.Limits = TestLimits();
        timing.Interval = 100ms;
        timing.SafetyInterval = 60s;
        timing.Lease = c.Lease;
        TCupsPrinterWatcher watcher({}, {}, timing);
        ASSERT_TRUE(WaitFor([&] { return server.Seen(IPP_OP_GET_NOTIFICATIONS) >= 1; }, 5s)) << c.Name;
        if (c.Forget)
            server.Forget();
        std::this_thread::sleep_for(1500ms); // past half the short lease
        EXPECT_TRUE(WaitFor([&] { return server.Seen(IPP_OP_CREATE_PRINTER_SUBSCRIPTIONS) == c.Created; }, 2s))
            << c.Name;
        EXPECT_EQ(WaitFor([&] { return server.Seen(IPP_OP_RENEW_SUBSCRIPTION) > 0; }, c.Renewed ? 2s : 0s), c.Renewed)
            << c.Name;
        server.SetOthers({"Kitchen"});
        server.Announce();
        EXPECT_TRUE(WaitFor([&] { return watcher.Facts().Printers.size() == 2; }, 2s)) << c.Name;
        EXPECT_EQ(server.Seen(IPP_OP_CREATE_PRINTER_SUBSCRIPTIONS), c.Created) << c.Name;
    }
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

namespace {

struct TPrinterEntry {
    const char* Name;
    ipp_pstate_t State;
    std::vector<const char*> Reasons;
    int Width, Height, Margin; // hundredths of a millimetre; 0: no media-col-default
    int Resolution;
    ipp_res_t Units;
};

ipp_t* Answer(const std::vector<TPrinterEntry>& printers)
{
    ipp_t* answer = ippNew();
    ippAddString(answer, IPP_TAG_OPERATION, IPP_TAG_CHARSET, "attributes-charset", nullptr, "utf-8");
    for (const TPrinterEntry& p : printers) {
        ippAddSeparator(answer);
        ippAddString(answer, IPP_TAG_PRINTER, IPP_TAG_NAME, "printer-name", nullptr, p.Name);
        ippAddInteger(answer, IPP_TAG_PRINTER, IPP_TAG_ENUM, "printer-state", p.State);
        if (!p.Reasons.empty())
            ippAddStrings(answer, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "printer-state-reasons", int(p.Reasons.size()),
                          nullptr, p.Reasons.data());
        if (p.Width) {
            ipp_t* size = ippNew();
            ippAddInteger(size, IPP_TAG_ZERO, IPP_TAG_INTEGER, "x-dimension", p.Width);
            ippAddInteger(size, IPP_TAG_ZERO, IPP_TAG_INTEGER, "y-dimension", p.Height);
            ipp_t* media = ippNew();
            ippAddCollection(media, IPP_TAG_ZERO, "media-size", size);
            for (const char* margin : {"media-left-margin", "media-top-margin", "media-right-margin",
                                       "media-bottom-margin"})
                ippAddInteger(media, IPP_TAG_ZERO, IPP_TAG_INTEGER, margin, p.Margin);
            ippAddCollection(answer, IPP_TAG_PRINTER, "media-col-default", media);
            ippDelete(size);
            ippDelete(media);
        }
        if (p.Resolution)
            ippAddResolution(answer, IPP_TAG_PRINTER, "printer-resolution-default", p.Units, p.Resolution,
                             p.Resolution);
    }
    return answer;
}

TEST(CupsPrinterWatcher, ReadsTheCurrentPrintersFactsFromTheAnswer)
{
    const TPrinterEntry office{"Office", IPP_PSTATE_IDLE, {"none"}, 21590, 27940, 423, 1200, IPP_RES_PER_INCH};
    const TPrinterEntry photo{"Fotodrucker Küche", IPP_PSTATE_STOPPED, {"media-empty-error", "paused"}, 10160,
                              15240, 0, 118, IPP_RES_PER_CM};
    const TPrinterEntry broken{"Broken", IPP_PSTATE_IDLE, {}, 5000000, 29700, 0, 99999, IPP_RES_PER_INCH};
    struct TCase {
        const char* Name;
        std::vector<TPrinterEntry> Printers;
        std::string Current;
        std::string Found; // the current printer after reading
        bool Stopped;
        std::vector<std::string> Reasons;
        int Dpi, Width, Margin;
    } cases[] = {
        {"the first of two", {office, photo}, "Office", "Office", false, {}, 1200, 21590, 423},
        {"the second, stopped, dots per centimetre", {office, photo}, "Fotodrucker Küche", "Fotodrucker Küche",
         true, {"media-empty-error", "paused"}, 300, 10160, 0},
        // Sizes beyond reason keep the defaults: A4 at 600 dpi.
        {"nonsense sizes", {broken}, "Broken", "Broken", false, {}, 600, 21000, 0},
        {"current gone", {office}, "Elsewhere", "", false, {}, 600, 21000, 0},
    };
    for (const TCase& c : cases) {
        ipp_t* answer = Answer(c.Printers);
        TPrinterFacts facts;
        facts.Current = c.Current;
        ReadPrinters(answer, facts);
        ippDelete(answer);
        std::vector<std::string> names;
        for (const TPrinterEntry& p : c.Printers)
            names.push_back(p.Name);
        EXPECT_EQ(facts.Printers, names) << c.Name;
        EXPECT_EQ(facts.Current, c.Found) << c.Name;
        EXPECT_EQ(facts.Stopped, c.Stopped) << c.Name;
        EXPECT_EQ(facts.Reasons, c.Reasons) << c.Name;
        EXPECT_EQ(facts.DpiX, c.Dpi) << c.Name;
        EXPECT_EQ(facts.PaperWidth, c.Width) << c.Name;
        EXPECT_EQ(facts.MarginLeft, c.Margin) << c.Name;
        EXPECT_EQ(facts.MarginBottom, c.Margin) << c.Name;
    }
}

} // namespace

#include "platform/qt/cups_printer_watcher.h"

#include "platform/lp_options.h"

#include <cstring>
#include <tuple>

namespace orvanto {

namespace {

using TClock = std::chrono::steady_clock;

// A new default printer shows within half a minute.
constexpr std::chrono::seconds DefaultEvery{30};

// Limits for ending the subscription at exit: the watcher's own connection
// gives up every wait once stopping, and the program must not linger.
constexpr TCupsLimits FarewellLimits{std::chrono::milliseconds(500), std::chrono::milliseconds(500)};

const char* const PrinterAttributes[] = {
    "printer-name",        "printer-state",      "printer-state-reasons",      "printer-state-message",
    "printer-is-accepting-jobs", "media-default", "media-col-default",         "printer-resolution-default",
};

std::string Text(ipp_attribute_t* attribute)
{
    const char* text = ippGetString(attribute, 0, nullptr);
    return text ? text : "";
}

int Dimension(ipp_t* collection, const char* name, int otherwise)
{
    ipp_attribute_t* attribute = collection ? ippFindAttribute(collection, name, IPP_TAG_INTEGER) : nullptr;
    const int value = attribute ? ippGetInteger(attribute, 0) : otherwise;
    // Anything beyond a few metres of paper is a broken answer.
    return value >= 0 && value <= 1000000 ? value : otherwise;
}

void ReadMedia(ipp_t* media, TPrinterFacts& facts)
{
    ipp_attribute_t* sizeAttribute = ippFindAttribute(media, "media-size", IPP_TAG_BEGIN_COLLECTION);
    ipp_t* size = sizeAttribute ? ippGetCollection(sizeAttribute, 0) : nullptr;
    const int width = Dimension(size, "x-dimension", 0);
    const int height = Dimension(size, "y-dimension", 0);
    if (width <= 0 || height <= 0)
        return;
    facts.PaperWidth = width;
    facts.PaperHeight = height;
    facts.MarginLeft = Dimension(media, "media-left-margin", 0);
    facts.MarginTop = Dimension(media, "media-top-margin", 0);
    facts.MarginRight = Dimension(media, "media-right-margin", 0);
    facts.MarginBottom = Dimension(media, "media-bottom-margin", 0);
}

void ReadResolution(ipp_attribute_t* attribute, TPrinterFacts& facts)
{
    ipp_res_t units = IPP_RES_PER_INCH;
    int y = 0;
    int x = ippGetResolution(attribute, 0, &y, &units);
    if (units == IPP_RES_PER_CM) {
        x = int(x * 2.54 + 0.5);
        y = int(y * 2.54 + 0.5);
    }
    if (x > 0 && y > 0 && x <= 10000 && y <= 10000) {
        facts.DpiX = x;
        facts.DpiY = y;
    }
}

struct TPrinterGroup {
    std::string Name;
    ipp_attribute_t* First = nullptr; // the group's first attribute
};

// Fills in the current printer from the attributes of its group.
void ReadCurrent(ipp_t* answer, ipp_attribute_t* first, TPrinterFacts& facts)
{
    // Each answer describes the printer afresh: what it leaves out is the
    // usual A4 at 600 dpi, not what another printer had.
    const TPrinterFacts usual;
    facts.Media = usual.Media;
    facts.DpiX = usual.DpiX;
    facts.DpiY = usual.DpiY;
    facts.PaperWidth = usual.PaperWidth;
    facts.PaperHeight = usual.PaperHeight;
    facts.MarginLeft = facts.MarginTop = facts.MarginRight = facts.MarginBottom = 0;
    facts.Reasons.clear();
    facts.Message.clear();
    facts.Stopped = false;
    facts.Accepting = true;
    for (ipp_attribute_t* a = first; a && ippGetName(a); a = ippNextAttribute(answer)) {
        const char* name = ippGetName(a);
        if (!std::strcmp(name, "printer-state"))
            facts.Stopped = ippGetInteger(a, 0) == IPP_PSTATE_STOPPED;
        else if (!std::strcmp(name, "printer-state-reasons")) {
            for (int i = 0; i < ippGetCount(a); ++i)
                if (const char* reason = ippGetString(a, i, nullptr); reason && std::strcmp(reason, "none"))
                    facts.Reasons.push_back(reason);
        } else if (!std::strcmp(name, "printer-state-message"))
            facts.Message = Text(a);
        else if (!std::strcmp(name, "printer-is-accepting-jobs"))
            facts.Accepting = ippGetBoolean(a, 0) != 0;
        else if (!std::strcmp(name, "media-default") && !Text(a).empty())
            facts.Media = Text(a);
        else if (!std::strcmp(name, "media-col-default") && ippGetValueTag(a) == IPP_TAG_BEGIN_COLLECTION)
            ReadMedia(ippGetCollection(a, 0), facts);
        else if (!std::strcmp(name, "printer-resolution-default") && ippGetValueTag(a) == IPP_TAG_RESOLUTION)
            ReadResolution(a, facts);
    }
}

bool SameFacts(const TPrinterFacts& a, const TPrinterFacts& b)
{
    auto tie = [](const TPrinterFacts& f) {
        return std::tie(f.Server, f.ServerName, f.Printers, f.Current, f.Stopped, f.Accepting, f.Reasons, f.Message,
                        f.Media, f.DpiX, f.DpiY, f.PaperWidth, f.PaperHeight, f.MarginLeft, f.MarginTop,
                        f.MarginRight, f.MarginBottom);
    };
    return tie(a) == tie(b);
}

} // namespace

void ReadPrinters(ipp_t* answer, TPrinterFacts& facts)
{
    facts.Printers.clear();
    // Printers come as groups of attributes; a name opens no group, so
    // each group is remembered by its first attribute.
    std::vector<TPrinterGroup> groups;
    ipp_attribute_t* first = nullptr;
    for (ipp_attribute_t* a = ippFirstAttribute(answer); a; a = ippNextAttribute(answer)) {
        if (ippGetGroupTag(a) != IPP_TAG_PRINTER || !ippGetName(a)) {
            first = nullptr;
            continue;
        }
        if (!first) {
            first = a;
            groups.push_back({{}, a});
        }
        if (!std::strcmp(ippGetName(a), "printer-name") && ippGetValueTag(a) == IPP_TAG_NAME)
            groups.back().Name = Text(a);
    }
    bool found = false;
    for (const TPrinterGroup& group : groups) {
        if (group.Name.empty())
            continue;
        facts.Printers.push_back(group.Name);
        if (group.Name == facts.Current && !found) {
            found = true;
            // Walk the group again from its start: ippNextAttribute keeps
            // its place in the answer.
            for (ipp_attribute_t* a = ippFirstAttribute(answer); a && a != group.First;)
                a = ippNextAttribute(answer);
            ReadCurrent(answer, group.First, facts);
        }
    }
    if (!found) {
        facts.Current.clear();
        facts.Reasons.clear();
        facts.Message.clear();
        facts.Stopped = false;
        facts.Accepting = true;
    }
}

TCupsPrinterWatcher::TCupsPrinterWatcher(TPrinterFacts initial, std::function<void()> onChange, TTiming timing)
    : FTiming(timing), FOnChange(std::move(onChange)), FFacts(std::move(initial))
{
    FFacts.Server = TServerState::Asking;
    FThread = std::thread([this] { Run(); });
}

TCupsPrinterWatcher::~TCupsPrinterWatcher()
{
    {
        std::lock_guard lock(FMutex);
        FStop = true;
    }
    FWake.notify_all();
    FThread.join();
}

TPrinterFacts TCupsPrinterWatcher::Facts() const
{
    std::lock_guard lock(FMutex);
    return FFacts;
}

void TCupsPrinterWatcher::Select(const std::string& name)
{
    {
        std::lock_guard lock(FMutex);
        FSelected = name;
    }
    Wake();
}

void TCupsPrinterWatcher::Wake()
{
    {
        std::lock_guard lock(FMutex);
        FWoken = true;
        FInterrupt = true;
    }
    FWake.notify_all();
}

void TCupsPrinterWatcher::Publish(TPrinterFacts next)
{
    {
        std::lock_guard lock(FMutex);
        if (SameFacts(next, FFacts))
            return;
        next.Generation = FFacts.Generation + 1;
        FFacts = std::move(next);
    }
    if (FOnChange)
        FOnChange();
}

TPrinterFacts TCupsPrinterWatcher::Ask(TCupsConnection& connection, TPrinterFacts next)
{
    const auto failed = [&] {
        next.Server = connection.Outcome() == TCupsOutcome::Silent ? TServerState::Silent : TServerState::Unreachable;
        return next;
    };
    std::string current;
    {
        std::lock_guard lock(FMutex);
        current = FSelected;
    }
    if (current.empty())
        current = DefaultFromEnvironment();
    // The default changes seldom: it is asked for again every DefaultEvery,
    // and whenever the last answer did not list it.
    if (current.empty() && !FDefault.empty() && next.Answered() && TClock::now() - FDefaultAsked < DefaultEvery) {
        current = FDefault;
    } else if (current.empty()) {
        ipp_t* answer = connection.Request(ippNewRequest(IPP_OP_CUPS_GET_DEFAULT));
        if (!answer)
            return failed();
        if (ipp_attribute_t* name = ippFindAttribute(answer, "printer-name", IPP_TAG_NAME))
            current = Text(name);
        ippDelete(answer);
        FDefault = current;
        FDefaultAsked = TClock::now();
    }
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  int(std::size(PrinterAttributes)), nullptr, PrinterAttributes);
    ipp_t* answer = connection.Request(request);
    if (!answer)
        return failed();
    next.Current = current;
    ReadPrinters(answer, next);
    ippDelete(answer);
    if (next.Current.empty())
        FDefault.clear();
    next.Server = TServerState::Answers;
    return next;
}

bool TCupsPrinterWatcher::Rest(std::chrono::milliseconds time)
{
    std::unique_lock lock(FMutex);
    FWake.wait_for(lock, time, [this] { return FStop || FWoken; });
    const bool woken = FWoken;
    FWoken = false;
    return woken;
}

void TCupsPrinterWatcher::Run()
{
    TCupsConnection connection(FTiming.Limits, &FStop);
    // libcups reads its configuration once per thread: this thread's view
    // is the one that counts.
    {
        std::lock_guard lock(FMutex);
        FFacts.ServerName = TCupsConnection::ServerName();
    }
    TCupsSubscription subscription(FTiming.Lease);
    bool subscribable = true; // until the server shows it has no subscriptions
    bool holds = false;       // it holds Get-Notifications until there is news
    TClock::time_point asked;
    bool ask = true;
    while (!FStop) {
        if (ask || !subscription.Active() || TClock::now() - asked >= FTiming.SafetyInterval) {
            // This ask answers every wake so far, a printer chosen during the
            // poll it cut short included: heard again, the wake would ask the
            // server a second time for the same news.
            {
                std::lock_guard lock(FMutex);
                FWoken = false; // heard by this ask
            }
            Publish(Ask(connection, Facts()));
            asked = TClock::now();
            ask = false;
            if (!Facts().Answered()) {
                // The server that answers again may have restarted, or be
                // another one: subscribe afresh then.
                subscription.Forget();
                subscribable = true;
                Rest(FTiming.RetryInterval);
                ask = true;
                continue;
            }
            if (!subscription.Active() && subscribable && !subscription.Create(connection))
                subscribable = connection.Outcome() != TCupsOutcome::Answered;
        }
        if (!subscription.Active()) {
            // No news from this server: ask it for the printers every round.
            Rest(FTiming.Interval);
            ask = true;
            continue;
        }
        {
            std::lock_guard lock(FMutex);
            if (FWoken) {
                FWoken = false;
                ask = true;
                continue;
            }
            FInterrupt = false;
        }
        const auto polled = TClock::now();
        switch (subscription.Poll(connection, holds ? FTiming.Hold : FTiming.Limits.Answer, &FInterrupt)) {
        case TNews::Changed:
        case TNews::Lost: // events may have gone missing with it
            ask = true;
            break;
        case TNews::Failed:
            // A poll that ran into its limit may have been held by a server
            // with nothing to say: the ask that follows tells whether it
            // still answers, and from then on the poll may wait longer.
            if (!FInterrupt && connection.Outcome() == TCupsOutcome::Silent)
                holds = true;
            ask = true;
            break;
        case TNews::None:
            // CUPS answers at once, telling the client to come back later;
            // the watcher comes back after Interval, so changes show soon.
            holds = TClock::now() - polled >= FTiming.Interval;
            if (!holds)
                ask = Rest(FTiming.Interval);
            break;
        }
    }
    if (subscription.Active()) {
        TCupsConnection farewell(FarewellLimits);
        subscription.Cancel(farewell);
    }
}

} // namespace orvanto

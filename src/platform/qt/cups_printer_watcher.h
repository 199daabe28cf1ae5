#pragma once

// The printer watcher over CUPS: a worker thread that asks the server for
// its printers, the default one and the current printer's state, paper and
// resolution, each request within the limits of TCupsConnection.
//
// It subscribes to the server's news of its printers and asks for them again
// when a printer is added, deleted, stopped, resumed or changed, and every
// SafetyInterval in case news went missing; the default printer every 30 s.
// A server that holds the poll for news until there is some is polled again
// at once (each held poll within Hold); CUPS answers at once, so it is
// polled every Interval, one tiny request on one open connection. A server
// without subscriptions is asked for its printers every Interval instead.
// While the server does not answer, it is asked every RetryInterval.

#include "platform/printer_watcher.h"
#include "platform/qt/cups_connection.h"
#include "platform/qt/cups_subscription.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace orvanto {

struct TWatchTiming {
    TCupsLimits Limits;
    std::chrono::milliseconds Interval{1500};
    std::chrono::milliseconds RetryInterval{3000};
    std::chrono::milliseconds SafetyInterval{30000};
    std::chrono::milliseconds Hold{35000};
    std::chrono::seconds Lease = TCupsSubscription::DefaultLease;
};

class TCupsPrinterWatcher final : public IPrinterWatcher {
public:
    using TTiming = TWatchTiming;

    // initial: what to assume until the first answer (the last printer
    // used). onChange runs in the worker thread after each change of the
    // facts; it must not block.
    explicit TCupsPrinterWatcher(TPrinterFacts initial = {}, std::function<void()> onChange = {},
                                 TTiming timing = TTiming());
    // Stops the worker; a request in flight is given up within about a second.
    ~TCupsPrinterWatcher() override;

    TPrinterFacts Facts() const override;
    void Select(const std::string& name) override;
    void Wake() override;

private:
    void Run();
    // Waits up to time; true when woken by Wake or Select.
    bool Rest(std::chrono::milliseconds time);
    void Publish(TPrinterFacts next);
    TPrinterFacts Ask(TCupsConnection& connection, TPrinterFacts next);

    const TTiming FTiming;
    const std::function<void()> FOnChange;
    mutable std::mutex FMutex;
    std::condition_variable FWake;
    TPrinterFacts FFacts;
    std::string FSelected;
    bool FWoken = false;
    // The worker's own: the server's default printer as last asked.
    std::string FDefault;
    std::chrono::steady_clock::time_point FDefaultAsked;
    std::atomic<bool> FStop{false};
    // Gives up a held poll, so that a wake is not kept waiting for news.
    std::atomic<bool> FInterrupt{false};
    std::thread FThread;
};

// Reads a CUPS-Get-Printers answer into facts: the printer names, and the
// state, reasons, paper and resolution of the one named current. Only the
// answer's bytes are trusted as far as libcups parsed them.
void ReadPrinters(ipp_t* answer, TPrinterFacts& facts);

} // namespace orvanto

#pragma once

// The printer watcher over CUPS: a worker thread that asks the server for
// its printers, the default one and the current printer's state, paper and
// resolution, every Interval while it answers and every RetryInterval while
// it does not, each request within the limits of TCupsConnection. At rest
// that is one small request on one open connection every 1.5 s, and the
// default printer every 30 s.

#include "platform/printer_watcher.h"
#include "platform/qt/cups_connection.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace orvanto {

struct TWatchTiming {
    TCupsLimits Limits;
    std::chrono::milliseconds Interval{1500};
    std::chrono::milliseconds RetryInterval{3000};
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
    int FRoundsSinceDefault = 0;
    std::atomic<bool> FStop{false};
    std::thread FThread;
};

// Reads a CUPS-Get-Printers answer into facts: the printer names, and the
// state, reasons, paper and resolution of the one named current. Only the
// answer's bytes are trusted as far as libcups parsed them.
void ReadPrinters(ipp_t* answer, TPrinterFacts& facts);

} // namespace orvanto

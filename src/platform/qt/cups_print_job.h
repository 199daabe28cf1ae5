#pragma once

// One print job handed to CUPS by a worker thread and followed until CUPS
// reports its end: accepted, waiting on a stopped printer, printed,
// cancelled or given up. Every request keeps the limits of
// TCupsConnection, so neither the hand-over nor the following can hang.

#include "platform/print_job_status.h"
#include "platform/qt/cups_connection.h"

#include <QByteArray>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace orvanto {

struct TCupsDocument {
    std::string Printer;
    std::string Title;
    std::vector<std::pair<std::string, std::string>> Options;
    QByteArray Bytes;
    std::string Format = CUPS_FORMAT_POSTSCRIPT;
};

struct TJobTiming {
    TCupsLimits Limits;
    std::chrono::milliseconds Poll{1000};
    // Following ends as failed once the server has said nothing this long;
    // a restarting server is back well within it.
    std::chrono::milliseconds GiveUp{60000};
};

class TCupsPrintJob {
public:
    using TTiming = TJobTiming;

    // Starts handing document over at once. onChange runs in the worker
    // after each change of the status; it must not block.
    TCupsPrintJob(TCupsDocument document, std::function<void()> onChange = {}, TTiming timing = TTiming());
    // Waits for the hand-over to end (a job is never dropped half sent),
    // then stops following.
    ~TCupsPrintJob();

    TJobStatus Status() const;
    // Asks CUPS to cancel the job; the status says Cancelled once it has.
    void Cancel();
    // Waits up to limit for the hand-over to end; true when CUPS holds the job.
    bool WaitHandedOver(std::chrono::milliseconds limit);

private:
    void Run(TCupsDocument document);
    bool HandOver(TCupsConnection& connection, const TCupsDocument& document);
    void Follow(TCupsConnection& connection);
    bool Poll(TCupsConnection& connection);
    void Update(const std::function<void(TJobStatus&)>& change);

    const TTiming FTiming;
    const std::function<void()> FOnChange;
    mutable std::mutex FMutex;
    std::condition_variable FChanged;
    TJobStatus FStatus;
    bool FHandingOver = true;
    bool FCancel = false;
    std::atomic<bool> FStop{false};
    std::thread FThread;
};

} // namespace orvanto

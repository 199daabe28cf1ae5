#pragma once

// Decodes one picture in a thread of its own, so that the window can show a
// quick reduced copy and stay live while the full decode runs.
//
// The decode function runs in the worker thread. It is handed everything it
// needs when it starts (the file name, the format registry, the screen's
// density) and touches no window or screen state: no widget, no QScreen,
// nothing the window thread changes. The process-wide services it may reach
// (the registry, the translation, the paths) are made safely from any
// thread (support/services.h). It hears a progress function that throws
// once the load is cancelled, which the readers take as a failure.
//
// A failure is a failed load with the reader's own message: what the decode
// stored in its error before it failed ("File in use", "Unsupported
// format", ...), else "Out of memory" for a failed allocation and
// "Unexpected error" for anything else that escaped it. The worker never
// ends the process. Destroying the loader cancels the decode and waits for
// the thread.

#include "imaging/load_progress.h"

#include <QImage>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace orvanto {

class TPictureLoader {
public:
    // True with the picture, or false with the reason in error.
    using TDecode = std::function<bool(QImage& picture, std::string& error, const TLoadProgress& progress)>;

    struct TResult {
        bool Loaded = false;
        bool Cancelled = false;
        QImage Picture;
        std::string Error;
    };

    TPictureLoader() = default;
    ~TPictureLoader();
    TPictureLoader(const TPictureLoader&) = delete;
    TPictureLoader& operator=(const TPictureLoader&) = delete;

    // Starts decode in the worker thread; finished, when set, is called in
    // the worker thread once the result is ready (to wake the window
    // thread). A load still running is cancelled and waited for first.
    // False when no thread could be started.
    bool Start(TDecode decode, std::function<void()> finished = {});
    // Asks the running decode to stop at its next progress report.
    void Cancel();
    bool Running() const;
    // The last percent the decode reported, 0..100.
    int Percent() const { return FPercent.load(); }
    // Waits up to timeoutMs (negative: for ever) for the result; true when
    // it is ready.
    bool WaitFor(int timeoutMs);
    // Waits for the result and hands it over; the loader is idle afterwards.
    TResult Take();

private:
    void Run(TDecode decode, std::function<void()> finished);

    std::thread FThread;
    mutable std::mutex FMutex;
    std::condition_variable FDone;
    bool FReady = false;
    TResult FResult;
    std::atomic<bool> FCancel{false};
    std::atomic<int> FPercent{0};
};

} // namespace orvanto

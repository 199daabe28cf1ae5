#pragma once

// Decodes one picture in a thread of its own, so that the window can show a
// quick reduced copy and stay live while the full decode runs.
//
// The decode function runs in the worker thread and must touch nothing the
// window thread uses; it hears a progress function that throws once the
// load is cancelled, which the readers take as a failure. Anything else
// that escapes the decode ends the load as Fatal: the caller ends the
// process, since a failure nobody expected leaves nothing safe to go on
// with. Destroying the loader cancels the decode and waits for the thread.

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
        bool Fatal = false;    // the decode threw: end the process
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

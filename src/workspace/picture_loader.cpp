#include "workspace/picture_loader.h"

#include "support/diagnostics/startup_timeline.h"
#include "support/messages/general.h"

#include <chrono>
#include <system_error>

#include <pthread.h>

namespace orvanto {

namespace {

// Thrown through the reader by the progress function of a cancelled load.
struct ELoadCancelled {};

} // namespace

TPictureLoader::~TPictureLoader()
{
    Cancel();
    if (FThread.joinable())
        FThread.join();
}

bool TPictureLoader::Start(TDecode decode, std::function<void()> finished)
{
    Cancel();
    if (FThread.joinable())
        FThread.join();
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FReady = false;
        FResult = TResult();
    }
    FCancel = false;
    FPercent = 0;
    try {
        FThread = std::thread(&TPictureLoader::Run, this, std::move(decode), std::move(finished));
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void TPictureLoader::Run(TDecode decode, std::function<void()> finished)
{
    // Named for debuggers and for the start-up bench, which watches it end.
    pthread_setname_np(pthread_self(), "orvanto-decode");
    MarkStartup("whole picture decode starts");
    TResult result;
    try {
        const TLoadProgress progress = [this](int percent) {
            if (FCancel.load())
                throw ELoadCancelled();
            FPercent = percent;
        };
        result.Loaded = decode(result.Picture, result.Error, progress);
    } catch (const ELoadCancelled&) {
        result.Loaded = false;
    } catch (...) {
        result.Loaded = false;
        // The message the reader stored before the step that failed names it.
        if (result.Error.empty())
            result.Error = CaughtFailureMessage();
    }
    MarkStartup("whole picture decoded");
    result.Cancelled = FCancel.load();
    if (!result.Loaded)
        result.Picture = QImage();
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FResult = std::move(result);
        FReady = true;
    }
    FDone.notify_all();
    if (finished) {
        try {
            finished();
        } catch (...) {
            // Only the wake-up failed: the result is stored, and the window takes it when it next waits.
        }
    }
}

void TPictureLoader::Cancel()
{
    FCancel = true;
}

bool TPictureLoader::Running() const
{
    std::lock_guard<std::mutex> lock(FMutex);
    return FThread.joinable() && !FReady;
}

bool TPictureLoader::WaitFor(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(FMutex);
    if (!FThread.joinable())
        return true;
    if (timeoutMs < 0)
        FDone.wait(lock, [this] { return FReady; });
    else
        FDone.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return FReady; });
    return FReady;
}

TPictureLoader::TResult TPictureLoader::Take()
{
    if (!FThread.joinable())
        return TResult();
    WaitFor(-1);
    FThread.join();
    std::lock_guard<std::mutex> lock(FMutex);
    TResult result = std::move(FResult);
    FResult = TResult();
    FReady = false;
    return result;
}

} // namespace orvanto

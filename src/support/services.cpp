#include "support/services.h"

#include "platform/platform.h"
#include "support/messages/general.h"
#include "support/files/paths.h"
#include "support/files/z_file.h"

#include <array>
#include <cstdlib>
#include <mutex>

namespace orvanto {

namespace {

// Plain arrays of function pointers: constant-initialised, no destructors,
// so they are valid at any point of start-up and exit.
// The services of this layer, and the temporary-file steps, are known from
// the start; the language service registers itself.
std::array<TServiceAction, 8> Releases{&FreeZFile, &FreePaths, &FreeGeneral, nullptr,
                                       nullptr,    nullptr,    nullptr,      &FreePlatform};
std::array<TServiceAction, 2> ExitSteps{&RunTemporaryFileCleanup, &DeleteLeftoverPicture};

void RunQuietly(TServiceAction action)
{
    if (!action)
        return;
    try {
        action();
    } catch (...) {
        // The process is ending; a failed clean-up must not stop the others.
    }
}

} // namespace

void ArrangeShutdownAtExit()
{
    static std::once_flag once;
    std::call_once(once, [] { std::atexit(&ShutdownServices); });
}

void RegisterServiceRelease(TService service, TServiceAction release)
{
    ArrangeShutdownAtExit();
    Releases[static_cast<std::size_t>(service)] = release;
}

void SetExitStep(TExitStep step, TServiceAction action)
{
    ArrangeShutdownAtExit();
    ExitSteps[static_cast<std::size_t>(step)] = action;
}

void ShutdownServices()
{
    RunQuietly(ExitSteps[static_cast<std::size_t>(TExitStep::StaleTemporaryFiles)]);
    for (const TServiceAction release : Releases) // in TService order
        RunQuietly(release);
    RunQuietly(ExitSteps[static_cast<std::size_t>(TExitStep::LeftoverFiles)]);
}

} // namespace orvanto

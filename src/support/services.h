#pragma once

#include <atomic>
#include <mutex>

namespace orvanto {

// The one pattern for process-wide services. Each has an accessor that makes
// it on first use (ZFile(), Paths(), General(), Language(), ZipHandler(),
// OpenImage(), OpenHandler(), Platform()) and a Free function; all are freed
// together when the process ends, in a fixed order:
//
//   - first the exit step StaleTemporaryFiles (delete stale temporary files);
//   - then free TZFile, TPaths, TGeneral, TLanguage, TZipHandler, TOpenImage,
//     TOpenHandler, in that order, and the platform's services last, since
//     the others may still show a message or ask the screen;
//   - last the exit step LeftoverFiles (delete what is still left over).
//
// The platform (platform/platform.h) keeps its X()/SetX() pairs so that
// tests and the program put in the implementation they want; it is made and
// freed like every other service.
//
// The temporary-file steps and the services of the support layer are set
// from the start; every other service registers its release when its
// TServiceSlot makes it.
//
// ShutdownServices runs the sequence. It is registered with std::atexit the
// first time anything here is used, so it runs however the process ends
// normally (return from main, std::exit). Service slots must therefore be
// plain pointers, not objects with destructors of their own, so that no
// static destructor frees a service out of order before it runs.

enum class TService { ZFile, Paths, General, Language, ZipHandler, OpenImage, OpenHandler, Platform };
enum class TExitStep { StaleTemporaryFiles, LeftoverFiles };

using TServiceAction = void (*)();

// Replaces any earlier registration for the same service or step; null
// removes it.
void RegisterServiceRelease(TService service, TServiceAction release);
void SetExitStep(TExitStep step, TServiceAction action);

// Runs the exit sequence now. Each step runs once per call; a step that
// throws does not stop the ones after it. Accessors called afterwards
// create fresh instances.
void ShutdownServices();

// Makes sure ShutdownServices runs at process exit (idempotent).
void ArrangeShutdownAtExit();

// The lock under which services are made. Recursive: making one service
// may ask for another. Never destroyed, so it outlives the exit sequence.
std::recursive_mutex& ServiceLock();

// The slot of a service: a plain pointer, made by Get on first use (null
// when making it fails), its release registered with the exit sequence.
// Get may be called from any thread (the picture decode worker reaches the
// registry, the translation and the paths): the first call makes the
// service under ServiceLock, and every thread sees it whole. Free is for
// the exit sequence and tests, when no worker runs.
//
//   TZipHandler* ZipHandler() { return TServiceSlot<TZipHandler, TService::ZipHandler>::Get(); }
//   void FreeZipHandler() { TServiceSlot<TZipHandler, TService::ZipHandler>::Free(); }
template <typename T, TService Kind>
class TServiceSlot {
public:
    static T* Get()
    {
        if (T* made = FInstance.load(std::memory_order_acquire))
            return made;
        std::lock_guard<std::recursive_mutex> lock(ServiceLock());
        if (T* made = FInstance.load(std::memory_order_acquire))
            return made;
        T* instance = nullptr;
        try {
            instance = new T;
        } catch (...) {
            return nullptr; // the accessor's documented answer when memory ran out
        }
        FInstance.store(instance, std::memory_order_release);
        RegisterServiceRelease(Kind, &Free);
        return instance;
    }
    static bool Made() { return FInstance.load(std::memory_order_acquire) != nullptr; }
    static void Free() { delete FInstance.exchange(nullptr); }

private:
    // Constant-initialised with no destructor of its own, as the exit
    // sequence needs.
    static inline std::atomic<T*> FInstance{nullptr};
};

} // namespace orvanto

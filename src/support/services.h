#pragma once

namespace orvanto {

// The process-wide services (TZFile, TPaths, TGeneral, TLanguage) are made by
// their accessors on first use and freed together when the process ends, in a
// fixed order:
//
//   1. the exit step StaleTemporaryFiles (delete stale temporary files)
//   2. free TZFile, TPaths, TGeneral, TLanguage, in that order
//   3. the exit step LeftoverFiles (delete what is still left over)
//
// The temporary-file steps and the services of the support layer are set
// from the start; services of higher layers register their part once, e.g.
// in their accessor:
//
//   RegisterServiceRelease(TService::Language, &FreeLanguage);
//
// ShutdownServices runs the sequence. It is registered with std::atexit the
// first time anything here is used, so it runs however the process ends
// normally (return from main, std::exit). Service slots must therefore be
// plain pointers, not objects with destructors of their own, so that no
// static destructor frees a service out of order before it runs.

enum class TService { ZFile, Paths, General, Language };
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

} // namespace orvanto

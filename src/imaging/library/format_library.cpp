#include "imaging/library/format_library.h"

#include <dlfcn.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <sstream>
#include <vector>

namespace orvanto {

namespace {

// The run-time names of Debian 12's libraries, as their -dev packages link
// them; WebP's demuxer (animations, metadata chunks) is a library of its own.
constexpr std::array<const char*, 3> InstalledFiles = {
    "libtiff.so.6",
    "libwebp.so.7 libwebpdemux.so.2",
    "libheif.so.1",
};

struct TLibraryState {
    bool Tried = false;
    std::vector<void*> Handles;
    std::string Files;
};

std::mutex Lock;
std::array<TLibraryState, 3> States;

TLibraryState& State(TFormatLibrary library)
{
    return States[std::size_t(library)];
}

// Opens every file of the list or none: a half-opened WebP is no WebP.
void Open(TLibraryState& state, const std::string& files)
{
    state.Tried = true;
    std::istringstream names(files);
    for (std::string name; names >> name;) {
        void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            // Never closed: functions already looked up keep pointing into it.
            state.Handles.clear();
            return;
        }
        state.Handles.push_back(handle);
    }
}

// With the lock held.
TLibraryState& Opened(TFormatLibrary library)
{
    TLibraryState& state = State(library);
    if (!state.Tried)
        Open(state, state.Files.empty() ? InstalledFiles[std::size_t(library)] : state.Files);
    return state;
}

} // namespace

bool FormatLibraryReady(TFormatLibrary library)
{
    std::lock_guard guard(Lock);
    return !Opened(library).Handles.empty();
}

void* FormatLibrarySymbol(TFormatLibrary library, const char* name)
{
    std::lock_guard guard(Lock);
    for (void* handle : Opened(library).Handles)
        if (void* symbol = dlsym(handle, name))
            return symbol;
    std::fprintf(stderr, "orvanto: symbol lookup error: %s not found\n", name);
    std::abort();
}

void SetFormatLibraryFilesForTesting(TFormatLibrary library, const std::string& files)
{
    std::lock_guard guard(Lock);
    TLibraryState& state = State(library);
    state.Tried = false;
    state.Handles.clear();
    state.Files = files;
}

} // namespace orvanto

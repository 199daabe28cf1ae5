#include "platform/qt/cups_library.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace orvanto {

void* CupsSymbol(const char* name)
{
    // The run-time name Debian 12's libcups2-dev links; opened once, never
    // closed (functions looked up keep pointing into it).
    static void* const library = dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
    if (library)
        if (void* symbol = dlsym(library, name))
            return symbol;
    std::fprintf(stderr, "orvanto: symbol lookup error: %s not found (libcups.so.2)\n", name);
    std::abort();
}

} // namespace orvanto

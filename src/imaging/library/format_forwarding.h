#pragma once

// Defines one function of a format library as a call passed on to the
// library opened by format_library.cpp, looked up once on its first call.
// The parameter list is written out as the library's header declares it;
// the header's own declaration fixes the types, so a mismatch fails to build.

#include "imaging/library/format_library.h"

#define ORVANTO_FORWARD(library, result, name, parameters, arguments)                                        \
    extern "C" result name parameters                                                                       \
    {                                                                                                       \
        static const auto call =                                                                            \
            reinterpret_cast<decltype(&name)>(orvanto::FormatLibrarySymbol(orvanto::TFormatLibrary::library, #name)); \
        return call arguments;                                                                              \
    }

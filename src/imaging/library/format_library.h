#pragma once

// The libraries of the heavier picture formats (TIFF, WebP, HEIF and AVIF),
// opened on first use instead of by the dynamic loader at start-up: with
// what they need in turn they are some thirty libraries, which a run that
// opens no such file (printing a JPEG, listing the formats) would otherwise
// wait for. The readers call these libraries as usual; the functions they
// call are defined in the *_symbols.cpp files beside this one, each passing
// the call on to the library opened here.
//
// A library that cannot be opened leaves its format unreadable: the registry
// asks FormatLibraryReady before it calls a reader and reports "Unsupported
// format" instead.

#include <string>

namespace orvanto {

enum class TFormatLibrary { Tiff, Webp, Heif };

// Opens the library on the first call; false when it cannot be opened (it is
// not installed), then and on every later call.
bool FormatLibraryReady(TFormatLibrary library);

// The address of one of the library's functions, opening the library if
// need be (the readers' own tests and fuzz targets call them directly). A
// library or function that is missing ends the program with the function's
// name on standard error, as the dynamic loader would have at start-up: the
// registry, which asks FormatLibraryReady first, never gets there.
void* FormatLibrarySymbol(TFormatLibrary library, const char* name);

// Tests point a library at other file names (one that does not exist shows
// the refusal); an empty list restores the installed ones.
void SetFormatLibraryFilesForTesting(TFormatLibrary library, const std::string& files);

} // namespace orvanto

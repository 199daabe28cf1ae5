#pragma once

// libcups, opened on first use instead of by the dynamic loader at start-up:
// with what it needs in turn (GnuTLS, Kerberos, Avahi) it is some twenty
// libraries whose loading and set-up every start would otherwise wait for,
// before the window could show a picture. The print code calls libcups as
// usual; the functions it calls are defined in cups_symbols.cpp, each
// passing the call on to the library opened here, from whichever thread
// asks first (normally the printer watcher's).
//
// A print code change that calls a libcups function not yet passed on fails
// to link with an undefined reference: add one FORWARD line for it.

namespace orvanto {

// The address of one of libcups' functions, opening the library on the first
// call. A library or function that is missing ends the program with the
// function's name on standard error, as the dynamic loader would have at
// start-up (the package depends on libcups).
void* CupsSymbol(const char* name);

} // namespace orvanto

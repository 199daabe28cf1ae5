#pragma once

// The default printer as the print system's own tools choose it before they
// ask the server: LPDEST, then PRINTER, then the "Default" line of the
// user's ~/.cups/lpoptions, then that of the system's lpoptions (in
// $CUPS_SERVERROOT, else /etc/cups). `lpoptions -d NAME` writes the user's
// file, or the system's when run as root.
//
// An lpoptions file holds lines "Default name[/instance] option=value ..."
// and "Dest name[/instance] ...". Only the queue counts here: an instance is
// a set of options on the same queue. The files are outside bytes: at most
// MaxLpOptionsBytes of a regular file are read, without waiting on a pipe or
// device, and anything that is not a well-formed line is passed over.

#include <cstddef>
#include <string>
#include <string_view>

namespace orvanto {

constexpr std::size_t MaxLpOptionsBytes = 256 * 1024;

// The queue of the last "Default" line in text; empty when there is none.
std::string DefaultInLpOptions(std::string_view text);

// The default from the environment and both lpoptions files, in that order;
// empty when none names one (the server's default then counts).
std::string DefaultFromEnvironment();

} // namespace orvanto

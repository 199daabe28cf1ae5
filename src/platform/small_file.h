#pragma once

// The small files the program reads beside its settings (lpoptions, the
// last printer's facts) are outside bytes that anyone may replace: with a
// pipe, a device or a file of gigabytes. Only a regular file is read, never
// waiting on it, and no more of it than the caller's limit.

#include <cstddef>
#include <string>
#include <string_view>

namespace orvanto {

// The first maxBytes of the regular file at path; empty when it is missing,
// unreadable or not a regular file.
std::string ReadSmallFile(const std::string& path, std::size_t maxBytes);

// The first line of text, without its '\n', taken off text.
std::string_view TakeLine(std::string_view& text);

} // namespace orvanto

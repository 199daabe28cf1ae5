#pragma once

// Reading the desktop entries the program finds in the menu folders.

#include <cstddef>
#include <string>

namespace orvanto {

// Desktop entries are small; a larger file is not one of ours.
inline constexpr std::size_t EntryReadLimit = 64 * 1024;

// At most the first LIMIT bytes of a file; "" when it cannot be read.
std::string ReadFileStart(const std::string& fileName, std::size_t limit);

// The value of KEY= in an entry's text, "" when it has none.
std::string EntryValue(const std::string& text, const std::string& key);

} // namespace orvanto

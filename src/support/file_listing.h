#pragma once

#include <string>

namespace orvanto {

// The ordinary files matching mask ("folder/*.ZMP"; "*" and "?" as
// wildcards, ASCII case ignored), in the order the file system returns them;
// folders and hidden (dot) files are left out. Each name, prefixed with the
// mask's folder part when withPath is set, ends in CR LF.
std::string ListFiles(const std::string& mask, bool withPath);
// True for an existing ordinary file; false for folders, missing paths, errors.
bool IsFile(const std::string& path);

} // namespace orvanto

#pragma once

#include <QFile>

#include <string>

namespace orvanto {

// The ordinary files matching mask ("folder/*.ZMP"; "*" and "?" as
// wildcards, ASCII case ignored), in the order the file system returns them;
// folders and hidden (dot) files are left out. Each name, prefixed with the
// mask's folder part when withPath is set, ends in CR LF.
std::string ListFiles(const std::string& mask, bool withPath);
// True for an existing ordinary file; false for folders, missing paths, errors.
bool IsFile(const std::string& path);
// Opens file for reading by path's bytes as the system takes them. Names
// that are not valid UTF-8 (the system allows any bytes) would not survive
// a detour through QString. False when the file cannot be opened.
bool OpenReadOnly(QFile& file, const std::string& path);

} // namespace orvanto

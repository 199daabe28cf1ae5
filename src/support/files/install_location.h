#pragma once

// Where the program's read-only data lives, found from the program file
// itself so that any installation prefix works, and so does the build
// folder:
//   PREFIX/bin/orvanto      -> PREFIX/share/orvanto/
//   BUILD/bin/orvanto       -> BUILD/ (the folder holding CMakeCache.txt)
// Both hold languages/NAME.llf. Folder names end with "/"; an empty text
// means the program runs from neither (a copy elsewhere).

#include <string>

namespace orvanto {

// The running program's file, from /proc/self/exe; empty when unknown.
std::string ProgramExecutable();

// The data folder that belongs to this program file.
std::string DataFolderFor(const std::string& executable);

// DataFolderFor(ProgramExecutable()).
std::string ProgramDataFolder();

} // namespace orvanto

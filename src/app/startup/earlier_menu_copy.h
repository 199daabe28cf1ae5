#pragma once

#include <string>

namespace orvanto {

// Earlier versions copied the program into the menu area's "Fennick"
// folder (FOLDER, ending in "/") as "Orvanto.EXE", with an entry and an
// icon beside it. Only those files go, and only when they are ours: the
// copy a program file of this user, the entry one that starts that copy,
// the icon the one it names. The folder and its parent go when that
// empties them. False when a file of ours could not be removed.
bool RemoveEarlierMenuCopy(const std::string& folder);

} // namespace orvanto

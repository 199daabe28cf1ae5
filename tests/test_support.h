#pragma once

#include <string>

namespace orvanto {

// The private data area this test process runs in (its XDG_DATA_HOME).
std::string TestDataHome();

// A fresh empty folder under the test's temporary area, ending in "/".
std::string MakeTempFolder(const std::string& name);

// Whole-file helpers for fixtures.
std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& bytes);

// A file of tests/data.
std::string TestDataPath(const std::string& relative);

} // namespace orvanto

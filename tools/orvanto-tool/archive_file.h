#pragma once

#include <string>

namespace orvanto {

// Whole-file reading and writing for the archive and carrier commands. On
// failure the result is false and error says why, naming the file.
bool ReadToolFile(const std::string& fileName, std::string& bytes, std::string& error);
bool WriteToolFile(const std::string& fileName, const std::string& bytes, std::string& error);

} // namespace orvanto

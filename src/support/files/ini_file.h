#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace orvanto {

// A settings file is a few kilobytes; a larger one than this is not ours
// and reads as empty.
inline constexpr std::int64_t MaxIniBytes = 16 * 1024 * 1024;

// A settings file in the standard INI form:
//   [Section]
//   Name=Value
// Reading is forgiving (blank lines, ";" and "#" comments, spaces around
// names and values, CR LF line ends). Writing keeps every other section and
// line as it was, and replaces the file atomically, so a crash never leaves
// half a file behind.
class TIniFile {
public:
    using TPairs = std::vector<std::pair<std::string, std::string>>;

    explicit TIniFile(std::string fileName);

    const std::string& FileName() const { return FFileName; }

    // The name=value pairs of a section in file order; empty when the file
    // or the section is missing. Section and key names compare ignoring the
    // case of a..z.
    TPairs ReadSection(const std::string& section) const;
    // One value, or fallback when the key is missing.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback) const;

    // Sets the keys in the section, creating file, folder and section as
    // needed and replacing existing values in place. False when the file
    // cannot be written; LastError then says why.
    bool WriteStrings(const std::string& section, const TPairs& values);
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);

    const std::string& LastError() const { return FLastError; }

private:
    std::string FFileName;
    std::string FLastError;
};

} // namespace orvanto

#include "app/startup/entry_file.h"

#include <algorithm>
#include <fstream>

namespace orvanto {

std::string ReadFileStart(const std::string& fileName, std::size_t limit)
{
    std::ifstream file(fileName, std::ios::binary);
    std::string bytes(limit, '\0');
    file.read(bytes.data(), std::streamsize(limit));
    bytes.resize(file ? limit : std::size_t(std::max<std::streamsize>(file.gcount(), 0)));
    return bytes;
}

std::string EntryValue(const std::string& text, const std::string& key)
{
    const std::string line = "\n" + key + "=";
    const std::size_t at = text.find(line);
    if (at == std::string::npos)
        return {};
    const std::size_t from = at + line.size();
    return text.substr(from, text.find('\n', from) - from);
}

} // namespace orvanto

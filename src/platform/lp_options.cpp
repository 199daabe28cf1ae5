#include "platform/lp_options.h"

#include "platform/small_file.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace orvanto {

namespace {

bool Blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

bool KeywordIs(std::string_view word, std::string_view keyword)
{
    if (word.size() != keyword.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        char c = word[i];
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        if (c != keyword[i])
            return false;
    }
    return true;
}

// A queue name has no blanks, controls, slashes or '#'; anything else in
// it is a line we do not understand.
bool GoodQueue(std::string_view name)
{
    if (name.empty() || name.size() > 127)
        return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x21 || c == 0x7f || c == '/' || c == '#')
            return false;
    return true;
}

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return {};
}

} // namespace

std::string DefaultInLpOptions(std::string_view text)
{
    std::string found;
    while (!text.empty()) {
        const std::string_view line = TakeLine(text);
        std::size_t at = 0;
        while (at < line.size() && Blank(line[at]))
            ++at;
        std::size_t word = at;
        while (word < line.size() && !Blank(line[word]))
            ++word;
        if (!KeywordIs(line.substr(at, word - at), "default"))
            continue;
        while (word < line.size() && Blank(line[word]))
            ++word;
        std::size_t name = word;
        while (name < line.size() && !Blank(line[name]) && line[name] != '/')
            ++name;
        const std::string_view queue = line.substr(word, name - word);
        if (GoodQueue(queue))
            found.assign(queue);
    }
    return found;
}

std::string DefaultFromEnvironment()
{
    // "lp" is the name old scripts give the system's default; it means the
    // default, not a queue of that name. "name/instance" names the queue.
    for (const char* variable : {"LPDEST", "PRINTER"})
        if (const char* value = std::getenv(variable); value && *value && std::strcmp(value, "lp")) {
            const std::string_view name(value);
            return std::string(name.substr(0, name.find('/')));
        }
    const std::string home = HomeFolder();
    if (!home.empty())
        if (std::string user = DefaultInLpOptions(ReadSmallFile(home + "/.cups/lpoptions", MaxLpOptionsBytes));
            !user.empty())
            return user;
    const char* root = std::getenv("CUPS_SERVERROOT");
    const std::string serverRoot = root && *root ? root : "/etc/cups";
    return DefaultInLpOptions(ReadSmallFile(serverRoot + "/lpoptions", MaxLpOptionsBytes));
}

} // namespace orvanto

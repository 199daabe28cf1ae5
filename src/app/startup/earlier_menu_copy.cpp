#include "app/startup/earlier_menu_copy.h"

#include "app/startup/entry_file.h"
#include "support/messages/program_name.h"

#include <sys/stat.h>
#include <unistd.h>

namespace orvanto {

bool RemoveEarlierMenuCopy(const std::string& folder)
{
    const std::string copy = folder + ProgramName + ".EXE";
    const std::string entry = folder + "orvanto.desktop";
    const std::string entryText = ReadFileStart(entry, EntryReadLimit);
    bool ok = true;
    struct stat info {};
    if (::lstat(copy.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::getuid()
        && ReadFileStart(copy, 4) == "\x7f" "ELF")
        ok = ::unlink(copy.c_str()) == 0;
    if (!entryText.empty() && EntryValue(entryText, "TryExec") == copy) {
        const std::string icon = EntryValue(entryText, "Icon");
        if (icon == folder + "orvanto.png")
            ::unlink(icon.c_str());
        ok = ::unlink(entry.c_str()) == 0 && ok;
    }
    // Removes the folders only when nothing else is left in them.
    if (::rmdir(folder.c_str()) == 0)
        ::rmdir(folder.substr(0, folder.rfind('/', folder.size() - 2) + 1).c_str());
    return ok;
}

} // namespace orvanto

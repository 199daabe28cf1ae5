// Build-time helper, not installed: writes the installed desktop entry and
// fills the AppStream template's media types, from the same code that
// writes the user's entry at start-up, so the two never drift apart.
//
//   orvanto-desktop-files DESKTOP-OUT METAINFO-IN METAINFO-OUT LANGUAGE-FOLDER
#include "app/startup/menu_entry.h"
#include "imaging/format_mime_types.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

using namespace orvanto;

namespace {

bool WriteFile(const std::string& name, const std::string& text)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << text;
    return bool(out.flush());
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s DESKTOP-OUT METAINFO-IN METAINFO-OUT LANGUAGE-FOLDER\n", argv[0]);
        return 2;
    }
    const std::string entry = DesktopEntryText("orvanto", DesktopId, EntryTranslations(argv[4]));
    std::ifstream in(argv[2], std::ios::binary);
    std::string metainfo((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string types;
    for (const std::string& type : AllFormatMimeTypes())
        types += "    <mediatype>" + type + "</mediatype>\n";
    const std::string mark = "    <!-- the media types of every registered format -->\n";
    const std::size_t at = metainfo.find(mark);
    if (!in || at == std::string::npos) {
        std::fprintf(stderr, "%s: no media types line\n", argv[2]);
        return 1;
    }
    metainfo.replace(at, mark.size(), types);
    if (!WriteFile(argv[1], entry) || !WriteFile(argv[3], metainfo)) {
        std::fprintf(stderr, "cannot write %s or %s\n", argv[1], argv[3]);
        return 1;
    }
    return 0;
}

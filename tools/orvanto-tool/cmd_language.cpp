// language compile | dump | translate: makes and checks the language files
// that the program reads.
#include "command_registry.h"

#include "localisation/language.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace orvanto {

namespace {

const char* const Usage =
    "Usage: orvanto-tool language compile SOURCE OUT.llf [--name NAME]\n"
    "       orvanto-tool language dump FILE.llf\n"
    "       orvanto-tool language translate FILE.llf TEXT...";

// The language name travels in the source as this comment line, so that
// dump and compile round-trip.
const std::string NameLine = "# name: ";

bool ReadText(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return !in.bad();
}

int Compile(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 2 && !(arguments.size() == 4 && arguments[2] == "--name"))
        return Fail(Usage);
    std::string source;
    if (!ReadText(arguments[0], source))
        return Fail("File not found");

    TLanguage language(TLanguage::TStart::Empty);
    std::string name;
    std::istringstream lines(source);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind(NameLine, 0) == 0) {
            name = line.substr(NameLine.size());
            continue;
        }
        if (line.empty() || line[0] == '#')
            continue;
        const auto tab = line.find('\t');
        if (tab == std::string::npos)
            return Fail(arguments[0] + ":" + std::to_string(number)
                        + ": no TAB between the English text and its translation");
        const std::string english = TLanguage::LookupForm(line.substr(0, tab));
        if (english.empty())
            return Fail(arguments[0] + ":" + std::to_string(number) + ": empty English text");
        // Texts that differ only in case may be translated apart ("Copy",
        // "copy"): the program prefers the entry in the text's own case.
        bool taken = false;
        for (std::size_t i = 0; i < language.EntryCount() && !taken; ++i)
            taken = language.Entry(i).English == english;
        if (taken)
            return Fail(arguments[0] + ":" + std::to_string(number) + ": \"" + english
                        + "\" has a translation already");
        if (!language.AddEntry(english, line.substr(tab + 1)))
            return Fail(arguments[0] + ":" + std::to_string(number) + ": more than "
                        + std::to_string(TLanguage::MaxEntries) + " entries");
    }
    if (arguments.size() == 4)
        name = arguments[3];
    if (!name.empty())
        language.SetName(name);

    std::ofstream out(arguments[1], std::ios::binary | std::ios::trunc);
    const std::string bytes = language.SaveToBytes();
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        return Fail("Out of disk space");
    return 0;
}

bool Load(const std::string& path, TLanguage& language)
{
    return language.LoadFromFile(path, 0);
}

int Dump(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 1)
        return Fail(Usage);
    TLanguage language(TLanguage::TStart::Empty);
    if (!Load(arguments[0], language))
        return Fail(language.LastError());
    std::string out = NameLine + language.Name() + "\n";
    for (std::size_t i = 0; i < language.EntryCount(); ++i)
        out += language.Entry(i).English + "\t" + language.Entry(i).Translated + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

int TranslateTexts(const std::vector<std::string>& arguments)
{
    if (arguments.size() < 2)
        return Fail(Usage);
    TLanguage language(TLanguage::TStart::Empty);
    if (!Load(arguments[0], language))
        return Fail(language.LastError());
    for (std::size_t i = 1; i < arguments.size(); ++i)
        std::printf("%s\n", language.TranslateText(arguments[i]).c_str());
    return 0;
}

int RunLanguage(const std::vector<std::string>& arguments)
{
    if (arguments.empty())
        return Fail(Usage);
    const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    if (arguments[0] == "compile")
        return Compile(rest);
    if (arguments[0] == "dump")
        return Dump(rest);
    if (arguments[0] == "translate")
        return TranslateTexts(rest);
    return Fail(Usage);
}

TRegisterCommand registration{{"language", "language compile|dump|translate ...",
                               "makes a language file from text, prints one, or translates with it",
                               &RunLanguage, false}};

} // namespace

} // namespace orvanto

// The shipped German language file: it is what the program uses when
// installed, and it holds every English text the program translates.
#include "localisation/language.h"
#include "platform/platform.h"
#include "platform/recording_message_box.h"
#include "support/messages/general.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <set>

using namespace orvanto;

namespace {

const std::string GermanFile = std::string(ORVANTO_BINARY_DIR) + "/languages/de.llf";

TEST(German, InstalledFileTranslatesTheProgram)
{
    const std::string installed = TLanguage::LanguageFileName();
    std::remove(installed.c_str());
    FreeLanguage();
    EXPECT_EQ(Translate("&Help"), "&Help") << "a fresh data area is English";

    const std::string bytes = ReadWholeFile(GermanFile);
    ASSERT_FALSE(bytes.empty()) << GermanFile << " was not built";
    ASSERT_TRUE(WriteWholeFile(installed, bytes));
    FreeLanguage();

    const struct {
        const char* English;
        const char* German;
    } cases[] = {
        {"&Help", "&Hilfe"},
        {"&Open...", "Ö&ffnen..."},                 // the German file's own mnemonics
        {"E&xit", "&Beenden"},
        {"Rotate &Right", "Rechts &drehen"},
        {"Auto Close", "Automatisch schließen"},     // no mnemonic outside a menu
        {"&Copy", "&Kopieren"},                      // the command and the count apart
        {"copy", "Kopie"},
        {"Unknown format.", "Unbekanntes Format."},
        {"Fit to Page", "An Seite anpassen"},
        {"Landscape", "Querformat"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Translate(c.English), c.German) << c.English;
    ASSERT_NE(Language(), nullptr);
    EXPECT_EQ(Language()->Name(), "Deutsch");

    auto box = std::make_unique<TRecordingMessageBox>();
    TRecordingMessageBox* shown = box.get();
    auto previous = Platform().SetMessageBox(std::move(box));
    ShowError("File not found");
    const auto recorded = Platform().SetMessageBox(std::move(previous));
    ASSERT_EQ(shown->Shown.size(), 1u);
    EXPECT_EQ(shown->Shown[0].Text, "Datei nicht gefunden");
    EXPECT_EQ(shown->Shown[0].Caption, "Fehler");

    std::remove(installed.c_str());
    FreeLanguage();
}

// The C++ string literal that starts at text[at] (after the opening quote),
// with adjacent literals joined and the simple escapes undone.
std::string ReadLiteral(const std::string& text, std::size_t at)
{
    std::string out;
    for (;;) {
        while (at < text.size() && text[at] != '"') {
            if (text[at] == '\\' && at + 1 < text.size()) {
                const char c = text[++at];
                out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
            } else {
                out += text[at];
            }
            ++at;
        }
        std::size_t next = at + 1;
        while (next < text.size() && std::isspace(static_cast<unsigned char>(text[next])))
            ++next;
        if (next >= text.size() || text[next] != '"')
            return out;
        at = next + 1;
    }
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!line.empty())
                lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

// Every English text written in the sources as an argument of Translate,
// ShowError or EnglishText, assigned to a LastError, or named in a layer's
// message table (*messages.h), must have a German entry, line by line as
// Translate looks it up.
TEST(German, EveryTranslatedTextOfTheSourcesHasAnEntry)
{
    TLanguage german(TLanguage::TStart::Empty);
    ASSERT_TRUE(german.LoadFromFile(GermanFile, 0)) << german.LastError();

    const std::regex use(R"((\bTranslate|\bShowError|\bEnglishText|\bTranslateForDisplay)\s*\(\s*"|\b(F?LastError|ErrorText)\s*=\s*")");
    const std::regex named(R"(\bconstexpr char \w+\[\]\s*=\s*")");
    std::set<std::string> missing;
    std::size_t checked = 0;
    const std::filesystem::path sources = std::filesystem::path(ORVANTO_SOURCE_DIR) / "src";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(sources)) {
        const auto extension = entry.path().extension();
        if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h"))
            continue;
        const std::string text = ReadWholeFile(entry.path().string());
        const bool messageTable = entry.path().filename().string().ends_with("messages.h");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), messageTable ? named : use);
             it != std::sregex_iterator(); ++it) {
            const std::size_t start = static_cast<std::size_t>(it->position() + it->length());
            for (const std::string& line : Lines(ReadLiteral(text, start))) {
                const std::string form = TLanguage::LookupForm(line);
                if (form.empty() || form.find_first_not_of(" ,.") == std::string::npos)
                    continue; // nothing a translation could change
                ++checked;
                if (german.IndexOfText(form) < 0)
                    missing.insert("\"" + form + "\" (" + entry.path().filename().string() + ")");
            }
        }
    }
    EXPECT_GT(checked, 5u) << "the scan found the texts of the sources";
    std::string list;
    for (const auto& text : missing)
        list += "\n  " + text;
    EXPECT_TRUE(missing.empty()) << "English texts without a German entry in assets/languages/de.txt:" << list;
}

} // namespace

#include "localisation/language.h"
#include "localisation/language_keys.h"
#include "localisation/qt/translate_menu.h"
#include "platform/platform.h"
#include "platform/recording_message_box.h"
#include "support/records/component_record.h"
#include "support/text/concealment.h"
#include "support/messages/general.h"
#include "tests/test_support.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace orvanto;

namespace {

TLanguage SampleTable()
{
    TLanguage language(TLanguage::TStart::Empty);
    language.SetName("Deutsch");
    language.AddEntry("Open", "Öffnen");
    language.AddEntry("Help", "Hilfe");
    language.AddEntry("save", "Speichern"); // stored in lower case
    language.AddEntry("Größe", "Size");
    language.AddEntry("...", "(Punkte)");
    language.AddEntry("Print", "Drucken");
    language.AddEntry("Exit", "&Beenden");   // the translation's own accelerator
    language.AddEntry("Copy", "Kopieren");
    language.AddEntry("copy", "Kopie");      // differs from "Copy" only in case
    return language;
}

TEST(Language, TranslateText)
{
    const TLanguage table = SampleTable();
    const TLanguage empty(TLanguage::TStart::Empty);
    const struct {
        const char* Text;
        const char* WithTable;
        const char* WithoutTable;
        bool AllFound;
    } cases[] = {
        {"&Help", "&Hilfe", "&Help", true},
        {"&Open...", "Öffnen...", "&Open...", true}, // no o in the translation: no marker
        {"Open", "Öffnen", "Open", true},
        {"Open ...", "Öffnen ...", "Open ...", true}, // the blank stays before the points
        {"Print, ", "Drucken, ", "Print, ", true},
        {"SAVE", "Speichern", "SAVE", true},          // ASCII case is ignored
        {"&sAvE", "&Speichern", "&sAvE", true},
        {"s&AvE", "Speichern", "s&AvE", true},         // no a in the translation: no marker
        {"Größe", "Size", "Größe", true},
        {"GRÖßE", "GRÖßE", "GRÖßE", false},           // letters beyond a..z match exactly
        {"...", "(Punkte)", "...", true},              // only points: looked up whole
        {"Rotate &Right", "&Rotate Right", "&Rotate Right", false},
        {"Fish && Chips", "Fish & Chips", "Fish & Chips", false},
        {"Print&", "Drucken", "Print", true},          // a marker at the end marks nothing
        {"&Xylophone", "&Xylophone", "&Xylophone", false},
        {"Open\r\nHelp", "Öffnen\r\nHilfe", "Open\r\nHelp", true},
        {"Open\nHelp\r\n", "Öffnen\r\nHilfe", "Open\r\nHelp", true}, // no empty last line
        {"Open\rUnknown", "Öffnen\r\nUnknown", "Open\r\nUnknown", false},
        {"Open\n\nHelp", "Öffnen\r\n\r\nHilfe", "Open\r\n\r\nHelp", false},
        {"", "", "", true},
        {"E&xit", "&Beenden", "E&xit", true},          // the translation's marker wins
        {"Exit", "Beenden", "Exit", true},              // outside a menu it goes
        {"&Copy", "Kopieren", "&Copy", true},             // no c in the translation: no marker
        {"copy", "Kopie", "copy", true},                // an entry in the same case wins
        {"COPY", "Kopieren", "COPY", true},             // else the first in any case
    };
    for (const auto& c : cases) {
        bool allFound = false;
        EXPECT_EQ(table.TranslateText(c.Text, &allFound), c.WithTable) << c.Text;
        EXPECT_EQ(allFound, c.AllFound) << c.Text;
        EXPECT_EQ(empty.TranslateText(c.Text), c.WithoutTable) << c.Text;
    }
}

TEST(Language, IndexOfTextAndLookupForm)
{
    const TLanguage table = SampleTable();
    EXPECT_EQ(table.IndexOfText("open"), 0);
    EXPECT_EQ(table.IndexOfText("SAVE"), 2);
    EXPECT_EQ(table.IndexOfText(""), -1);
    EXPECT_EQ(table.IndexOfText("Open."), -1); // lookups get the stem, not the raw text
    const struct {
        const char* Text;
        const char* Form;
    } forms[] = {{"&Open...", "Open"}, {"Page &Setup, ", "Page Setup"}, {"...", "..."},
                 {"Fish && Chips", "Fish & Chips"}, {" . ,", " . ,"}, {"E&xit", "Exit"}};
    for (const auto& f : forms)
        EXPECT_EQ(TLanguage::LookupForm(f.Text), f.Form) << f.Text;
}

std::string Scrambled(const std::string& text, const std::string& key)
{
    return Scramble(text, key, 0);
}

std::string EntryRecord(const std::string& english, const std::string& translated,
                        const std::string& keyX, const std::string& keyY)
{
    static const TRecordType type{"TLI", {{"X", TPropertyKind::Text}, {"Y", TPropertyKind::Text}}};
    return WriteRecord(type, {Scrambled(english, keyX), Scrambled(translated, keyY)});
}

// A language record with its properties in the given order.
std::string LanguageRecord(const std::vector<std::pair<std::string, std::string>>& properties)
{
    TRecordType type{"TLanguage", {}};
    std::vector<TPropertyValue> values;
    for (const auto& [name, value] : properties) {
        type.Properties.push_back({name, TPropertyKind::Text});
        values.emplace_back(value);
    }
    return WriteRecord(type, values);
}

TEST(Language, SavedTableReadsBack)
{
    const TLanguage table = SampleTable();
    const std::string bytes = table.SaveToBytes();
    ASSERT_EQ(bytes.substr(0, 15), std::string("TPF0\x09TLanguage\0", 15));
    EXPECT_EQ(bytes.substr(15, 12), std::string("\x02pC\x06\x07" "Deutsch"));
    TLanguage read(TLanguage::TStart::Empty);
    ASSERT_TRUE(read.LoadFromBytes(bytes)) << read.LastError();
    EXPECT_EQ(read.Name(), "Deutsch");
    ASSERT_EQ(read.EntryCount(), table.EntryCount());
    for (std::size_t i = 0; i < table.EntryCount(); ++i) {
        EXPECT_EQ(read.Entry(i).English, table.Entry(i).English);
        EXPECT_EQ(read.Entry(i).Translated, table.Entry(i).Translated);
    }
    EXPECT_EQ(read.TranslateText("&Help"), "&Hilfe");
}

TEST(Language, EntryKeysComeFromTheFileOnlyWhenReadBeforeTheEntries)
{
    const std::string keyX = "another entry key for the English texts";
    const std::string keyY = "another entry key for the translations";
    const std::string pA = Scramble(keyX, LanguageKeys::FixedA, 1);
    const std::string pB = Scramble(keyY, LanguageKeys::FixedB, 1);
    const std::string ownKeys = EntryRecord("Help", "Hilfe", keyX, keyY);
    const std::string defaultKeys =
        EntryRecord("Help", "Hilfe", LanguageKeys::DefaultX, LanguageKeys::DefaultY);
    const std::string pD = Scramble("carried", keyX, 1);

    TLanguage language(TLanguage::TStart::Empty);
    ASSERT_TRUE(language.LoadFromBytes(
        LanguageRecord({{"pC", "Deutsch"}, {"pP", "p"}, {"pA", pA}, {"pB", pB}, {"pD", pD}, {"pI", ownKeys}})));
    EXPECT_EQ(language.TranslateText("Help"), "Hilfe");
    EXPECT_EQ(language.CarriedConcealedText(), "carried");
    EXPECT_EQ(language.CarriedPlainText(), "p");

    // pI before pA and pB: the entries were written with the default keys.
    ASSERT_TRUE(language.LoadFromBytes(
        LanguageRecord({{"pC", "Deutsch"}, {"pI", defaultKeys}, {"pA", pA}, {"pB", pB}})));
    EXPECT_EQ(language.TranslateText("Help"), "Hilfe");
}

TEST(Language, DamagedFilesLeaveEnglish)
{
    const std::string good = SampleTable().SaveToBytes();
    std::string badSignature = good;
    badSignature[0] = 'X';
    const std::string unknownProperty = LanguageRecord({{"pC", "Deutsch"}, {"pZ", "?"}});
    const std::string damaged[] = {"", good.substr(0, good.size() - 1), good.substr(0, 20),
                                   badSignature, unknownProperty};
    for (const auto& bytes : damaged) {
        TLanguage language(TLanguage::TStart::Empty);
        EXPECT_FALSE(language.LoadFromBytes(bytes));
        EXPECT_EQ(language.LastError(), "Unsupported format");
        EXPECT_EQ(language.Name(), "English");
        EXPECT_EQ(language.EntryCount(), 0u);
        EXPECT_EQ(language.TranslateText("&Help"), "&Help");
    }
}

TEST(Language, EntryListKeepsWhatPrecedesDamageAndAtMost4000)
{
    std::string list;
    for (int i = 0; i < 4500; ++i)
        list += EntryRecord("Text " + std::to_string(i), "Wort " + std::to_string(i),
                            LanguageKeys::DefaultX, LanguageKeys::DefaultY);
    TLanguage language(TLanguage::TStart::Empty);
    ASSERT_TRUE(language.LoadFromBytes(LanguageRecord({{"pC", "Viel"}, {"pI", list}})));
    EXPECT_EQ(language.EntryCount(), 4000u);
    EXPECT_EQ(language.TranslateText("Text 3999"), "Wort 3999");
    EXPECT_EQ(language.TranslateText("Text 4000"), "Text 4000");

    // A damaged list is the end of the list, not a damaged file.
    const std::string two = EntryRecord("One", "Eins", LanguageKeys::DefaultX, LanguageKeys::DefaultY)
        + EntryRecord("Two", "Zwei", LanguageKeys::DefaultX, LanguageKeys::DefaultY);
    ASSERT_TRUE(language.LoadFromBytes(LanguageRecord({{"pI", two.substr(0, two.size() - 3)}})));
    EXPECT_EQ(language.EntryCount(), 1u);
    EXPECT_EQ(language.TranslateText("One"), "Eins");

    // An entry without a translation has an empty one, not its neighbour's.
    static const TRecordType onlyX{"TLI", {{"X", TPropertyKind::Text}}};
    const std::string withGap = EntryRecord("One", "Eins", LanguageKeys::DefaultX, LanguageKeys::DefaultY)
        + WriteRecord(onlyX, {Scrambled("Two", LanguageKeys::DefaultX)});
    ASSERT_TRUE(language.LoadFromBytes(LanguageRecord({{"pI", withGap}})));
    ASSERT_EQ(language.EntryCount(), 2u);
    EXPECT_EQ(language.Entry(1).Translated, "");
}

// Installs a language file in this process's settings folder for one test and
// makes the process-wide instance read it afresh.
class InstalledLanguage : public ::testing::Test {
protected:
    void Install(const std::string& bytes)
    {
        ASSERT_TRUE(WriteWholeFile(TLanguage::LanguageFileName(), bytes));
        FreeLanguage();
    }
    void TearDown() override
    {
        std::remove(TLanguage::LanguageFileName().c_str());
        FreeLanguage();
    }
};

TEST_F(InstalledLanguage, LoadFromFileReportsMissingAndInUseFiles)
{
    TLanguage language(TLanguage::TStart::Empty);
    EXPECT_FALSE(language.LoadFromFile(MakeTempFolder("none") + "language.llf", 0));
    EXPECT_EQ(language.LastError(), "File not found");

    const std::string bytes = SampleTable().SaveToBytes();
    Install("junk" + bytes);
    EXPECT_TRUE(language.LoadFromFile(TLanguage::LanguageFileName(), 4)) << "read from the offset";
    EXPECT_EQ(language.TranslateText("Help"), "Hilfe");
    EXPECT_FALSE(language.LoadFromFile(TLanguage::LanguageFileName(), -3)) << "negative offset is 0";
    EXPECT_EQ(language.LastError(), "Unsupported format");

    Install(bytes);
    const int holder = ::open(TLanguage::LanguageFileName().c_str(), O_RDONLY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    int waits = 0;
    language.WaitBeforeRetry = [&] { ++waits; };
    EXPECT_FALSE(language.LoadLanguageFile());
    EXPECT_EQ(language.LastError(), "File in use");
    EXPECT_EQ(waits, 9) << "10 attempts";
    EXPECT_EQ(language.TranslateText("Help"), "Help");

    // Released while the attempts go on: the file is read.
    waits = 0;
    language.WaitBeforeRetry = [&] {
        if (++waits == 3)
            ::flock(holder, LOCK_UN);
    };
    EXPECT_TRUE(language.LoadLanguageFile());
    EXPECT_EQ(waits, 3);
    EXPECT_EQ(language.TranslateText("Help"), "Hilfe");
    ::close(holder);
}

TEST_F(InstalledLanguage, TranslateAndShowErrorUseTheInstalledFile)
{
    TLanguage german = SampleTable();
    german.AddEntry("Error", "Fehler");
    german.AddEntry("Out of memory", "Nicht genug Speicher");
    Install(german.SaveToBytes());

    EXPECT_EQ(Translate("&Help"), "&Hilfe");
    EXPECT_EQ(Translate("&Open..."), "Öffnen...");

    auto box = std::make_unique<TRecordingMessageBox>();
    TRecordingMessageBox* shown = box.get();
    auto previous = Platform().SetMessageBox(std::move(box));
    ShowError("Out of memory");
    ShowError("Nothing known");
    const auto recorded = Platform().SetMessageBox(std::move(previous));
    ASSERT_EQ(shown->Shown.size(), 2u);
    EXPECT_EQ(shown->Shown[0].Text, "Nicht genug Speicher");
    EXPECT_EQ(shown->Shown[0].Caption, "Fehler");
    EXPECT_EQ(shown->Shown[1].Text, "Nothing known");

    // The table is read once: a file installed later counts from the next start.
    std::remove(TLanguage::LanguageFileName().c_str());
    EXPECT_EQ(Translate("Help"), "Hilfe");
    FreeLanguage();
    EXPECT_EQ(Translate("Help"), "Help");
}

TEST_F(InstalledLanguage, DamagedFileLeavesTheProgramInEnglish)
{
    Install("TPF0 not really a language file");
    EXPECT_EQ(Translate("&Help"), "&Help");
    ASSERT_NE(Language(), nullptr);
    EXPECT_EQ(Language()->LastError(), "Unsupported format");
}

TEST_F(InstalledLanguage, TranslateMenuSweepsTheWholeTree)
{
    TLanguage german = SampleTable();
    german.AddEntry("File", "Datei");
    german.AddEntry("Rotate", "Drehen");
    german.AddEntry("-", "Strich");
    Install(german.SaveToBytes());

    QMenuBar bar;
    QMenu* file = bar.addMenu(QStringLiteral("&File"));
    QAction* open = file->addAction(QStringLiteral("&Open..."));
    QAction* separator = file->addSeparator();
    QAction* dash = file->addAction(QStringLiteral("-"));
    QMenu* rotate = file->addMenu(QStringLiteral("&Rotate"));
    QAction* right = rotate->addAction(QStringLiteral("Rotate &Right"));
    QAction* help = bar.addAction(QStringLiteral("&Help"));

    TranslateMenu(&bar);
    EXPECT_EQ(file->title().toStdString(), "Datei"); // no f in "Datei": no marker
    EXPECT_EQ(open->text().toStdString(), "Öffnen...");
    EXPECT_EQ(separator->text().toStdString(), "");
    EXPECT_EQ(dash->text().toStdString(), "-");
    EXPECT_EQ(rotate->title().toStdString(), "D&rehen");
    EXPECT_EQ(right->text().toStdString(), "&Rotate Right");
    EXPECT_EQ(help->text().toStdString(), "&Hilfe");

    TranslateMenu(static_cast<QMenuBar*>(nullptr));
    TranslateMenu(static_cast<QAction*>(nullptr));
}

} // namespace

namespace {

// Without a language file in the settings folder the desktop's language
// picks an installed one (here the build folder's); a file there still wins.
TEST(Language, DesktopLanguageWhenTheSettingsHoldNone)
{
    const struct {
        const char* LcAll;
        const char* LcMessages;
        const char* Lang;
        bool UserFile;
        const char* Help;
    } cases[] = {
        {nullptr, nullptr, "de_DE.UTF-8", false, "&Hilfe"},
        {nullptr, "de_AT.UTF-8", "en_GB.UTF-8", false, "&Hilfe"},
        {"C.UTF-8", "de_DE.UTF-8", "de_DE.UTF-8", false, "&Help"},
        {"", "", "de", false, "&Hilfe"},
        {nullptr, nullptr, "fr_FR.UTF-8", false, "&Help"},
        {nullptr, nullptr, nullptr, false, "&Help"},
        {nullptr, nullptr, "de_DE.UTF-8", true, "Aide"},
    };
    const std::string userFile = TLanguage::LanguageFileName();
    TLanguage french(TLanguage::TStart::Empty);
    french.AddEntry("Help", "Aide");
    const auto set = [](const char* name, const char* value) {
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    };
    for (const auto& c : cases) {
        std::remove(userFile.c_str());
        if (c.UserFile) {
            ASSERT_TRUE(WriteWholeFile(userFile, french.SaveToBytes()));
        }
        set("LC_ALL", c.LcAll);
        set("LC_MESSAGES", c.LcMessages);
        set("LANG", c.Lang);
        FreeLanguage();
        EXPECT_EQ(Translate("&Help"), c.Help) << (c.LcAll ? c.LcAll : "-") << " "
                                              << (c.LcMessages ? c.LcMessages : "-") << " " << (c.Lang ? c.Lang : "-");
    }
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_MESSAGES");
    ::setenv("LANG", "C.UTF-8", 1);
    std::remove(userFile.c_str());
    FreeLanguage();

    const struct {
        const char* Locale;
        std::vector<std::string> Names;
    } names[] = {
        {"de_DE.UTF-8@euro", {"de_DE", "de"}},
        {"pt_BR", {"pt_BR", "pt"}},
        {"de", {"de"}},
        {"C.UTF-8", {}},
        {"POSIX", {}},
        {"../x", {}},
    };
    for (const auto& n : names)
        EXPECT_EQ(DesktopLanguageNames(n.Locale), n.Names) << n.Locale;
}

} // namespace

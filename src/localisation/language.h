#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvanto {

// The translation table of the user's language file ("language.llf" in the
// settings folder). The English text is the key: accelerator markers and
// trailing blanks, commas and points are split off before the lookup and put
// back afterwards, so one entry serves "Open", "&Open" and "Open...".
class TLanguage {
public:
    static constexpr std::size_t MaxEntries = 4000;
    // Larger files are refused rather than read into memory.
    static constexpr std::size_t MaxFileSize = 64u << 20;

    struct TEntry {
        std::string English;
        std::string Translated;
        std::string Upper; // English, ASCII letters upper-cased
    };

    enum class TStart { LoadLanguageFile, Empty };
    // The process-wide instance loads the user's file; Empty is for reading
    // or writing other files (the tool, tests).
    explicit TLanguage(TStart start = TStart::LoadLanguageFile);

    // English, no entries, the default entry keys.
    void Reset();
    static std::string LanguageFileName();
    // The installed language file for the desktop's language (see
    // DesktopLanguageNames), "" when there is none.
    static std::string DesktopLanguageFileName();
    // The user's file from the settings folder; when there is none, the
    // installed one for the desktop's language; else English. True when a
    // file was read or there is none. A file held by another program is
    // retried 10 times, WaitBeforeRetry apart.
    bool LoadLanguageFile();
    bool LoadFromFile(const std::string& fileName, long long offset);
    // One "TLanguage" component record from the start of data.
    bool LoadFromBytes(std::string_view data);

    int IndexOfText(const std::string& english) const;
    bool LookUp(std::string& text) const;
    std::string TranslateText(const std::string& text, bool* allFound = nullptr) const;

    // The form in which an English text is stored: without trailing blanks,
    // commas and points and without its accelerator marker.
    static std::string LookupForm(const std::string& text);

    // Building a file (the tool): entries are stored as given, so the
    // English text should already be in its lookup form. False when the
    // table is full.
    bool AddEntry(const std::string& english, const std::string& translated);
    void SetName(const std::string& name) { FName = name; }
    // The table as a "TLanguage" component record, what LoadFromBytes reads.
    std::string SaveToBytes() const;

    const std::string& Name() const { return FName; }
    const std::string& CarriedPlainText() const { return FCarriedPlainText; }
    const std::string& CarriedConcealedText() const { return FCarriedConcealedText; }
    std::size_t EntryCount() const { return FEntries.size(); }
    const TEntry& Entry(std::size_t index) const { return FEntries[index]; }
    const std::string& LastError() const { return FLastError; }

    // Waits between two attempts to open a file in use; 20 ms by default.
    std::function<void()> WaitBeforeRetry;

private:
    void ReadEntryList(std::string_view list);
    std::string WriteEntryList() const;

    std::vector<TEntry> FEntries;
    std::string FName;
    std::string FCarriedPlainText;
    std::string FCarriedConcealedText;
    std::string FEntryKeyX;
    std::string FEntryKeyY;
    std::string FLastError;
    // Set while LoadFromFile cannot open the file or another program holds
    // it: the one failure worth another attempt.
    bool FFileHeld = false;
};

// The locale that names the language of messages, as the C library picks
// it: LC_ALL, else LC_MESSAGES, else LANG (null or empty ones skipped).
std::string MessagesLocale(const char* lcAll, const char* lcMessages, const char* lang);
// The names of the language files that suit a locale, best first:
// "de_DE.UTF-8@euro" gives {"de_DE", "de"}; "C", "POSIX" and "" give none.
std::vector<std::string> DesktopLanguageNames(const std::string& locale);
// The first file FOLDER/NAME.llf of those names that exists, "" when none.
std::string FindLanguageFile(const std::string& folder, const std::vector<std::string>& names);

// The process-wide instance, created and loaded on first use; null only when
// it could not be made. FreeLanguage empties the slot.
TLanguage* Language();
void FreeLanguage();

// The text as the user should see it. Never fails: without an instance the
// text comes back as with an empty table.
std::string Translate(const std::string& english);

// Makes ShowError and every other support-layer display translate through
// Translate, and frees the instance at exit. Done automatically whenever
// this layer is linked; the program and the tool call it at start anyway so
// that the link cannot be lost.
void InstallTranslation();

} // namespace orvanto

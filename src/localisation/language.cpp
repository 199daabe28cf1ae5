#include "localisation/language.h"

#include "localisation/language_keys.h"
#include "support/records/component_record.h"
#include "support/files/install_location.h"
#include "support/text/concealment.h"
#include "support/messages/messages.h"
#include "support/files/paths.h"
#include "support/services.h"
#include "support/text/text_conversion.h"
#include "support/messages/translation_hook.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace orvanto {

namespace {

const TRecordType LanguageRecord{"TLanguage",
                                 {{"pC", TPropertyKind::Text},
                                  {"pP", TPropertyKind::Text},
                                  {"pA", TPropertyKind::Text},
                                  {"pB", TPropertyKind::Text},
                                  {"pD", TPropertyKind::Text},
                                  {"pI", TPropertyKind::Text}}};
enum { PropC, PropP, PropA, PropB, PropD, PropI };

const TRecordType EntryRecord{"TLI", {{"X", TPropertyKind::Text}, {"Y", TPropertyKind::Text}}};

constexpr int LoadAttempts = 10;
constexpr auto RetryWait = std::chrono::milliseconds(20);

bool IsSuffixChar(char c)
{
    return c == ' ' || c == ',' || c == '.';
}

// Splits line into stem and trailing run of blanks, commas and points; a
// line made only of those is all stem.
void SplitSuffix(const std::string& line, std::string& stem, std::string& suffix)
{
    std::size_t end = line.size();
    while (end > 0 && IsSuffixChar(line[end - 1]))
        --end;
    if (end == 0) {
        stem = line;
        suffix.clear();
        return;
    }
    stem = line.substr(0, end);
    suffix = line.substr(end);
}

// Deletes the first "&" and reports the character that followed it.
bool TakeAccelerator(std::string& stem, char& letter)
{
    const auto marker = stem.find('&');
    if (marker == std::string::npos)
        return false;
    const bool hasLetter = marker + 1 < stem.size();
    if (hasLetter)
        letter = stem[marker + 1];
    stem.erase(marker, 1);
    return hasLetter;
}

// The first "&" that is not half of a doubled "&&" (which shows one "&").
std::size_t FindMarker(const std::string& text)
{
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '&')
            continue;
        if (at + 1 < text.size() && text[at + 1] == '&')
            ++at;
        else
            return at;
    }
    return std::string::npos;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

using TLanguageSlot = TServiceSlot<TLanguage, TService::Language>;

// Installing at load time covers every program that links this layer.
const bool TranslationInstalled = (InstallTranslation(), true);

} // namespace

TLanguage::TLanguage(TStart start)
    : WaitBeforeRetry([] { std::this_thread::sleep_for(RetryWait); })
{
    Reset();
    if (start == TStart::LoadLanguageFile)
        LoadLanguageFile();
}

void TLanguage::Reset()
{
    FName = "English";
    FCarriedPlainText.clear();
    FCarriedConcealedText.clear();
    FEntries.clear();
    FEntryKeyX = LanguageKeys::DefaultX;
    FEntryKeyY = LanguageKeys::DefaultY;
}

std::string TLanguage::LanguageFileName()
{
    TPaths* paths = Paths();
    return paths ? paths->MakerDataFolder("Settings") + "language.llf" : std::string();
}

std::string MessagesLocale(const char* lcAll, const char* lcMessages, const char* lang)
{
    for (const char* value : {lcAll, lcMessages, lang})
        if (value != nullptr && *value != '\0')
            return value;
    return {};
}

std::vector<std::string> DesktopLanguageNames(const std::string& locale)
{
    // language[_TERRITORY][.codeset][@modifier]
    const std::string name = locale.substr(0, locale.find_first_of(".@"));
    if (name.empty() || name == "C" || name == "POSIX" || name.find('/') != std::string::npos)
        return {};
    std::vector<std::string> names{name};
    const std::size_t territory = name.find('_');
    if (territory != std::string::npos && territory > 0)
        names.push_back(name.substr(0, territory));
    return names;
}

std::string FindLanguageFile(const std::string& folder, const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        const std::string file = folder + name + ".llf";
        struct stat info {};
        if (::stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            return file;
    }
    return {};
}

std::string TLanguage::DesktopLanguageFileName()
{
    const std::string data = ProgramDataFolder();
    if (data.empty())
        return {};
    const std::string locale = MessagesLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
                                              std::getenv("LANG"));
    return FindLanguageFile(data + "languages/", DesktopLanguageNames(locale));
}

bool TLanguage::LoadLanguageFile()
{
    std::string name = LanguageFileName();
    struct stat info {};
    if (name.empty() || ::stat(name.c_str(), &info) != 0)
        name = DesktopLanguageFileName();
    if (name.empty()) {
        Reset();
        return true;
    }
    for (int attempt = 1; attempt <= LoadAttempts; ++attempt) {
        if (LoadFromFile(name, 0))
            return true;
        if (!FFileHeld)
            break;
        if (attempt < LoadAttempts && WaitBeforeRetry)
            WaitBeforeRetry();
    }
    Reset();
    return false;
}

bool TLanguage::LoadFromFile(const std::string& fileName, long long offset)
{
    FLastError = Messages::FileNotFound;
    FFileHeld = false;
    struct stat info {};
    if (::stat(fileName.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    FLastError = Messages::FileInUse;
    FFileHeld = true;
    const int file = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return false;
    // Another program writing the file holds an exclusive lock on it; a
    // shared one of our own fails then, as opening would on a locking
    // system.
    if (::flock(file, LOCK_SH | LOCK_NB) != 0) {
        ::close(file);
        return false;
    }
    FFileHeld = false;
    bool loaded = false;
    try {
        FLastError = Messages::OutOfMemory;
        std::string data;
        const off_t start = offset < 0 ? 0 : static_cast<off_t>(offset);
        if (::fstat(file, &info) == 0 && info.st_size > start
            && static_cast<unsigned long long>(info.st_size - start) <= MaxFileSize) {
            data.resize(static_cast<std::size_t>(info.st_size - start));
            std::size_t filled = 0;
            while (filled < data.size()) {
                const ssize_t got = ::pread(file, data.data() + filled, data.size() - filled,
                                            start + static_cast<off_t>(filled));
                if (got < 0 && errno == EINTR)
                    continue;
                if (got <= 0)
                    break;
                filled += static_cast<std::size_t>(got);
            }
            data.resize(filled);
        }
        loaded = LoadFromBytes(data);
    } catch (...) {
        Reset();
        loaded = false;
    }
    ::flock(file, LOCK_UN);
    ::close(file);
    return loaded;
}

bool TLanguage::LoadFromBytes(std::string_view data)
{
    FLastError = Messages::UnsupportedFormat;
    Reset();
    bool ok = false;
    try {
        std::size_t position = 0;
        ok = ReadRecord(data, position, LanguageRecord, [this](std::size_t index, TPropertyValue value) {
            std::string& text = std::get<std::string>(value);
            switch (index) {
            case PropC: FName = text; break;
            case PropP: FCarriedPlainText = text; break;
            case PropA: FEntryKeyX = Scramble(text, LanguageKeys::FixedA, 0); break;
            case PropB: FEntryKeyY = Scramble(text, LanguageKeys::FixedB, 0); break;
            case PropD: FCarriedConcealedText = Scramble(text, FEntryKeyX, 0); break;
            case PropI: ReadEntryList(text); break;
            default: break;
            }
        });
    } catch (...) {
        ok = false;
    }
    if (!ok)
        Reset();
    return ok;
}

void TLanguage::ReadEntryList(std::string_view list)
{
    FEntries.clear();
    std::size_t position = 0;
    while (FEntries.size() < MaxEntries && position < list.size()) {
        // Each record starts from empty texts: a record without a "Y" has an
        // empty translation, not the previous entry's.
        std::string x, y;
        const bool read = ReadRecord(list, position, EntryRecord, [&](std::size_t index, TPropertyValue value) {
            (index == 0 ? x : y) = std::move(std::get<std::string>(value));
        });
        if (!read)
            break;
        TEntry entry;
        entry.English = Scramble(x, FEntryKeyX, 1);
        entry.Translated = Scramble(y, FEntryKeyY, 1);
        entry.Upper = UpperAscii(entry.English);
        FEntries.push_back(std::move(entry));
    }
}

std::string TLanguage::WriteEntryList() const
{
    std::string list;
    for (const TEntry& entry : FEntries)
        list += WriteRecord(EntryRecord, {Scramble(entry.English, FEntryKeyX, 0),
                                          Scramble(entry.Translated, FEntryKeyY, 0)});
    return list;
}

std::string TLanguage::SaveToBytes() const
{
    return WriteRecord(LanguageRecord, {FName, FCarriedPlainText, Scramble(FEntryKeyX, LanguageKeys::FixedA, 1),
                                        Scramble(FEntryKeyY, LanguageKeys::FixedB, 1),
                                        Scramble(FCarriedConcealedText, FEntryKeyX, 1), WriteEntryList()});
}

bool TLanguage::AddEntry(const std::string& english, const std::string& translated)
{
    if (FEntries.size() >= MaxEntries)
        return false;
    FEntries.push_back({english, translated, UpperAscii(english)});
    return true;
}

int TLanguage::IndexOfText(const std::string& english) const
{
    if (english.empty())
        return -1;
    const std::string upper = UpperAscii(english);
    for (std::size_t i = 0; i < FEntries.size(); ++i) {
        const std::string& candidate = FEntries[i].Upper;
        if (!candidate.empty() && candidate[0] == upper[0] && candidate == upper)
            return static_cast<int>(i);
    }
    return -1;
}

bool TLanguage::LookUp(std::string& text) const
{
    // An entry written exactly as the text wins over one that differs only
    // in case, so "Copy" (the command) and "copy" (a count) can differ.
    for (const TEntry& entry : FEntries)
        if (entry.English == text) {
            text = entry.Translated;
            return true;
        }
    const int index = IndexOfText(text);
    if (index < 0)
        return false;
    text = FEntries[static_cast<std::size_t>(index)].Translated;
    return true;
}

std::string TLanguage::TranslateText(const std::string& text, bool* allFound) const
{
    std::string result;
    bool found = true;
    const std::vector<std::string> lines = SplitLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string stem, suffix;
        SplitSuffix(lines[i], stem, suffix);
        char letter = 0;
        const bool hasLetter = TakeAccelerator(stem, letter);
        const bool translated = LookUp(stem);
        if (!translated)
            found = false;
        // A translation may choose its own accelerator: the English letter
        // is often missing from it or taken by a neighbour in the menu. A
        // text shown outside a menu (a hint, a status panel) drops it.
        const std::size_t marker = translated ? FindMarker(stem) : std::string::npos;
        if (marker != std::string::npos) {
            if (!hasLetter || letter == '&')
                stem.erase(marker, 1);
        } else if (hasLetter && letter != '&') {
            const char wanted = UpperAsciiChar(letter);
            for (std::size_t at = 0; at < stem.size(); ++at) {
                if (UpperAsciiChar(stem[at]) == wanted) {
                    stem.insert(at, 1, '&');
                    break;
                }
            }
        }
        result += stem + suffix;
        if (i + 1 < lines.size())
            result += "\r\n";
    }
    if (allFound)
        *allFound = found;
    return result;
}

std::string TLanguage::LookupForm(const std::string& text)
{
    std::string stem, suffix;
    SplitSuffix(text, stem, suffix);
    char letter = 0;
    TakeAccelerator(stem, letter);
    return stem;
}

TLanguage* Language()
{
    if (!TLanguageSlot::Made())
        InstallTranslation();
    return TLanguageSlot::Get();
}

void FreeLanguage()
{
    TLanguageSlot::Free();
}

std::string Translate(const std::string& english)
{
    try {
        if (const TLanguage* language = Language())
            return language->TranslateText(english);
        return TLanguage(TLanguage::TStart::Empty).TranslateText(english);
    } catch (...) {
        return english;
    }
}

void InstallTranslation()
{
    (void)TranslationInstalled;
    SetTranslateFunction(&Translate);
    RegisterServiceRelease(TService::Language, &FreeLanguage);
}

} // namespace orvanto

#include "support/general.h"

#include "platform/platform.h"
#include "support/concealment_keys.h"
#include "support/services.h"
#include "support/translation_hook.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <dirent.h>
#include <fnmatch.h>
#include <locale>
#include <mutex>
#include <new>
#include <random>
#include <sstream>
#include <sys/stat.h>

namespace orvanto {

namespace {

// A plain pointer: freed by the exit sequence (support/services.h).
TGeneral* GeneralSlot = nullptr;

// Seeded once, the first time a key is drawn.
std::mt19937& RandomSource()
{
    static std::mt19937 source{std::random_device{}()};
    return source;
}

} // namespace

TGeneral* General()
{
    if (!GeneralSlot) {
        ArrangeShutdownAtExit();
        GeneralSlot = new (std::nothrow) TGeneral;
    }
    return GeneralSlot;
}

void FreeGeneral()
{
    delete GeneralSlot;
    GeneralSlot = nullptr;
}

void ShowError(const std::string& message)
{
    if (TGeneral* general = General())
        general->ShowError(message);
}

void TGeneral::ShowError(const std::string& message)
{
    try {
        Platform().MessageBox().ShowError(TranslateForDisplay(message),
                                          TranslateForDisplay("Error"));
    } catch (...) {
        // Reporting an error must never become one.
    }
}

void TGeneral::FatalOutOfMemory()
{
    ShowError("Out of memory");
    std::exit(EXIT_FAILURE);
}

void TGeneral::ReplaceAll(std::string& text, const std::string& search,
                          const std::string& replacement)
{
    if (search.empty())
        return;
    std::size_t position = text.find(search);
    while (position != std::string::npos) {
        text.replace(position, search.size(), replacement);
        position = text.find(search, position + replacement.size());
    }
}

bool TGeneral::TextToBool(const std::string& text)
{
    return text == "1";
}

std::string TGeneral::BoolToText(bool value)
{
    return value ? "1" : "0";
}

std::int32_t TGeneral::TextToInt(const std::string& text)
{
    // Parsed through the classic locale: strtod would follow the user's
    // LC_NUMERIC and read "2.5" as 2 under a comma locale.
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    if (first == std::string::npos)
        return 0;
    const std::string number = text.substr(first, last - first + 1);
    if (number.find_first_not_of("0123456789+-.eE") != std::string::npos)
        return 0;
    std::istringstream in(number);
    in.imbue(std::locale::classic());
    double value = 0;
    in >> value;
    if (in.fail() || !in.eof() || !std::isfinite(value))
        return 0;
    const double rounded = std::nearbyint(value);
    if (rounded < -2147483648.0 || rounded > 2147483647.0)
        return 0;
    return static_cast<std::int32_t>(rounded);
}

std::string TGeneral::ListFiles(const std::string& mask, bool withPath)
{
    const auto slash = mask.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : mask.substr(0, slash + 1);
    const std::string pattern = slash == std::string::npos ? mask : mask.substr(slash + 1);
    DIR* directory = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!directory)
        return {};
    std::string result;
    try {
        while (const dirent* entry = ::readdir(directory)) {
            const std::string name = entry->d_name;
            if (name.empty() || name[0] == '.')
                continue;
            if (::fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD | FNM_PERIOD) != 0)
                continue;
            struct stat info {};
            if (::stat((folder.empty() ? name : folder + name).c_str(), &info) != 0
                || !S_ISREG(info.st_mode))
                continue;
            result += (withPath ? folder + name : name) + "\r\n";
        }
    } catch (...) {
        result.clear();
    }
    ::closedir(directory);
    return result;
}

void TGeneral::CenteredPosition(int windowWidth, int windowHeight, int screenWidth,
                                int screenHeight, int& left, int& top)
{
    left = (screenWidth - windowWidth) / 2;
    top = (screenHeight - windowHeight) / 2;
}

void TGeneral::CenterForm(QWindow* window)
{
    if (!window)
        return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    int left = 0;
    int top = 0;
    CenteredPosition(window->width(), window->height(), screen->geometry().width(),
                     screen->geometry().height(), left, top);
    window->setPosition(left, top);
}

std::string TGeneral::Scramble(const std::string& data, const std::string& key, int mode)
{
    if (key.empty() || mode < 0 || mode > 3)
        return data;
    std::string out(data.size(), '\0');
    std::size_t keyIndex = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const int d = static_cast<unsigned char>(data[i]);
        const int k = static_cast<unsigned char>(key[keyIndex]);
        keyIndex = keyIndex + 1 == key.size() ? 0 : keyIndex + 1;
        int s = 0;
        switch (mode) {
        case 0: s = d + k > 255 ? d + k - 256 : d + k; break;
        case 1: s = d - k < 0 ? d - k + 256 : d - k; break;
        case 2: s = d + k > 255 ? d + k - 242 : d + k; break;
        default: s = d - k < 14 ? d - k + 242 : d - k; break;
        }
        out[i] = static_cast<char>(static_cast<unsigned char>(s & 0xFF));
    }
    return out;
}

std::string RandomKey()
{
    std::uniform_int_distribution<int> length(10, 50);
    std::uniform_int_distribution<int> pick(0, ConcealmentKeys::AlphabetDrawn - 1);
    auto& source = RandomSource();
    std::string key(static_cast<std::size_t>(length(source)), ' ');
    for (char& c : key)
        c = ConcealmentKeys::Alphabet[pick(source)];
    return key;
}

std::string HideText(const std::string& plain)
{
    const std::string key = RandomKey();
    std::string result(1, static_cast<char>(key.size() + 14));
    result += TGeneral::Scramble(key, ConcealmentKeys::Master, 3);
    result += TGeneral::Scramble(plain, key, 2);
    TGeneral::ReplaceAll(result, "'", "''");
    return result;
}

std::string RevealText(const std::string& concealed)
{
    if (concealed.empty())
        return {};
    std::string text = concealed;
    TGeneral::ReplaceAll(text, "''", "'");
    const int b = static_cast<unsigned char>(text[0]);
    // A key of 1..241 characters that the text actually holds; anything
    // else is damage, not a concealed text.
    if (b <= 14 || static_cast<std::size_t>(b - 14) > text.size() - 1)
        return {};
    const std::size_t keyLength = static_cast<std::size_t>(b - 14);
    const std::string key = TGeneral::Scramble(text.substr(1, keyLength), ConcealmentKeys::Master, 2);
    return TGeneral::Scramble(text.substr(1 + keyLength), key, 3);
}

} // namespace orvanto

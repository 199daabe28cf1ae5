#include "app/settings_file.h"

#include "support/messages/general.h"
#include "support/files/ini_file.h"
#include "support/messages/messages.h"
#include "support/files/paths.h"
#include "support/messages/program_name.h"
#include "support/text/text_conversion.h"

#include <QFileInfo>

#include <algorithm>
#include <type_traits>

namespace orvanto {

namespace {

constexpr const char* Section = "Settings";

enum class TKind { Bool, Int, Byte, AtLeastOne, Text };

// How a key reaches its field: every stored value passes as an int, or as
// the text itself for a name.
struct TKey {
    const char* Name;
    TKind Kind;
    int (*Get)(const TStoredSettings&);
    void (*Set)(TStoredSettings&, int);
    // The keys added after the first nineteen: a file that lacks one was
    // written before it existed, and the setting keeps its default.
    bool Later = false;
    std::string (*GetText)(const TStoredSettings&) = nullptr;
    void (*SetText)(TStoredSettings&, const std::string&) = nullptr;
};

template <auto Member>
constexpr TKey PrintKey(const char* name, TKind kind)
{
    using TField = std::remove_cvref_t<decltype(TPrintSettings().*Member)>;
    return {name, kind, [](const TStoredSettings& s) { return int(s.Print.*Member); },
            [](TStoredSettings& s, int value) { s.Print.*Member = TField(value); }};
}

template <auto Member>
constexpr TKey LaterKey(const char* name, TKind kind)
{
    TKey key = PrintKey<Member>(name, kind);
    key.Later = true;
    return key;
}

template <std::string TPrintSettings::*Member>
constexpr TKey TextKey(const char* name)
{
    return {name, TKind::Text, nullptr, nullptr, true, [](const TStoredSettings& s) { return s.Print.*Member; },
            [](TStoredSettings& s, const std::string& text) { s.Print.*Member = text; }};
}

template <int TStoredSettings::*Member>
constexpr TKey WindowKey(const char* name, TKind kind)
{
    return {name, kind, [](const TStoredSettings& s) { return s.*Member; },
            [](TStoredSettings& s, int value) { s.*Member = value; }};
}

using P = TPrintSettings;
using S = TStoredSettings;

// The keys in the order they are written. A new print setting is a field of
// TPrintSettings and a row here.
constexpr TKey Keys[] = {
    PrintKey<&P::AutoClose>("AutoClose", TKind::Bool),
    PrintKey<&P::AutoPrint>("AutoPrint", TKind::Bool),
    WindowKey<&S::ToolbarOnTop>("ToolbarOnTop", TKind::Bool),
    WindowKey<&S::ShowButtonbar>("ShowButtonbar", TKind::Bool),
    PrintKey<&P::Copies>("Copies", TKind::Int),
    PrintKey<&P::Quality>("Quality", TKind::Byte),
    PrintKey<&P::Position>("Position", TKind::Byte),
    PrintKey<&P::Scale>("Scale", TKind::Byte),
    PrintKey<&P::Orientation>("Orientation", TKind::Byte),
    PrintKey<&P::X>("X", TKind::Int),
    PrintKey<&P::Y>("Y", TKind::Int),
    PrintKey<&P::ZoomX>("ZoomX", TKind::Int),
    PrintKey<&P::ZoomY>("ZoomY", TKind::Int),
    PrintKey<&P::ZoomXY>("ZoomXY", TKind::Int),
    WindowKey<&S::Width>("Width", TKind::AtLeastOne),
    WindowKey<&S::Height>("Height", TKind::AtLeastOne),
    PrintKey<&P::PreviewSize>("Size", TKind::Int),
    PrintKey<&P::BkColor>("BkColor", TKind::Int),
    PrintKey<&P::UseBkColor>("UseBkColor", TKind::Bool),
    LaterKey<&P::SizeX>("SizeX", TKind::Int),
    LaterKey<&P::SizeY>("SizeY", TKind::Int),
    LaterKey<&P::SizeLock>("SizeLock", TKind::Bool),
    LaterKey<&P::SizeFill>("SizeFill", TKind::Bool),
    LaterKey<&P::Poster>("Poster", TKind::Bool),
    LaterKey<&P::PosterOverlap>("PosterOverlap", TKind::Int),
    TextKey<&P::Printer>("Printer"),
    TextKey<&P::Paper>("Paper"),
};

int ValueFromText(TKind kind, const std::string& text)
{
    switch (kind) {
    case TKind::Bool:
        return TextToBool(text) ? 1 : 0;
    case TKind::Byte:
        return TextToInt(text) & 0xFF;
    case TKind::AtLeastOne:
        return std::max(TextToInt(text), 1);
    case TKind::Int:
    case TKind::Text:
        break;
    }
    return TextToInt(text);
}

} // namespace

std::string TSettingsFile::SettingsFileName(const std::string& extension)
{
    return Paths()->MakerDataFolder("Settings") + ProgramName + "." + extension;
}

TSettingsFile::TSettingsFile(std::string fileName) : FFileName(std::move(fileName)) {}

bool TSettingsFile::Load(TStoredSettings& settings) const
{
    try {
        if (!QFileInfo(QString::fromStdString(FFileName)).isFile())
            return false;
        const TIniFile::TPairs pairs = TIniFile(FFileName).ReadSection(Section);
        for (const TKey& key : Keys) {
            // A key the file lacks reads as an empty text: 0 or off.
            std::string text;
            bool found = false;
            for (const auto& [name, value] : pairs)
                if (EqualsIgnoringAsciiCase(name, key.Name)) {
                    text = value;
                    found = true;
                    break;
                }
            if (!found && key.Later)
                continue;
            if (key.SetText)
                key.SetText(settings, text);
            else
                key.Set(settings, ValueFromText(key.Kind, text));
        }
        return true;
    } catch (...) {
        return true;
    }
}

std::optional<TStoredSettings> TSettingsFile::Load() const
{
    TStoredSettings settings;
    if (!Load(settings))
        return std::nullopt;
    return settings;
}

bool TSettingsFile::Save(const TStoredSettings& settings)
{
    FLastError = Messages::UnableToWriteTo;
    FLastError.replace(FLastError.find("%s"), 2, FFileName);
    try {
        // The write bit, not access(): a user who made the file read-only
        // means it, even when the program runs with rights that could
        // write it anyway.
        const QFileInfo existing(QString::fromStdString(FFileName));
        if (existing.exists() && !(existing.permissions() & QFileDevice::WriteOwner))
            return false;
        TIniFile::TPairs pairs;
        for (const TKey& key : Keys) {
            if (key.GetText) {
                pairs.emplace_back(key.Name, key.GetText(settings));
                continue;
            }
            const int value = key.Get(settings);
            pairs.emplace_back(key.Name, key.Kind == TKind::Bool ? BoolToText(value != 0)
                                                                 : std::to_string(value));
        }
        return TIniFile(FFileName).WriteStrings(Section, pairs);
    } catch (...) {
        return false;
    }
}

} // namespace orvanto

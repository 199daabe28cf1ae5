#include "app/settings_file.h"

#include "support/general.h"
#include "support/ini_file.h"
#include "support/messages.h"
#include "support/paths.h"
#include "support/program_name.h"
#include "support/text_conversion.h"

#include <QFileInfo>

#include <algorithm>

namespace orvanto {

namespace {

constexpr const char* Section = "Settings";

enum class TKind { Bool, Int, Byte, AtLeastOne, Text };

struct TKey {
    const char* Name;
    TKind Kind;
    int TStoredSettings::*Field;
    // The keys added after the first nineteen: a file that lacks one was
    // written before it existed, and the value keeps its default.
    bool Later = false;
    std::string TStoredSettings::*TextField = nullptr;
};

// The keys in the order they are written.
constexpr TKey Keys[] = {
    {"AutoClose", TKind::Bool, &TStoredSettings::AutoClose},
    {"AutoPrint", TKind::Bool, &TStoredSettings::AutoPrint},
    {"ToolbarOnTop", TKind::Bool, &TStoredSettings::ToolbarOnTop},
    {"ShowButtonbar", TKind::Bool, &TStoredSettings::ShowButtonbar},
    {"Copies", TKind::Int, &TStoredSettings::Copies},
    {"Quality", TKind::Byte, &TStoredSettings::Quality},
    {"Position", TKind::Byte, &TStoredSettings::Position},
    {"Scale", TKind::Byte, &TStoredSettings::Scale},
    {"Orientation", TKind::Byte, &TStoredSettings::Orientation},
    {"X", TKind::Int, &TStoredSettings::X},
    {"Y", TKind::Int, &TStoredSettings::Y},
    {"ZoomX", TKind::Int, &TStoredSettings::ZoomX},
    {"ZoomY", TKind::Int, &TStoredSettings::ZoomY},
    {"ZoomXY", TKind::Int, &TStoredSettings::ZoomXY},
    {"Width", TKind::AtLeastOne, &TStoredSettings::Width},
    {"Height", TKind::AtLeastOne, &TStoredSettings::Height},
    {"Size", TKind::Int, &TStoredSettings::Size},
    {"BkColor", TKind::Int, &TStoredSettings::BkColor},
    {"UseBkColor", TKind::Bool, &TStoredSettings::UseBkColor},
    {"SizeX", TKind::Int, &TStoredSettings::SizeX, true},
    {"SizeY", TKind::Int, &TStoredSettings::SizeY, true},
    {"SizeLock", TKind::Bool, &TStoredSettings::SizeLock, true},
    {"SizeFill", TKind::Bool, &TStoredSettings::SizeFill, true},
    {"Poster", TKind::Bool, &TStoredSettings::Poster, true},
    {"PosterOverlap", TKind::Int, &TStoredSettings::PosterOverlap, true},
    {"Printer", TKind::Text, nullptr, true, &TStoredSettings::Printer},
    {"Paper", TKind::Text, nullptr, true, &TStoredSettings::Paper},
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
            if (key.TextField)
                settings.*key.TextField = text;
            else
                settings.*key.Field = ValueFromText(key.Kind, text);
        }
        return true;
    } catch (...) {
        return true;
    }
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
            if (key.TextField) {
                pairs.emplace_back(key.Name, settings.*key.TextField);
                continue;
            }
            const int value = settings.*key.Field;
            pairs.emplace_back(key.Name, key.Kind == TKind::Bool ? BoolToText(value != 0)
                                                                 : std::to_string(value));
        }
        return TIniFile(FFileName).WriteStrings(Section, pairs);
    } catch (...) {
        return false;
    }
}

} // namespace orvanto

#include "platform/printer_facts_file.h"

#include "platform/small_file.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <charconv>

namespace orvanto {

namespace {

struct TNumberKey {
    const char* Name;
    int TPrinterFacts::*Field;
    int Least, Most;
};

// The same bounds the watcher puts on a server's answer.
constexpr TNumberKey NumberKeys[] = {
    {"DpiX", &TPrinterFacts::DpiX, 1, 10000},
    {"DpiY", &TPrinterFacts::DpiY, 1, 10000},
    {"PaperWidth", &TPrinterFacts::PaperWidth, 1, 1000000},
    {"PaperHeight", &TPrinterFacts::PaperHeight, 1, 1000000},
    {"MarginLeft", &TPrinterFacts::MarginLeft, 0, 1000000},
    {"MarginTop", &TPrinterFacts::MarginTop, 0, 1000000},
    {"MarginRight", &TPrinterFacts::MarginRight, 0, 1000000},
    {"MarginBottom", &TPrinterFacts::MarginBottom, 0, 1000000},
};

bool GoodText(std::string_view text)
{
    if (text.empty() || text.size() > 127)
        return false;
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return false;
    return true;
}

} // namespace

std::optional<TPrinterFacts> ReadPrinterFacts(std::string_view text)
{
    TPrinterFacts facts;
    bool named = false;
    int seen = 0; // the number keys met, one bit each
    while (!text.empty()) {
        std::string_view line = TakeLine(text);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        if (key == "Printer" && GoodText(value)) {
            facts.Current.assign(value);
            named = true;
        } else if (key == "Media" && GoodText(value)) {
            facts.Media.assign(value);
        }
        for (std::size_t i = 0; i < std::size(NumberKeys); ++i) {
            const TNumberKey& number = NumberKeys[i];
            if (key != number.Name)
                continue;
            int read = 0;
            const auto [at, error] = std::from_chars(value.data(), value.data() + value.size(), read);
            if (error != std::errc() || at != value.data() + value.size() || read < number.Least
                || read > number.Most)
                return std::nullopt;
            facts.*number.Field = read;
            seen |= 1 << i;
        }
    }
    const bool resolved = (seen & 0b0011) == 0b0011; // DpiX and DpiY
    const bool sized = (seen & 0b1100) == 0b1100;    // PaperWidth and PaperHeight
    if (!named || !sized || !resolved)
        return std::nullopt;
    return facts;
}

std::string WritePrinterFacts(const TPrinterFacts& facts)
{
    std::string text = "Printer=" + facts.Current + "\nMedia=" + facts.Media + "\n";
    for (const TNumberKey& number : NumberKeys)
        text += std::string(number.Name) + "=" + std::to_string(facts.*number.Field) + "\n";
    return text;
}

std::string TPrinterFactsFile::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation).toStdString()
        + "/orvanto/last-printer";
}

TPrinterFactsFile::TPrinterFactsFile(std::string path) : FPath(std::move(path)) {}

TPrinterFacts TPrinterFactsFile::StartingFacts(const std::string& storedPrinter) const
{
    const std::optional<TPrinterFacts> kept = ReadPrinterFacts(ReadSmallFile(FPath, MaxFactsBytes));
    if (kept && (storedPrinter.empty() || kept->Current == storedPrinter))
        return *kept;
    return {};
}

bool TPrinterFactsFile::Remember(const TPrinterFacts& facts)
{
    if (!facts.HasPrinter() || !GoodText(facts.Current) || !GoodText(facts.Media))
        return true;
    const std::string text = WritePrinterFacts(facts);
    if (FWritten.empty())
        FWritten = ReadSmallFile(FPath, MaxFactsBytes);
    if (text == FWritten)
        return true;
    QDir().mkpath(QFileInfo(QString::fromStdString(FPath)).path());
    QSaveFile file(QString::fromStdString(FPath));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), qint64(text.size())) != qint64(text.size())
        || !file.commit())
        return false;
    FWritten = text;
    return true;
}

} // namespace orvanto

#include "support/files/ini_file.h"

#include "support/messages/messages.h"
#include "support/text/text_conversion.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace orvanto {

namespace {

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> ReadLines(const std::string& fileName)
{
    std::vector<std::string> lines;
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxIniBytes)
        return lines;
    const QByteArray bytes = file.readAll();
    std::string line;
    for (char c : bytes) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

// "[Name]" gives Name; anything else gives false.
bool SectionName(const std::string& line, std::string& name)
{
    const std::string trimmed = Trim(line);
    if (trimmed.size() < 2 || trimmed.front() != '[' || trimmed.back() != ']')
        return false;
    name = Trim(trimmed.substr(1, trimmed.size() - 2));
    return true;
}

bool KeyValue(const std::string& line, std::string& key, std::string& value)
{
    const std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#')
        return false;
    const auto equals = trimmed.find('=');
    if (equals == std::string::npos)
        return false;
    key = Trim(trimmed.substr(0, equals));
    value = Trim(trimmed.substr(equals + 1));
    return !key.empty();
}

} // namespace

TIniFile::TIniFile(std::string fileName) : FFileName(std::move(fileName)) {}

TIniFile::TPairs TIniFile::ReadSection(const std::string& section) const
{
    TPairs pairs;
    bool inside = false;
    for (const std::string& line : ReadLines(FFileName)) {
        std::string name, key, value;
        if (SectionName(line, name))
            inside = EqualsIgnoringAsciiCase(name, section);
        else if (inside && KeyValue(line, key, value))
            pairs.emplace_back(key, value);
    }
    return pairs;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const
{
    for (const auto& [name, value] : ReadSection(section))
        if (EqualsIgnoringAsciiCase(name, key))
            return value;
    return fallback;
}

bool TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value)
{
    return WriteStrings(section, {{key, value}});
}

bool TIniFile::WriteStrings(const std::string& section, const TPairs& values)
{
    std::vector<std::string> lines = ReadLines(FFileName);
    std::vector<bool> written(values.size(), false);

    // Replace existing keys in place; remember where the section ends so
    // new keys go there.
    bool inside = false;
    std::ptrdiff_t sectionEnd = -1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string name, key, value;
        if (SectionName(lines[i], name)) {
            inside = EqualsIgnoringAsciiCase(name, section);
            if (inside)
                sectionEnd = std::ptrdiff_t(i) + 1;
            continue;
        }
        if (!inside)
            continue;
        if (!Trim(lines[i]).empty())
            sectionEnd = std::ptrdiff_t(i) + 1;
        if (!KeyValue(lines[i], key, value))
            continue;
        for (std::size_t v = 0; v < values.size(); ++v)
            if (EqualsIgnoringAsciiCase(values[v].first, key) && !written[v]) {
                lines[i] = values[v].first + "=" + values[v].second;
                written[v] = true;
                break;
            }
    }
    std::vector<std::string> added;
    for (std::size_t v = 0; v < values.size(); ++v)
        if (!written[v])
            added.push_back(values[v].first + "=" + values[v].second);
    if (sectionEnd < 0) {
        if (!lines.empty() && !Trim(lines.back()).empty())
            lines.emplace_back();
        lines.push_back("[" + section + "]");
        sectionEnd = std::ptrdiff_t(lines.size());
    }
    lines.insert(lines.begin() + sectionEnd, added.begin(), added.end());

    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";

    FLastError = Messages::OutOfDiskSpace;
    const QString path = QString::fromStdString(FFileName);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(text.data(), qint64(text.size())) != qint64(text.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace orvanto

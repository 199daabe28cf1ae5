#include "support/text/text_conversion.h"

#include <cmath>
#include <locale>
#include <sstream>

namespace orvanto {

void ReplaceAll(std::string& text, const std::string& search,
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

bool TextToBool(const std::string& text)
{
    return text == "1";
}

std::string BoolToText(bool value)
{
    return value ? "1" : "0";
}

std::int32_t TextToInt(const std::string& text)
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

std::string UpperAscii(const std::string& text)
{
    std::string result = text;
    for (char& c : result)
        c = UpperAsciiChar(c);
    return result;
}

std::string LowerAscii(const std::string& text)
{
    std::string result = text;
    for (char& c : result)
        c = LowerAsciiChar(c);
    return result;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperAsciiChar(a[i]) != UpperAsciiChar(b[i]))
            return false;
    return true;
}

std::string IntToText(std::int32_t value)
{
    return std::to_string(value);
}

} // namespace orvanto

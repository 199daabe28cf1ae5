#include "workspace/command_line.h"

#include "support/text/text_conversion.h"

namespace orvanto {

namespace {

constexpr const char* AutoPrintSwitch = "/AUTOPRINT";

} // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments)
{
    auto argument = [&arguments](std::size_t i) {
        return i < arguments.size() ? arguments[i] : std::string();
    };
    TCommandLine line;
    line.Picture = argument(0);
    const std::string second = argument(1);
    const bool secondIsSwitch = UpperAscii(second) == AutoPrintSwitch;
    if (!secondIsSwitch)
        line.PrinterName = second;
    line.AutoPrint = secondIsSwitch || UpperAscii(argument(2)) == AutoPrintSwitch;
    return line;
}

bool IsUnattended(const TCommandLine& line, bool storedAutoPrint)
{
    return !line.Picture.empty() && (line.AutoPrint || storedAutoPrint);
}

} // namespace orvanto

#include "platform/file_dialogs.h"

namespace orvanto {

TFileDialogResult TNoFileDialogs::Run(const TFileDialogRequest& request)
{
    TFileDialogResult result;
    result.FilterIndex = request.FilterIndex;
    return result;
}

namespace {

std::vector<std::string> SplitPatterns(const std::string& text)
{
    std::vector<std::string> patterns;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string::npos)
            end = text.size();
        std::string pattern = text.substr(start, end - start);
        // Blanks around a pattern are layout, not part of the name.
        const auto first = pattern.find_first_not_of(' ');
        const auto last = pattern.find_last_not_of(' ');
        if (first != std::string::npos)
            patterns.push_back(pattern.substr(first, last - first + 1));
        start = end + 1;
    }
    return patterns;
}

} // namespace

std::vector<TFileFilterChoice> SplitFileFilter(const std::string& filter)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start < filter.size()) {
        std::size_t end = filter.find('|', start);
        if (end == std::string::npos)
            end = filter.size();
        parts.push_back(filter.substr(start, end - start));
        start = end + 1;
    }
    std::vector<TFileFilterChoice> choices;
    for (std::size_t i = 0; i < parts.size(); i += 2) {
        TFileFilterChoice choice;
        choice.Description = parts[i];
        if (i + 1 < parts.size())
            choice.Patterns = SplitPatterns(parts[i + 1]);
        choices.push_back(std::move(choice));
    }
    return choices;
}

} // namespace orvanto

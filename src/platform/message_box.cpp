#include "platform/message_box.h"

#include <cstdio>

namespace orvanto {

std::string WithPlainLineFeeds(const std::string& text)
{
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            plain += text[i];
            continue;
        }
        plain += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    return plain;
}

void TConsoleMessageBox::ShowError(const std::string& text, const std::string& caption)
{
    const std::string line = WithPlainLineFeeds(caption + ": " + text) + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

int TConsoleMessageBox::Ask(const std::string& text, const std::string& caption)
{
    // Nobody is there to answer.
    ShowError(text, caption);
    return -1;
}

} // namespace orvanto

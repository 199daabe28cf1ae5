#include "platform/message_box.h"

#include <cstdio>

namespace orvanto {

void TConsoleMessageBox::ShowError(const std::string& text, const std::string& caption)
{
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
}

int TConsoleMessageBox::Ask(const std::string& text, const std::string& caption)
{
    // Nobody is there to answer.
    ShowError(text, caption);
    return -1;
}

} // namespace orvanto

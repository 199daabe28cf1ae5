#include "platform/message_box.h"

#include <cstdio>

namespace orvanto {

void TConsoleMessageBox::ShowError(const std::string& text, const std::string& caption)
{
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
}

} // namespace orvanto

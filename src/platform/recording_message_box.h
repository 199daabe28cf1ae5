#pragma once

#include "platform/message_box.h"

#include <string>
#include <vector>

namespace orvanto {

// Test double: remembers every box instead of showing it.
class TRecordingMessageBox final : public IMessageBox {
public:
    struct TShown {
        std::string Text;
        std::string Caption;
    };
    std::vector<TShown> Shown;

    void ShowError(const std::string& text, const std::string& caption) override
    {
        Shown.push_back({text, caption});
    }
};

} // namespace orvanto

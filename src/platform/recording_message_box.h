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
    std::vector<TShown> Asked;
    int Answer = 1; // what Ask answers: 1 Yes, 0 No, -1 nobody there

    void ShowError(const std::string& text, const std::string& caption) override
    {
        Shown.push_back({text, caption});
    }
    int Ask(const std::string& text, const std::string& caption) override
    {
        Asked.push_back({text, caption});
        return Answer;
    }
};

} // namespace orvanto

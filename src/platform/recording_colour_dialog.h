#pragma once

#include "platform/colour_dialog.h"

#include <deque>
#include <vector>

namespace orvanto {

// Test double: records the colour each request started with and answers
// from a script; with the script empty a request is cancelled.
class TRecordingColourDialog final : public IColourDialog {
public:
    std::vector<std::uint32_t> Requests;
    std::deque<TColourChoice> Script;

    void Answer(std::uint32_t colour) { Script.push_back({true, colour}); }
    void Cancel() { Script.push_back({false, 0}); }

    TColourChoice Choose(std::uint32_t initial) override
    {
        Requests.push_back(initial);
        if (Script.empty())
            return {false, initial};
        TColourChoice answer = Script.front();
        Script.pop_front();
        if (!answer.Confirmed)
            answer.Colour = initial;
        return answer;
    }
};

} // namespace orvanto

#pragma once

#include "platform/file_dialogs.h"

#include <deque>
#include <stdexcept>
#include <vector>

namespace orvanto {

// Test double: records every request and answers from a script. Each
// answer either throws (as a dialog that cannot be built) or returns its
// result; with the script empty a request is cancelled with an empty name.
class TRecordingFileDialogs final : public IFileDialogs {
public:
    struct TAnswer {
        bool Throw = false;
        TFileDialogResult Result;
    };

    std::vector<TFileDialogRequest> Requests;
    std::deque<TAnswer> Script;
    // Kinds that always fail, whatever the script says: a preview dialog
    // that cannot be built, say.
    std::vector<TFileDialogKind> FailingKinds;

    void Answer(bool confirmed, const std::string& fileName, int filterIndex)
    {
        Script.push_back({false, {confirmed, fileName, filterIndex}});
    }
    void AnswerWithFailure() { Script.push_back({true, {}}); }

    TFileDialogResult Run(const TFileDialogRequest& request) override
    {
        Requests.push_back(request);
        for (TFileDialogKind kind : FailingKinds)
            if (kind == request.Kind)
                throw std::runtime_error("dialog kind cannot be built");
        if (Script.empty()) {
            TFileDialogResult cancelled;
            cancelled.FilterIndex = request.FilterIndex;
            return cancelled;
        }
        TAnswer answer = Script.front();
        Script.pop_front();
        if (answer.Throw)
            throw std::runtime_error("scripted dialog failure");
        return answer.Result;
    }
};

} // namespace orvanto

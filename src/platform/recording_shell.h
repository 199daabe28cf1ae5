#pragma once

#include "platform/shell.h"

#include <string>
#include <vector>

namespace orvanto {

// Test double: records what it was asked to open or start; Fail makes every
// request report failure.
class TRecordingShell final : public IShell {
public:
    struct TRequest {
        bool IsProgram = false;
        std::string Target;
        std::string Parameters;
        std::string WorkingFolder;
    };
    std::vector<TRequest> Requests;
    bool Fail = false;

    bool OpenDocument(const std::string& target, const std::string& parameters,
                      const std::string& workingFolder) override
    {
        Requests.push_back({false, target, parameters, workingFolder});
        return !Fail;
    }
    bool StartProgram(const std::string& program, const std::string& parameters,
                      const std::string& workingFolder) override
    {
        Requests.push_back({true, program, parameters, workingFolder});
        return !Fail;
    }
};

} // namespace orvanto

#pragma once

#include <string>
#include <vector>

namespace orvanto {

// One run of the built orvanto-tool, as a user's shell would make it.
struct TToolRun {
    int Status = -1; // -1 when it crashed or did not finish in two minutes
    std::string Out;
    std::string Err;
};

TToolRun RunOrvantoTool(const std::vector<std::string>& arguments);

} // namespace orvanto

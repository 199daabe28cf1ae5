#pragma once

#include <string>
#include <vector>

// One run of the built orvanto as a user's shell (or a print queue) would
// start it: a data area of its own, Qt's offscreen platform, the print
// server of the environment unless another is given.
struct TOrvantoRun {
    int Status = -1; // -1 when it crashed or was still running after the limit
    std::string Err;
    double Seconds = 0;
};

TOrvantoRun RunOrvanto(const std::vector<std::string>& arguments, const std::string& dataHome,
                       const std::string& cupsServer = {}, int limitSeconds = 120);

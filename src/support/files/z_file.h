#pragma once

namespace orvanto {

// Keeps the data area's "TEMP" folder from filling up: each clean-up pass
// deletes a few of the "*.ZMP" files found there that are older (or, with a
// clock that was set back, newer) than about eight minutes. Nothing is
// reported; a pass that meets any failure just stops.
class TZFile {
public:
    // 0.00578 days, about 8 minutes 19 seconds.
    static constexpr double AgeLimitDays = 0.00578;
    static constexpr int DeletionsPerPass = 4;

    TZFile() = default;
    TZFile(const TZFile&) = delete;
    TZFile& operator=(const TZFile&) = delete;
    // Freeing the instance at program exit runs one more pass.
    ~TZFile();

    void CleanUp();
};

// The process-wide instance, created on first use; null when that fails.
TZFile* ZFile();
// Frees the instance (running its pass); the next ZFile() creates a new one.
void FreeZFile();

// The program-exit steps: the explicit pass that comes before the
// process-wide services are freed ...
void RunTemporaryFileCleanup();
// ... and, after they are freed, the removal of the picture file an earlier
// version left in the settings folder.
void DeleteLeftoverPicture();

} // namespace orvanto

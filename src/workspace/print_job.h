#pragma once

// One print job: the page rendered into a page bitmap of the quality's size
// within the memory budget, placed by the same layout as the preview, and
// stretched over the printer's page. When memory runs short the budget
// drops a step at a time and the page is rendered again; a device that
// fails once gets no second page. Before each step that can fail the job
// writes the step's message to LastError, so a failure (an exception
// included) leaves the message of the step it happened in.
//
// A poster (see poster_plan.h) is one job of as many pages as sheets; the
// printer's copy count prints the whole set that many times.
//
// Run is meant for a worker thread: the job keeps its own copies of the
// layout and the picture (the picture is shared, not duplicated), so the
// window may change its own meanwhile. Percent and Cancel may be called
// from any thread while it runs.

#include "workspace/page_layout.h"

#include <QImage>

#include <atomic>
#include <cstdint>
#include <string>

namespace orvanto {

class IPrinter;

class TPrintJob {
public:
    TPrintJob(IPrinter& printer, const TPageLayout& layout, const QImage& picture,
              std::uint32_t background);

    // Begins, renders, sends and ends the job. budget ends as the last one
    // used. False, with LastError, when the job failed; it is then aborted.
    // False with an empty LastError when it was cancelled before the
    // printer had it: the job is aborted, nothing of it prints.
    bool Run(std::int64_t& budget);
    // How far Run has come, 10..90 while it runs (the hand-over is the rest).
    int Percent() const;
    // Stops the drawing at its next block of rows; a job already handed to
    // the printer is not called back.
    void Cancel() { FCancel.store(true); }
    bool Cancelled() const { return FCancel.load(); }

    const std::string& LastError() const { return FLastError; }
    // The page bitmap last rendered (zero sizes before the first) and the
    // budget it was rendered with.
    const TLastPrint& LastPrint() const { return FLastPrint; }

private:
    // One page (a poster's sheet) with the memory retries; false when it
    // failed and the job was aborted.
    bool SendPage(int sheet, int& width, int& height, std::int64_t& budget);
    QImage Render(int sheet, int width, int height);

    // Aborts the open job for a cancel; always false, for Run to return.
    bool Abandon();

    IPrinter& FPrinter;
    const TPageLayout FLayout;
    const QImage FPicture;
    QImage FSource; // the part of the picture that prints
    TPosterPlan FPlan; // no sheets: one page
    std::uint32_t FBackground;
    std::string FLastError;
    TLastPrint FLastPrint;
    std::atomic<bool> FCancel{false};
    // Progress: how many sheets, how many sent, and how much of the one
    // being drawn.
    std::atomic<int> FSheets{1};
    std::atomic<int> FDrawn{0}; // thousandths of the current sheet's bitmap
    std::atomic<int> FSent{0};  // sheets handed to the printer
};

} // namespace orvanto

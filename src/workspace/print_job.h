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

#include "workspace/page_layout.h"

#include <QImage>

#include <cstdint>
#include <functional>
#include <string>

namespace orvanto {

class IPrinter;

class TPrintJob {
public:
    // Everything is read, not copied: the job lives within one Print.
    TPrintJob(IPrinter& printer, const TPageLayout& layout, const QImage& picture,
              std::uint32_t background, std::function<void(int)> progress);

    // Begins, renders, sends and ends the job. budget ends as the last one
    // used. False, with LastError, when the job failed; it is then aborted.
    bool Run(std::int64_t& budget);

    const std::string& LastError() const { return FLastError; }
    // The page bitmap last rendered (zero sizes before the first) and the
    // budget it was rendered with.
    const TLastPrint& LastPrint() const { return FLastPrint; }

private:
    // One page (a poster's sheet) with the memory retries; false when it
    // failed and the job was aborted.
    bool SendPage(int sheet, int& width, int& height, std::int64_t& budget);
    QImage Render(int sheet, int width, int height) const;

    IPrinter& FPrinter;
    const TPageLayout& FLayout;
    const QImage& FPicture;
    QImage FSource; // the part of the picture that prints
    TPosterPlan FPlan; // no sheets: one page
    std::uint32_t FBackground;
    std::function<void(int)> FProgress;
    std::string FLastError;
    TLastPrint FLastPrint;
};

} // namespace orvanto

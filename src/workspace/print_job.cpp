#include "workspace/print_job.h"

#include "platform/printer.h"
#include "support/messages.h"
#include "workspace/page_bitmap.h"

namespace orvanto {

namespace {

constexpr std::int64_t RetryStep = 1000000;
constexpr std::int64_t SmallestRetryBudget = 2000000;

} // namespace

TPrintJob::TPrintJob(IPrinter& printer, const TPageLayout& layout, const QImage& picture,
                     std::uint32_t background, std::function<void(int)> progress)
    : FPrinter(printer), FLayout(layout), FPicture(picture), FBackground(background),
      FProgress(std::move(progress))
{
}

bool TPrintJob::Run(std::int64_t& budget)
{
    const TPrintWorkspaceInfo& info = FLayout.Info();
    const int quality = info.Quality;
    int width = QualityDimension(FLayout.PrintBitmapWidth(), quality);
    int height = QualityDimension(FLayout.PrintBitmapHeight(), quality);
    FitPageBitmap(width, height, budget);

    FPrinter.SetTitle(info.Texts.JobTitle);
    FLastError = Messages::PrintJobNotStarted;
    if (!FPrinter.BeginDoc())
        return false;

    const QRect page(0, 0, info.Geometry.PageWidth, info.Geometry.PageHeight);
    for (;;) {
        FLastError = Messages::OutOfMemory;
        TStretchResult result = TStretchResult::OutOfMemory;
        {
            QImage bitmap = Render(width, height);
            if (!bitmap.isNull()) {
                FLastPrint.Width = bitmap.width();
                FLastPrint.Height = bitmap.height();
                FLastPrint.Budget = std::int32_t(budget);
                if (FProgress)
                    FProgress(60);
                result = FPrinter.StretchToDevice(bitmap, page);
            }
        }
        if (result == TStretchResult::Drawn)
            break;
        if (result == TStretchResult::DeviceFailed) {
            // Only memory is worth another attempt; a device that failed
            // once gets no half-drawn page sent.
            FLastError = Messages::PrinterFailedOnPage;
            FPrinter.AbortDoc();
            return false;
        }
        // A smaller page bitmap: the budget drops a step at a time, and the
        // quality rule still applies, so a Low job never grows on a retry.
        // Budgets that would give no smaller bitmap are passed over.
        const std::int64_t failed = std::int64_t(width) * height;
        bool smaller = false;
        while (!smaller && budget >= SmallestRetryBudget) {
            budget -= RetryStep;
            const auto [w, h] = FLayout.FitPrintBitmap(budget);
            width = QualityDimension(w, quality);
            height = QualityDimension(h, quality);
            FitPageBitmap(width, height, budget);
            smaller = std::int64_t(width) * height < failed;
        }
        if (!smaller) {
            FLastError = Messages::OutOfMemory;
            FPrinter.AbortDoc();
            return false;
        }
    }
    FLastError = Messages::PrintJobRefused;
    return FPrinter.EndDoc();
}

QImage TPrintJob::Render(int width, int height) const
{
    const TPageGeometry& page = FLayout.Info().Geometry;
    TPlacementRequest request;
    request.FactorX = (long double)width / page.PageWidth;
    request.FactorY = (long double)height / page.PageHeight;
    request.PictureWidth = FPicture.width();
    request.PictureHeight = FPicture.height();
    request.SurfaceWidth = width;
    request.SurfaceHeight = height;
    const TPlacement at = FLayout.Place(request);
    return DrawPageBitmap(FPicture, width, height, at.Left, at.Top, at.Width, at.Height, FBackground);
}

} // namespace orvanto

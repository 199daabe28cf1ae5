#include "workspace/print_job.h"

#include "platform/printer.h"
#include "support/messages/messages.h"
#include "workspace/page_bitmap.h"
#include "workspace/poster_sheet.h"

#include <algorithm>

namespace orvanto {

namespace {

constexpr std::int64_t RetryStep = 1000000;
constexpr std::int64_t SmallestRetryBudget = 2000000;

} // namespace

TPrintJob::TPrintJob(IPrinter& printer, const TPageLayout& layout, const QImage& picture,
                     std::uint32_t background)
    : FPrinter(printer), FLayout(layout), FPicture(picture), FBackground(background)
{
}

int TPrintJob::Percent() const
{
    const int sheets = std::max(FSheets.load(), 1);
    // Drawing takes most of a page's time; stretching it over the device
    // (compressing it for the print system) the rest.
    const double page = FSent.load() + 0.625 * FDrawn.load() / 1000.0;
    return std::clamp(10 + int(80 * page / sheets), 10, 90);
}

bool TPrintJob::Abandon()
{
    FLastError.clear();
    FPrinter.AbortDoc();
    return false;
}

bool TPrintJob::Run(std::int64_t& budget)
{
    const TPrintWorkspaceInfo& info = FLayout.Info();
    const int quality = info.Quality;
    int width = QualityDimension(FLayout.PrintBitmapWidth(), quality);
    int height = QualityDimension(FLayout.PrintBitmapHeight(), quality);
    FitPageBitmap(width, height, budget);

    // Fill prints the centre of the picture: that part alone is scaled.
    FLastError = Messages::OutOfMemory;
    const TSourcePart part = FLayout.Source(FPicture.width(), FPicture.height());
    const bool whole = part.Left == 0 && part.Top == 0 && part.Width == FPicture.width()
                       && part.Height == FPicture.height();
    FSource = whole ? FPicture : FPicture.copy(part.Left, part.Top, part.Width, part.Height);
    if (FSource.isNull() && !FPicture.isNull())
        return false;
    if (FLayout.PosterApplies(FPicture.width(), FPicture.height())) {
        FPlan = FLayout.PosterPlan(FPicture.width(), FPicture.height());
        if (FPlan.Sheets.empty())
            return false;
    }

    const int sheets = FPlan.Sheets.empty() ? 1 : int(FPlan.Sheets.size());
    FSheets.store(sheets);
    if (Cancelled()) {
        FLastError.clear();
        return false;
    }
    FPrinter.SetTitle(info.Texts.JobTitle);
    FLastError = Messages::PrintJobNotStarted;
    if (!FPrinter.BeginDoc())
        return false;
    for (int sheet = 0; sheet < sheets; ++sheet) {
        FLastError = Messages::PrinterFailedOnPage;
        if (sheet > 0 && !FPrinter.NewPage()) {
            FPrinter.AbortDoc();
            return false;
        }
        if (!SendPage(sheet, width, height, budget))
            return false;
        FDrawn.store(0);
        FSent.store(sheet + 1);
    }
    // Until EndDoc the print system has nothing of the job: a cancel that
    // came during the last stretch still keeps it from printing.
    if (FCancel.load())
        return Abandon();
    FLastError = Messages::PrintJobRefused;
    return FPrinter.EndDoc();
}

bool TPrintJob::SendPage(int sheet, int& width, int& height, std::int64_t& budget)
{
    const TPageGeometry& geometry = FLayout.Info().Geometry;
    const QRect page(0, 0, geometry.PageWidth, geometry.PageHeight);
    const int quality = FLayout.Info().Quality;
    for (;;) {
        FLastError = Messages::OutOfMemory;
        TStretchResult result = TStretchResult::OutOfMemory;
        {
            QImage bitmap = Render(sheet, width, height);
            // A drawing stopped half way is no page: the job goes, and
            // nothing of it prints.
            if (Cancelled())
                return Abandon();
            if (!bitmap.isNull()) {
                FLastPrint.Width = bitmap.width();
                FLastPrint.Height = bitmap.height();
                FLastPrint.Budget = std::int32_t(budget);
                result = FPrinter.StretchToDevice(bitmap, page);
            }
        }
        if (result == TStretchResult::Drawn)
            return true;
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
}

QImage TPrintJob::Render(int sheet, int width, int height)
{
    FDrawn.store(0);
    const TScaleWatch watch{&FCancel, &FDrawn};
    const TPageGeometry& page = FLayout.Info().Geometry;
    if (!FPlan.Sheets.empty()) {
        const auto [w, h] = FLayout.PrintedSize(FPicture.width(), FPicture.height());
        TPosterSheetPage sheetPage;
        sheetPage.PageWidth = page.PageWidth;
        sheetPage.PageHeight = page.PageHeight;
        sheetPage.Dpi = FLayout.PrinterDpiX();
        sheetPage.PictureWidth = w;
        sheetPage.PictureHeight = h;
        sheetPage.Background = FBackground;
        return DrawPosterSheet(FSource, FPlan, FPlan.Sheets[std::size_t(sheet)], sheetPage, width, height, watch);
    }
    TPlacementRequest request;
    request.FactorX = (long double)width / page.PageWidth;
    request.FactorY = (long double)height / page.PageHeight;
    request.PictureWidth = FPicture.width();
    request.PictureHeight = FPicture.height();
    request.SurfaceWidth = width;
    request.SurfaceHeight = height;
    const TPlacement at = FLayout.Place(request);
    return DrawPageBitmap(FSource, width, height, at.Left, at.Top, at.Width, at.Height, FBackground, watch);
}

} // namespace orvanto

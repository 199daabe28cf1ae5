#pragma once

#include "platform/printer.h"
#include "platform/qt/page_form.h"
#include "platform/qt/postscript_job.h"
#include "platform/qt/raster_job.h"

#include <QImage>
#include <QRect>

#include <functional>
#include <memory>
#include <vector>

class QPrinter;

namespace orvanto {

// The current CUPS destination through one long-lived QPrinter in high
// resolution mode. The QPrinter is made on first use, so installing this
// service costs nothing and does not talk to CUPS yet; the printer, copy
// count and orientation chosen in the print dialog stay on it.
class TQtPrinter final : public IPrinter {
public:
    // How the page bitmap travels to CUPS inside the PostScript job we
    // write (see postscript_job.h): JPEG (quality 94) keeps a 5-megapixel
    // page to a few hundred kilobytes and passes the print system's filters
    // untouched; the lossless deflated pixels are several times larger for
    // photographs and are decoded and compressed again on the way.
    enum class TTransfer { Jpeg, Lossless };

    explicit TQtPrinter(TTransfer transfer = TTransfer::Jpeg);
    ~TQtPrinter() override;

    std::vector<std::string> PrinterNames() override;
    std::string CurrentPrinterName() override;
    bool SelectPrinter(const std::string& name) override;
    std::string PaperName() override;
    bool SetPaper(const std::string& pwgName) override;
    int Copies() override;
    void SetCopies(int copies) override;
    int Orientation() override;
    void SetOrientation(int orientation) override;
    int DpiX() override;
    int DpiY() override;
    int PageWidth() override;
    int PageHeight() override;
    int PrintableLeft() override;
    int PrintableTop() override;
    void SetTitle(const std::string& title) override;
    std::string Title() override;
    bool BeginDoc() override;
    TStretchResult StretchToDevice(const QImage& bitmap, const QRect& destination) override;
    bool NewPage() override;
    bool EndDoc() override;
    void AbortDoc() override;
    bool PrintDialog(int copies) override;

private:
    QPrinter& Device();
    bool HasDevice();
    QRect PrintableRect();
    QRect InRaster(const QRect& device);
    // Hands one document to CUPS: write passes its bytes to the sink.
    bool Submit(const char* format, const std::function<bool(const TRasterJob::TSink&)>& write);

    TTransfer FTransfer;
    std::unique_ptr<QPrinter> FPrinter;
    bool FJobOpen = false;
    TPostScriptJob FJob;
    // Chosen when the job opens: a raster for printers that take one.
    TPageForm FForm;
    TRasterJob FRasterJob;
};

} // namespace orvanto

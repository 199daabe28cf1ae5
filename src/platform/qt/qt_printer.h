#pragma once

#include "platform/printer.h"
#include "platform/qt/cups_print_job.h"
#include "platform/qt/cups_printer_watcher.h"
#include "platform/qt/page_form.h"
#include "platform/qt/postscript_job.h"
#include "platform/qt/raster_job.h"

#include <QImage>
#include <QRect>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QPrinter;

namespace orvanto {

// The current CUPS destination. Nothing here asks the print system in the
// caller's thread: a printer watcher keeps the printers and the current
// one's paper and resolution, and each job is handed over and followed by a
// worker (cups_print_job.h). Only the print dialog talks to CUPS from the
// window, and it opens only while the server answers.
//
// A job (BeginDoc to EndDoc or AbortDoc) may run in a worker thread while
// the window reads the facts, the job's status and the settings: those are
// kept under a lock that is never held while a page is drawn, compressed
// or waited for.
class TQtPrinter final : public IPrinter {
public:
    // How the page bitmap travels to CUPS inside the PostScript job we
    // write (see postscript_job.h): JPEG (quality 94) keeps a 5-megapixel
    // page to a few hundred kilobytes and passes the print system's filters
    // untouched; the lossless deflated pixels are several times larger for
    // photographs and are decoded and compressed again on the way.
    enum class TTransfer { Jpeg, Lossless };

    // lastKnown: the facts to lay pages out by until the server first
    // answers. onChange runs in a worker thread whenever the facts or the
    // job's status change; it must not block.
    explicit TQtPrinter(TTransfer transfer = TTransfer::Jpeg, TPrinterFacts lastKnown = TPrinterFacts(),
                        std::function<void()> onChange = {});
    // Waits for a job still being handed over, so that none is lost.
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
    TPrinterFacts Facts() override;
    TJobStatus JobStatus() override;
    void CancelJob() override;
    bool WaitForHandOver(std::chrono::milliseconds limit) override;

private:
    // The paper chosen in the print dialog, for the printer it was chosen on.
    struct TChosenPaper {
        std::string Printer;
        std::string Media;
        int Width = 0, Height = 0, Left = 0, Top = 0, Right = 0, Bottom = 0; // hundredths of a mm
    };
    // A rectangle in device pixels on the oriented page, in the raster's pixels.
    QRect InRaster(const QRect& device, const TPrinterFacts& facts, int orientation) const;

    // The watcher's facts with the dialog's paper laid over them; the
    // second with FMutex held.
    TPrinterFacts Device();
    TPrinterFacts DeviceLocked();
    bool Metrics(const TPrinterFacts& facts) const;
    // With FMutex held.
    std::vector<std::pair<std::string, std::string>> JobOptions(const TPrinterFacts& facts);
    void RememberDialog();

    const std::function<void()> FOnChange;
    TCupsPrinterWatcher FWatcher;
    // Guards the settings, the job's state and FJob; the page being made
    // (FPage, FForm, FRasterJob) belongs to the thread that runs the job.
    mutable std::mutex FMutex;
    int FCopies = 1;
    int FOrientation = 0;
    std::string FTitle;
    bool FJobOpen = false;
    TPostScriptJob FPage;
    // Shared, so that a wait for its hand-over holds no lock.
    std::shared_ptr<TCupsPrintJob> FJob;
    // The dialog's printer object keeps the user's choices from one dialog
    // to the next; made only when the dialog first opens.
    std::unique_ptr<QPrinter> FDialogPrinter;
    TChosenPaper FChosenPaper;
    // Set before the server answered: it goes with whichever printer is current then.
    bool FPaperForAny = false;
    // The printer SelectPrinter chose; pending until the server first answers.
    std::string FTargetPrinter;
    bool FTargetPending = false;
    std::vector<std::pair<std::string, std::string>> FChosenOptions;
    // Chosen when the job opens: a raster for printers that take one.
    TPageForm FForm;
    TRasterJob FRasterJob;
};

} // namespace orvanto

#pragma once

#include "platform/print_job_status.h"
#include "platform/printer_watcher.h"

#include <QImage>
#include <QRect>

#include <chrono>
#include <string>
#include <vector>

namespace orvanto {

// How a stretch call ended. Running out of memory while preparing the
// bitmap for the device is worth a retry with a smaller bitmap; a device
// that refuses the page is not.
enum class TStretchResult { Drawn, DeviceFailed, OutOfMemory };

// The operating system's current printer, as one long-lived printer object:
// the default printer until the print dialog chooses another, and the copy
// count and orientation set on it stay with it. Nothing here throws; what
// cannot be read comes back as the neutral value documented per call.
class IPrinter {
public:
    virtual ~IPrinter() = default;

    // The installed printers; empty when there are none or the list cannot
    // be read.
    virtual std::vector<std::string> PrinterNames() = 0;
    // The current printer's name; empty when there is none.
    virtual std::string CurrentPrinterName() = 0;
    // Makes the named printer the current one. False, nothing changed, when
    // no printer has that name.
    virtual bool SelectPrinter(const std::string& name) = 0;
    // The paper as a PWG media name ("iso_a4_210x297mm"); empty when unknown.
    virtual std::string PaperName() = 0;
    // False, paper unchanged, when the current printer has no such paper.
    virtual bool SetPaper(const std::string& pwgName) = 0;

    // 1 when the count cannot be read. The setter keeps what the device
    // accepts, so read the count back to learn what it became.
    virtual int Copies() = 0;
    virtual void SetCopies(int copies) = 0;
    // 0 portrait, 1 landscape; other values are ignored by the setter.
    virtual int Orientation() = 0;
    virtual void SetOrientation(int orientation) = 0;

    // Logical dots per inch and the printable area (not the paper) in device
    // pixels, for the current orientation; 0 when the printer cannot be asked.
    virtual int DpiX() = 0;
    virtual int DpiY() = 0;
    virtual int PageWidth() = 0;
    virtual int PageHeight() = 0;
    // Where the printable area begins: device pixels from the paper's left
    // and top edges as the page is oriented; 0 when unknown.
    virtual int PrintableLeft() = 0;
    virtual int PrintableTop() = 0;

    // A job holds one page: BeginDoc opens the job and its page, EndDoc
    // finishes both and hands the job to the print system. The title is the
    // one the print queue shows.
    virtual void SetTitle(const std::string& title) = 0;
    virtual std::string Title() = 0;
    virtual bool BeginDoc() = 0;
    // Draws a 24-bit bitmap scaled over destination, a rectangle of the
    // printable area in device pixels (origin at its top left). Outside a
    // job the device refuses.
    virtual TStretchResult StretchToDevice(const QImage& bitmap, const QRect& destination) = 0;
    // Later stretches go on a new page of the same job (a poster's next
    // sheet). False outside a job.
    virtual bool NewPage() = 0;
    // True when the job reached the print system.
    virtual bool EndDoc() = 0;
    // Abandons the open job so that nothing of it prints; nothing without one.
    virtual void AbortDoc() = 0;

    // The print dialog, preset with copies. True when the user confirmed;
    // the printer, copy count and orientation chosen there then belong to
    // this object. False at once when the print server does not answer.
    virtual bool PrintDialog(int copies) = 0;

    // --- the print system as last seen; none of these waits for it ---
    // What the printer watcher last learned. By default: a print system
    // that answers, with the printers above.
    virtual TPrinterFacts Facts();
    // The last job handed over; Phase None before the first.
    virtual TJobStatus JobStatus() { return {}; }
    // Asks the print system to cancel the last job, unless it ended.
    virtual void CancelJob() {}
    // Waits up to limit while the last job is being handed over; true when
    // the print system holds it, or there is no job.
    virtual bool WaitForHandOver(std::chrono::milliseconds) { return true; }
};

// Stands in until the program installs the real printer: no printers, no
// metrics, every job refused. It needs neither a display nor a print system,
// so the command-line tool and tests never touch either by accident.
class TNoPrinter final : public IPrinter {
public:
    std::vector<std::string> PrinterNames() override { return {}; }
    std::string CurrentPrinterName() override { return {}; }
    bool SelectPrinter(const std::string&) override { return false; }
    std::string PaperName() override { return {}; }
    bool SetPaper(const std::string&) override { return false; }
    int Copies() override { return 1; }
    void SetCopies(int) override {}
    int Orientation() override { return 0; }
    void SetOrientation(int) override {}
    int DpiX() override { return 0; }
    int DpiY() override { return 0; }
    int PageWidth() override { return 0; }
    int PageHeight() override { return 0; }
    int PrintableLeft() override { return 0; }
    int PrintableTop() override { return 0; }
    void SetTitle(const std::string& title) override { FTitle = title; }
    std::string Title() override { return FTitle; }
    bool BeginDoc() override { return false; }
    TStretchResult StretchToDevice(const QImage&, const QRect&) override
    {
        return TStretchResult::DeviceFailed;
    }
    bool NewPage() override { return false; }
    bool EndDoc() override { return false; }
    void AbortDoc() override {}
    bool PrintDialog(int) override { return false; }

private:
    std::string FTitle;
};

} // namespace orvanto

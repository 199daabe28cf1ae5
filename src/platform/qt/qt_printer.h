#pragma once

#include "platform/printer.h"

#include <QImage>
#include <QRect>

#include <memory>
#include <vector>

class QPrinter;

// The current CUPS destination through one long-lived QPrinter in high
// resolution mode. The QPrinter is made on first use, so installing this
// service costs nothing and does not talk to CUPS yet; the printer, copy
// count and orientation chosen in the print dialog stay on it.
class TQtPrinter final : public IPrinter {
public:
    // How the page bitmap travels to CUPS inside the PDF that Qt writes:
    // JPEG (quality 94) keeps a 5-megapixel page to a few hundred kilobytes
    // and spools faster than the lossless deflated pixels, which are several
    // times larger for photographs.
    enum class TTransfer { Jpeg, Lossless };

    explicit TQtPrinter(TTransfer transfer = TTransfer::Jpeg);
    ~TQtPrinter() override;

    std::vector<std::string> PrinterNames() override;
    std::string CurrentPrinterName() override;
    int Copies() override;
    void SetCopies(int copies) override;
    int Orientation() override;
    void SetOrientation(int orientation) override;
    int DpiX() override;
    int DpiY() override;
    int PageWidth() override;
    int PageHeight() override;
    void SetTitle(const std::string& title) override;
    std::string Title() override;
    bool BeginDoc() override;
    TStretchResult StretchToDevice(const QImage& bitmap, const QRect& destination) override;
    bool EndDoc() override;
    void AbortDoc() override;
    bool PrintDialog(int copies) override;

private:
    QPrinter& Device();
    bool HasDevice();
    QRect PrintableRect();

    struct TPendingDrawing {
        QImage Bitmap;
        QRect Destination;
    };

    TTransfer Transfer_;
    std::unique_ptr<QPrinter> Printer_;
    bool JobOpen_ = false;
    std::vector<TPendingDrawing> Pending_;
};

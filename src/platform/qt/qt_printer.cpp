#include "platform/qt/qt_printer.h"

#include "support/messages/translation_hook.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimer>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <QPrintEngine>

#include <cups/cups.h>

#include <cmath>
#include <new>

namespace orvanto {

TQtPrinter::TQtPrinter(TTransfer transfer)
    : FTransfer(transfer),
      FJob(transfer == TTransfer::Jpeg ? TPostScriptJob::TCompression::Jpeg : TPostScriptJob::TCompression::Deflate)
{
}

// A job still open when the program ends is abandoned: it never reached
// the device.
TQtPrinter::~TQtPrinter() = default;

QPrinter& TQtPrinter::Device()
{
    if (!FPrinter) {
        FPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
        // We place the printable area on the paper ourselves (see
        // PrintableRect), so the painter starts at the paper's corner.
        FPrinter->setFullPage(true);
    }
    return *FPrinter;
}

namespace {

double PointsPer(QPageLayout::Unit unit)
{
    switch (unit) {
    case QPageLayout::Millimeter: return 72.0 / 25.4;
    case QPageLayout::Inch: return 72.0;
    case QPageLayout::Pica: return 12.0;
    case QPageLayout::Didot: return 1.07;
    case QPageLayout::Cicero: return 12.84;
    case QPageLayout::Point: break;
    }
    return 1.0;
}

} // namespace

// The printable area in device pixels on the paper as the page is oriented.
// The device reports its unprintable margins for the paper upright, and Qt
// keeps them unturned for a landscape page, which would put the landscape
// page's edges where the printer cannot print. A landscape page lies on the
// paper turned a quarter counter-clockwise (the CUPS convention), so its left
// edge is the paper's bottom edge, its top the paper's left, and so on.
QRect TQtPrinter::PrintableRect()
{
    QPrinter& printer = Device();
    const QPageLayout layout = printer.pageLayout();
    const QMarginsF upright = layout.minimumMargins() * PointsPer(layout.units());
    const QMarginsF margins = layout.orientation() == QPageLayout::Landscape
        ? QMarginsF(upright.bottom(), upright.left(), upright.top(), upright.right())
        : upright;
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const double scale = printer.resolution() / 72.0;
    const int left = int(std::lround(margins.left() * scale));
    const int top = int(std::lround(margins.top() * scale));
    const int right = int(std::lround(paper.width() - margins.right() * scale));
    const int bottom = int(std::lround(paper.height() - margins.bottom() * scale));
    if (right <= left || bottom <= top)
        return {};
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

// Without any printer QPrinter quietly turns into a PDF writer with no file
// name; that is not a printer, so everything then behaves as if none were
// there.
bool TQtPrinter::HasDevice()
{
    QPrinter& printer = Device();
    return printer.outputFormat() == QPrinter::NativeFormat && !printer.printerName().isEmpty()
        && printer.isValid();
}

std::vector<std::string> TQtPrinter::PrinterNames()
{
    std::vector<std::string> names;
    const QStringList list = QPrinterInfo::availablePrinterNames();
    for (const QString& name : list)
        names.push_back(name.toStdString());
    return names;
}

std::string TQtPrinter::CurrentPrinterName()
{
    return HasDevice() ? Device().printerName().toStdString() : std::string();
}

bool TQtPrinter::SelectPrinter(const std::string& name)
{
    const QString wanted = QString::fromStdString(name);
    if (name.empty() || FJobOpen || !QPrinterInfo::availablePrinterNames().contains(wanted))
        return false;
    Device().setPrinterName(wanted);
    Device().setFullPage(true);
    return HasDevice() && Device().printerName() == wanted;
}

// Qt names papers by their PPD keys ("A4", "Letter"); CUPS translates
// between those and the PWG names that mean the same on every printer.
std::string TQtPrinter::PaperName()
{
    if (!HasDevice())
        return {};
    const QByteArray key = Device().pageLayout().pageSize().key().toUtf8();
    const pwg_media_t* media = pwgMediaForPPD(key.constData());
    if (!media) {
        const QSizeF mm = Device().pageLayout().pageSize().size(QPageSize::Millimeter);
        media = pwgMediaForSize(int(std::lround(mm.width() * 100)), int(std::lround(mm.height() * 100)));
    }
    return media && media->pwg ? std::string(media->pwg) : std::string();
}

bool TQtPrinter::SetPaper(const std::string& pwgName)
{
    const pwg_media_t* media = pwgMediaForPWG(pwgName.c_str());
    if (!media || FJobOpen || !HasDevice())
        return false;
    // Only a paper the printer offers: the closest of its sizes within a
    // millimetre, which also finds papers the printer keys differently.
    const QList<QPageSize> offered = QPrinterInfo(Device()).supportedPageSizes();
    for (const QPageSize& size : offered) {
        const QSizeF mm = size.size(QPageSize::Millimeter);
        if (std::abs(mm.width() * 100 - media->width) <= 100 && std::abs(mm.height() * 100 - media->length) <= 100) {
            Device().setPageSize(size);
            Device().setFullPage(true);
            return true;
        }
    }
    return false;
}

int TQtPrinter::Copies()
{
    const int copies = Device().copyCount();
    return copies >= 1 ? copies : 1;
}

void TQtPrinter::SetCopies(int copies)
{
    Device().setCopyCount(copies < 1 ? 1 : copies);
}

int TQtPrinter::Orientation()
{
    return Device().pageLayout().orientation() == QPageLayout::Landscape ? 1 : 0;
}

void TQtPrinter::SetOrientation(int orientation)
{
    if (orientation == 0)
        Device().setPageOrientation(QPageLayout::Portrait);
    else if (orientation == 1)
        Device().setPageOrientation(QPageLayout::Landscape);
}

int TQtPrinter::DpiX()
{
    return HasDevice() ? Device().logicalDpiX() : 0;
}

int TQtPrinter::DpiY()
{
    return HasDevice() ? Device().logicalDpiY() : 0;
}

int TQtPrinter::PageWidth()
{
    return HasDevice() ? PrintableRect().width() : 0;
}

int TQtPrinter::PageHeight()
{
    return HasDevice() ? PrintableRect().height() : 0;
}

int TQtPrinter::PrintableLeft()
{
    return HasDevice() ? PrintableRect().left() : 0;
}

int TQtPrinter::PrintableTop()
{
    return HasDevice() ? PrintableRect().top() : 0;
}

void TQtPrinter::SetTitle(const std::string& title)
{
    Device().setDocName(QString::fromStdString(title));
}

std::string TQtPrinter::Title()
{
    return Device().docName().toStdString();
}

// The job collects its page images, compressed as they come, and reaches
// CUPS only in EndDoc: a job abandoned before then has never touched the
// print system, and nothing prints.
bool TQtPrinter::BeginDoc()
{
    if (FJobOpen || !HasDevice())
        return false;
    FJob.Clear();
    FRasterJob.Clear();
    FForm = PageFormOf(Device().printerName().section(QLatin1Char('/'), 0, 0).toStdString());
    FJobOpen = true;
    return true;
}

// Device pixels are Qt's (1200 dpi); the raster has the printer's own.
QRect TQtPrinter::InRaster(const QRect& device)
{
    const double k = double(FForm.Dpi) / Device().resolution();
    const auto at = [k](int v) { return int(std::lround(v * k)); };
    return QRect(QPoint(at(device.left()), at(device.top())),
                 QPoint(at(device.left() + device.width()) - 1, at(device.top() + device.height()) - 1));
}

TStretchResult TQtPrinter::StretchToDevice(const QImage& bitmap, const QRect& destination)
{
    if (!FJobOpen || bitmap.isNull() || destination.isEmpty())
        return TStretchResult::DeviceFailed;
    // Destinations are given on the printable area in device pixels; the
    // raster places them in pixels on the page, the PostScript job in points.
    if (FForm.Raster)
        return FRasterJob.Add(bitmap, InRaster(destination.translated(PrintableRect().topLeft())))
            ? TStretchResult::Drawn
            : TStretchResult::OutOfMemory;
    const double points = 72.0 / Device().resolution();
    const QRectF placed(destination.translated(PrintableRect().topLeft()));
    const QRectF onPage(placed.left() * points, placed.top() * points, placed.width() * points,
                        placed.height() * points);
    return FJob.Add(bitmap, onPage) ? TStretchResult::Drawn : TStretchResult::OutOfMemory;
}

bool TQtPrinter::NewPage()
{
    if (!FJobOpen)
        return false;
    FJob.NewPage();
    return true;
}

bool TQtPrinter::EndDoc()
{
    if (!FJobOpen)
        return false;
    FJobOpen = false;
    try {
        QPrinter& printer = Device();
        const QPageLayout layout = printer.pageLayout();
        // Nothing reaches the paper outside the printable area, as on a
        // device that cannot print there.
        const double points = 72.0 / printer.resolution();
        const QRect printable = PrintableRect();
        const QRectF clip(printable.left() * points, printable.top() * points, printable.width() * points,
                          printable.height() * points);
        const bool landscape = layout.orientation() == QPageLayout::Landscape;
        if (FForm.Raster) {
            // Whole pixels of the paper, cut as the print system cuts them
            // (A4 at 600 dpi: 4960 x 7015); Qt's own count starts from
            // whole points and comes out short.
            const QSizeF mm = layout.pageSize().size(QPageSize::Millimeter);
            const auto pixels = [this](double length) { return int(length * FForm.Dpi / 25.4 + 1e-6); };
            const TRasterJob::TPaper paper{{pixels(mm.width()), pixels(mm.height())}, layout.pageSize().sizePoints(),
                                           FForm.Dpi, landscape, InRaster(printable)};
            const bool sent = Submit(TRasterJob::MimeType(FForm.Format), [&](const TRasterJob::TSink& sink) {
                return FRasterJob.Write(FForm.Format, paper, sink);
            });
            FRasterJob.Clear();
            return sent;
        }
        const QByteArray document = FJob.Document(layout.pageSize().sizePoints(), landscape, clip);
        FJob.Clear();
        return Submit(CUPS_FORMAT_POSTSCRIPT, [&document](const TRasterJob::TSink& sink) {
            return sink(document.constData(), std::size_t(document.size()));
        });
    } catch (const std::bad_alloc&) {
        FJob.Clear();
        FRasterJob.Clear();
        return false;
    }
}

// The job goes to CUPS with the settings Qt's own print engine would send:
// paper, copies, collation, sides and whatever the print dialog chose. The
// page is already turned on the paper, so no orientation is asked for.
bool TQtPrinter::Submit(const char* format, const std::function<bool(const TRasterJob::TSink&)>& write)
{
    QPrinter& printer = Device();
    // A printer instance ("name/instance") prints on its printer.
    const QByteArray destination = printer.printerName().section(QLatin1Char('/'), 0, 0).toLocal8Bit();
    const QByteArray title = printer.docName().toLocal8Bit();
    cups_option_t* options = nullptr;
    int count = 0;
    count = cupsAddOption("media", printer.pageLayout().pageSize().key().toLocal8Bit().constData(), count, &options);
    const int copies = printer.copyCount();
    if (copies > 1) {
        count = cupsAddOption("copies", QByteArray::number(copies).constData(), count, &options);
        if (printer.collateCopies())
            count = cupsAddOption("Collate", "True", count, &options);
    }
    const char* sides = "one-sided";
    switch (printer.duplex()) {
    case QPrinter::DuplexNone: break;
    case QPrinter::DuplexAuto:
        sides = printer.pageLayout().orientation() == QPageLayout::Portrait ? "two-sided-long-edge"
                                                                            : "two-sided-short-edge";
        break;
    case QPrinter::DuplexLongSide: sides = "two-sided-long-edge"; break;
    case QPrinter::DuplexShortSide: sides = "two-sided-short-edge"; break;
    }
    count = cupsAddOption("sides", sides, count, &options);
    // The print dialog's choices, as name and value pairs.
    constexpr auto CupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);
    const QStringList chosen = printer.printEngine() ? printer.printEngine()->property(CupsOptions).toStringList()
                                                     : QStringList();
    for (qsizetype i = 0; i + 1 < chosen.size(); i += 2)
        count = cupsAddOption(chosen[i].toLocal8Bit().constData(), chosen[i + 1].toLocal8Bit().constData(), count,
                              &options);

    bool sent = false;
    const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, destination.constData(), title.constData(), count, options);
    if (job > 0) {
        sent = cupsStartDocument(CUPS_HTTP_DEFAULT, destination.constData(), job, title.constData(), format, 1)
                == HTTP_STATUS_CONTINUE
            && write([](const char* data, std::size_t size) {
                   return cupsWriteRequestData(CUPS_HTTP_DEFAULT, data, size) == HTTP_STATUS_CONTINUE;
               });
        sent = cupsFinishDocument(CUPS_HTTP_DEFAULT, destination.constData()) == IPP_STATUS_OK && sent;
        if (!sent)
            cupsCancelJob2(CUPS_HTTP_DEFAULT, destination.constData(), job, 0);
    }
    cupsFreeOptions(count, options);
    return sent;
}

void TQtPrinter::AbortDoc()
{
    FJobOpen = false;
    FJob.Clear();
    FRasterJob.Clear();
}

bool TQtPrinter::PrintDialog(int copies)
{
    // A dialog nobody can see would wait for ever: on Qt's offscreen platform
    // (unattended runs) it counts as cancelled.
    const bool visible = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr
        && QGuiApplication::platformName() != QLatin1String("offscreen")
        && QGuiApplication::platformName() != QLatin1String("minimal");
    if (!visible || !HasDevice() || FJobOpen)
        return false;
    SetCopies(copies);
    QPrintDialog dialog(&Device(), QApplication::activeWindow());
    // This dialog only sets the printer up: it is named after the menu item
    // that opens it, its buttons say OK and Cancel rather than "Print", and
    // it offers no page range (one picture is one page).
    dialog.setWindowTitle(QString::fromStdString(TranslateForDisplay("Printer Setup")));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QCoreApplication::translate("QPlatformTheme", "OK"));
    // Qt keeps the page range box, greyed, whatever the options say: it is
    // taken away once the dialog is up (showing it sets its visibility).
    QTimer::singleShot(0, &dialog, [&dialog] {
        QWidget* range = dialog.findChild<QWidget*>(QStringLiteral("gbPrintRange"));
        if (!range)
            if (QWidget* all = dialog.findChild<QWidget*>(QStringLiteral("printAll")))
                range = all->parentWidget();
        if (range)
            range->hide();
    });
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    // Whatever the dialog did to the printer, we keep placing the printable
    // area ourselves.
    Device().setFullPage(true);
    return confirmed;
}

} // namespace orvanto

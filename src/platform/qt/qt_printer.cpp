#include "platform/qt/qt_printer.h"

#include "support/translation_hook.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimer>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>
#include <new>

namespace orvanto {

TQtPrinter::TQtPrinter(TTransfer transfer) : FTransfer(transfer) {}

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

void TQtPrinter::SetTitle(const std::string& title)
{
    Device().setDocName(QString::fromStdString(title));
}

std::string TQtPrinter::Title()
{
    return Device().docName().toStdString();
}

// Qt's print engines cannot take back a page once the painter has drawn
// it: aborting still hands the job to CUPS. So the job collects its
// drawings and the painter runs only in EndDoc; a job abandoned before then
// has never touched the device, and nothing prints.
bool TQtPrinter::BeginDoc()
{
    if (FJobOpen || !HasDevice())
        return false;
    FPending.clear();
    FJobOpen = true;
    return true;
}

TStretchResult TQtPrinter::StretchToDevice(const QImage& bitmap, const QRect& destination)
{
    if (!FJobOpen || bitmap.isNull() || destination.isEmpty())
        return TStretchResult::DeviceFailed;
    try {
        // The PDF engine works on 32-bit pixels; converting here, where a
        // failure can still be told apart, is the copy it would make anyway.
        QImage device = bitmap.convertToFormat(QImage::Format_RGB32);
        if (device.isNull())
            return TStretchResult::OutOfMemory;
        FPending.push_back({std::move(device), destination});
    } catch (const std::bad_alloc&) {
        return TStretchResult::OutOfMemory;
    }
    return TStretchResult::Drawn;
}

bool TQtPrinter::EndDoc()
{
    if (!FJobOpen)
        return false;
    FJobOpen = false;
    std::vector<TPendingDrawing> drawings;
    drawings.swap(FPending);
    QPainter painter;
    if (!painter.begin(&Device()))
        return false;
    // Destinations are given on the printable area, and nothing reaches
    // the paper outside it, as on a device that cannot print there.
    const QRect printable = PrintableRect();
    painter.translate(printable.topLeft());
    painter.setClipRect(QRect(QPoint(0, 0), printable.size()));
    painter.setRenderHint(QPainter::LosslessImageRendering, FTransfer == TTransfer::Lossless);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    for (TPendingDrawing& drawing : drawings) {
        painter.drawImage(QRectF(drawing.Destination), drawing.Bitmap);
        drawing.Bitmap = QImage(); // gone as soon as it is drawn
    }
    const bool drawn = painter.isActive();
    const bool ended = painter.end();
    return drawn && ended && Device().printerState() != QPrinter::Error;
}

void TQtPrinter::AbortDoc()
{
    FJobOpen = false;
    FPending.clear();
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

#include "platform/qt/qt_printer.h"

#include "support/messages/translation_hook.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>

#include <cups/cups.h>

#include <algorithm>
#include <cmath>
#include <new>

namespace orvanto {

namespace {

int PointsToHundredths(double points)
{
    return int(std::lround(points * 2540.0 / 72.0));
}

double HundredthsToPoints(int hundredths)
{
    return hundredths * 72.0 / 2540.0;
}

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

// A printer instance ("name/instance") prints on its printer.
std::string QueueOf(const std::string& printer)
{
    return printer.substr(0, printer.find('/'));
}

} // namespace

TQtPrinter::TQtPrinter(TTransfer transfer, TPrinterFacts lastKnown, std::function<void()> onChange)
    : FOnChange(std::move(onChange)),
      FWatcher(std::move(lastKnown), FOnChange),
      FPage(transfer == TTransfer::Jpeg ? TPostScriptJob::TCompression::Jpeg : TPostScriptJob::TCompression::Deflate)
{
}

// The job's destructor waits for its hand-over; an open job that never
// reached EndDoc is abandoned: it never touched the print system.
TQtPrinter::~TQtPrinter() = default;

TPrinterFacts TQtPrinter::Device()
{
    const std::lock_guard lock(FMutex);
    return DeviceLocked();
}

TPrinterFacts TQtPrinter::DeviceLocked()
{
    TPrinterFacts facts = FWatcher.Facts();
    if (facts.Answered() && FTargetPending) {
        // The printer asked for before the server answered: chosen when listed.
        FTargetPending = false;
        if (std::find(facts.Printers.begin(), facts.Printers.end(), FTargetPrinter) != facts.Printers.end())
            FWatcher.Select(FTargetPrinter);
        else
            FTargetPrinter.clear();
    }
    if (facts.Answered() && FPaperForAny) {
        FPaperForAny = false;
        FChosenPaper.Printer = FTargetPrinter.empty() ? facts.Current : FTargetPrinter;
    }
    // A printer just chosen is current from now on, though the watcher
    // reads its paper and resolution only in its next round.
    if (facts.Answered() && !FTargetPrinter.empty() && !FTargetPending && facts.Current != FTargetPrinter
        && std::find(facts.Printers.begin(), facts.Printers.end(), FTargetPrinter) != facts.Printers.end())
        facts.Current = FTargetPrinter;
    if (!FChosenPaper.Printer.empty() && FChosenPaper.Printer == facts.Current) {
        facts.Media = FChosenPaper.Media;
        facts.PaperWidth = FChosenPaper.Width;
        facts.PaperHeight = FChosenPaper.Height;
        facts.MarginLeft = FChosenPaper.Left;
        facts.MarginTop = FChosenPaper.Top;
        facts.MarginRight = FChosenPaper.Right;
        facts.MarginBottom = FChosenPaper.Bottom;
    }
    return facts;
}

// Until the server first answers, and while it is silent, the page is laid
// out by the last known printer; a print system that answers without a
// printer, or none at all, has no metrics, and callers use their defaults.
bool TQtPrinter::Metrics(const TPrinterFacts& facts) const
{
    switch (facts.Server) {
    case TServerState::Asking:
    case TServerState::Silent: return true;
    case TServerState::Answers: return !facts.Current.empty();
    case TServerState::Unreachable: break;
    }
    return false;
}

std::vector<std::string> TQtPrinter::PrinterNames()
{
    const TPrinterFacts facts = FWatcher.Facts();
    return facts.Answered() ? facts.Printers : std::vector<std::string>();
}

std::string TQtPrinter::CurrentPrinterName()
{
    const TPrinterFacts facts = Device();
    return facts.HasPrinter() ? facts.Current : std::string();
}

// Before the server first answers the printer is only remembered; it is
// chosen once the server lists it, and a printer it does not list leaves the
// default in place.
bool TQtPrinter::SelectPrinter(const std::string& name)
{
    const std::lock_guard lock(FMutex);
    const TPrinterFacts facts = FWatcher.Facts();
    if (name.empty() || FJobOpen || facts.Server == TServerState::Unreachable)
        return false;
    if (facts.Answered() && std::find(facts.Printers.begin(), facts.Printers.end(), name) == facts.Printers.end())
        return false;
    FTargetPrinter = name;
    FTargetPending = !facts.Answered();
    if (!FTargetPending)
        FWatcher.Select(name);
    if (FDialogPrinter)
        FDialogPrinter->setPrinterName(QString::fromStdString(name));
    return true;
}

// The dialog names papers by their PPD keys ("A4", "Letter"); CUPS
// translates between those and the PWG names that mean the same on every
// printer.
std::string TQtPrinter::PaperName()
{
    const TPrinterFacts facts = Device();
    if (!Metrics(facts) || facts.Media.empty())
        return {};
    const pwg_media_t* media = pwgMediaForPWG(facts.Media.c_str());
    if (!media)
        media = pwgMediaForPPD(facts.Media.c_str());
    if (!media)
        media = pwgMediaForSize(facts.PaperWidth, facts.PaperHeight);
    return media && media->pwg ? std::string(media->pwg) : facts.Media;
}

// The paper goes with the printer it is set for, with that printer's
// unprintable margins.
bool TQtPrinter::SetPaper(const std::string& pwgName)
{
    const pwg_media_t* media = pwgMediaForPWG(pwgName.c_str());
    const std::lock_guard lock(FMutex);
    if (!media || !media->pwg || media->width <= 0 || media->length <= 0 || FJobOpen)
        return false;
    const TPrinterFacts facts = FWatcher.Facts();
    const std::string printer = FTargetPrinter.empty() ? facts.Current : FTargetPrinter;
    if ((printer.empty() && facts.Answered()) || facts.Server == TServerState::Unreachable)
        return false;
    FChosenPaper = {printer, media->pwg, media->width, media->length,
                    facts.MarginLeft, facts.MarginTop, facts.MarginRight, facts.MarginBottom};
    FPaperForAny = printer.empty();
    return true;
}

int TQtPrinter::Copies()
{
    const std::lock_guard lock(FMutex);
    return FCopies;
}

void TQtPrinter::SetCopies(int copies)
{
    const std::lock_guard lock(FMutex);
    FCopies = copies < 1 ? 1 : copies;
}

int TQtPrinter::Orientation()
{
    const std::lock_guard lock(FMutex);
    return FOrientation;
}

void TQtPrinter::SetOrientation(int orientation)
{
    const std::lock_guard lock(FMutex);
    if (orientation == 0 || orientation == 1)
        FOrientation = orientation;
}

int TQtPrinter::DpiX()
{
    const TPrinterFacts facts = Device();
    return Metrics(facts) ? facts.DpiX : 0;
}

int TQtPrinter::DpiY()
{
    const TPrinterFacts facts = Device();
    return Metrics(facts) ? facts.DpiY : 0;
}

int TQtPrinter::PageWidth()
{
    const std::lock_guard lock(FMutex);
    const TPrinterFacts facts = DeviceLocked();
    return Metrics(facts) ? PrintableArea(facts, FOrientation).width() : 0;
}

int TQtPrinter::PageHeight()
{
    const std::lock_guard lock(FMutex);
    const TPrinterFacts facts = DeviceLocked();
    return Metrics(facts) ? PrintableArea(facts, FOrientation).height() : 0;
}

int TQtPrinter::PrintableLeft()
{
    const std::lock_guard lock(FMutex);
    const TPrinterFacts facts = DeviceLocked();
    return Metrics(facts) ? PrintableOffset(facts, FOrientation).x() : 0;
}

int TQtPrinter::PrintableTop()
{
    const std::lock_guard lock(FMutex);
    const TPrinterFacts facts = DeviceLocked();
    return Metrics(facts) ? PrintableOffset(facts, FOrientation).y() : 0;
}

void TQtPrinter::SetTitle(const std::string& title)
{
    const std::lock_guard lock(FMutex);
    FTitle = title;
}

std::string TQtPrinter::Title()
{
    const std::lock_guard lock(FMutex);
    return FTitle;
}

// The job collects its page images, compressed as they come, and reaches
// CUPS only in EndDoc: a job abandoned before then has never touched the
// print system, and nothing prints.
bool TQtPrinter::BeginDoc()
{
    std::string queue;
    {
        const std::lock_guard lock(FMutex);
        const TPrinterFacts facts = FWatcher.Facts();
        if (FJobOpen || !facts.HasPrinter())
            return false;
        FJobOpen = true;
        queue = QueueOf(facts.Current);
    }
    FPage.Clear();
    FRasterJob.Clear();
    // Asks CUPS for the queue's driver: the job's thread may wait here, the
    // window does not.
    FForm = PageFormOf(queue);
    return true;
}

TStretchResult TQtPrinter::StretchToDevice(const QImage& bitmap, const QRect& destination)
{
    TPrinterFacts facts;
    int orientation = 0;
    {
        const std::lock_guard lock(FMutex);
        if (!FJobOpen || bitmap.isNull() || destination.isEmpty())
            return TStretchResult::DeviceFailed;
        facts = DeviceLocked();
        orientation = FOrientation;
    }
    // Destinations are given on the printable area in device pixels; the
    // raster places them in pixels on the paper, the PostScript job in points.
    const QRect onPaper = destination.translated(PrintableOffset(facts, orientation));
    if (FForm.Raster)
        return FRasterJob.Add(bitmap, InRaster(onPaper, facts, orientation)) ? TStretchResult::Drawn
                                                                             : TStretchResult::OutOfMemory;
    const double pointsX = 72.0 / facts.DpiX;
    const double pointsY = 72.0 / facts.DpiY;
    const double across = orientation == 1 ? pointsY : pointsX;
    const double down = orientation == 1 ? pointsX : pointsY;
    const QRectF placed(onPaper);
    const QRectF onPage(placed.left() * across, placed.top() * down, placed.width() * across, placed.height() * down);
    return FPage.Add(bitmap, onPage) ? TStretchResult::Drawn : TStretchResult::OutOfMemory;
}

bool TQtPrinter::NewPage()
{
    if (const std::lock_guard lock(FMutex); !FJobOpen)
        return false;
    if (FForm.Raster)
        FRasterJob.NewPage();
    else
        FPage.NewPage();
    return true;
}

std::vector<std::pair<std::string, std::string>> TQtPrinter::JobOptions(const TPrinterFacts& facts)
{
    std::vector<std::pair<std::string, std::string>> options{{"media", facts.Media}};
    if (FCopies > 1)
        options.emplace_back("copies", std::to_string(FCopies));
    bool sides = false;
    for (const auto& option : FChosenOptions) {
        options.push_back(option);
        sides = sides || option.first == "sides";
    }
    // The page is already turned on the paper, so no orientation is asked
    // for; one side unless the dialog chose two.
    if (!sides)
        options.emplace_back("sides", "one-sided");
    return options;
}

// Hands the page to a worker that sends it and follows it; the previous
// job's hand-over, if any is still going, ends first.
bool TQtPrinter::EndDoc()
{
    TPrinterFacts facts;
    int orientation = 0;
    std::string title;
    std::vector<std::pair<std::string, std::string>> options;
    {
        const std::lock_guard lock(FMutex);
        if (!FJobOpen)
            return false;
        FJobOpen = false;
        facts = DeviceLocked();
        orientation = FOrientation;
        title = FTitle;
        options = JobOptions(facts);
    }
    try {
        if (!facts.HasPrinter()) {
            FPage.Clear();
            return false;
        }
        const QSizeF paper(HundredthsToPoints(facts.PaperWidth), HundredthsToPoints(facts.PaperHeight));
        // Nothing reaches the paper outside the printable area, as on a
        // device that cannot print there.
        const QRect area = PrintableArea(facts, orientation);
        const QPoint offset = PrintableOffset(facts, orientation);
        TCupsDocument document{QueueOf(facts.Current), title, std::move(options), {}};
        if (FForm.Raster) {
            // Whole pixels of the paper, cut as the print system cuts them
            // (A4 at 600 dpi: 4960 x 7015).
            const auto pixels = [this](int hundredths) { return int(hundredths / 2540.0 * FForm.Dpi + 1e-6); };
            const TRasterJob::TPaper sheet{{pixels(facts.PaperWidth), pixels(facts.PaperHeight)}, paper, FForm.Dpi,
                                           orientation == 1, InRaster(QRect(offset, area.size()), facts, orientation)};
            const bool written = FRasterJob.Write(FForm.Format, sheet, [&document](const char* data, std::size_t size) {
                document.Bytes.append(data, qsizetype(size));
                return true;
            });
            FRasterJob.Clear();
            if (!written)
                return false;
            document.Format = TRasterJob::MimeType(FForm.Format);
        } else {
            const double across = 72.0 / (orientation == 1 ? facts.DpiY : facts.DpiX);
            const double down = 72.0 / (orientation == 1 ? facts.DpiX : facts.DpiY);
            const QRectF clip(offset.x() * across, offset.y() * down, area.width() * across, area.height() * down);
            document.Bytes = FPage.Document(paper, orientation == 1, clip);
            FPage.Clear();
        }
        // The previous job's hand-over ends before this one's begins; its
        // wait holds no lock, so the window keeps reading the status.
        std::shared_ptr<TCupsPrintJob> previous;
        {
            const std::lock_guard lock(FMutex);
            previous = std::move(FJob);
        }
        previous.reset();
        auto job = std::make_shared<TCupsPrintJob>(std::move(document), FOnChange);
        const std::lock_guard lock(FMutex);
        FJob = std::move(job);
        return true;
    } catch (const std::bad_alloc&) {
        FPage.Clear();
        FRasterJob.Clear();
        return false;
    }
}

void TQtPrinter::AbortDoc()
{
    {
        const std::lock_guard lock(FMutex);
        FJobOpen = false;
    }
    FPage.Clear();
    FRasterJob.Clear();
}

QRect TQtPrinter::InRaster(const QRect& device, const TPrinterFacts& facts, int orientation) const
{
    // The device's resolution goes with the paper's axes; a landscape page
    // turns the paper.
    const double kx = double(FForm.Dpi) / (orientation == 1 ? facts.DpiY : facts.DpiX);
    const double ky = double(FForm.Dpi) / (orientation == 1 ? facts.DpiX : facts.DpiY);
    const auto at = [](int v, double k) { return int(std::lround(v * k)); };
    return QRect(QPoint(at(device.left(), kx), at(device.top(), ky)),
                 QPoint(at(device.left() + device.width(), kx) - 1, at(device.top() + device.height(), ky) - 1));
}

TPrinterFacts TQtPrinter::Facts()
{
    return Device();
}

TJobStatus TQtPrinter::JobStatus()
{
    const std::lock_guard lock(FMutex);
    return FJob ? FJob->Status() : TJobStatus();
}

void TQtPrinter::CancelJob()
{
    const std::lock_guard lock(FMutex);
    if (FJob && !FJob->Status().Ended())
        FJob->Cancel();
}

bool TQtPrinter::WaitForHandOver(std::chrono::milliseconds limit)
{
    std::shared_ptr<TCupsPrintJob> job;
    {
        const std::lock_guard lock(FMutex);
        job = FJob;
    }
    return !job || job->WaitHandedOver(limit);
}

// What the dialog chose stays with this object: the printer (followed by
// the watcher from now on), copies, orientation, paper and options.
void TQtPrinter::RememberDialog()
{
    const std::lock_guard lock(FMutex);
    QPrinter& printer = *FDialogPrinter;
    const std::string name = printer.printerName().toStdString();
    FWatcher.Select(name);
    FTargetPrinter = name;
    FTargetPending = false;
    FPaperForAny = false;
    FCopies = printer.copyCount() >= 1 ? printer.copyCount() : 1;
    const QPageLayout layout = printer.pageLayout();
    FOrientation = layout.orientation() == QPageLayout::Landscape ? 1 : 0;
    const QSizeF size = layout.pageSize().size(QPageSize::Point);
    // Qt reports the unprintable margins for the paper upright, whatever
    // the orientation.
    const QMarginsF margins = layout.minimumMargins() * PointsPer(layout.units());
    FChosenPaper = {name,
                    layout.pageSize().key().toStdString(),
                    PointsToHundredths(size.width()),
                    PointsToHundredths(size.height()),
                    PointsToHundredths(margins.left()),
                    PointsToHundredths(margins.top()),
                    PointsToHundredths(margins.right()),
                    PointsToHundredths(margins.bottom())};
    FChosenOptions.clear();
    switch (printer.duplex()) {
    case QPrinter::DuplexNone: break;
    case QPrinter::DuplexAuto:
    case QPrinter::DuplexLongSide: FChosenOptions.emplace_back("sides", "two-sided-long-edge"); break;
    case QPrinter::DuplexShortSide: FChosenOptions.emplace_back("sides", "two-sided-short-edge"); break;
    }
    if (FCopies > 1 && printer.collateCopies())
        FChosenOptions.emplace_back("Collate", "True");
    // The print dialog's own choices, as name and value pairs.
    constexpr auto CupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);
    const QStringList chosen =
        printer.printEngine() ? printer.printEngine()->property(CupsOptions).toStringList() : QStringList();
    for (qsizetype i = 0; i + 1 < chosen.size(); i += 2)
        FChosenOptions.emplace_back(chosen[i].toStdString(), chosen[i + 1].toStdString());
}

bool TQtPrinter::PrintDialog(int copies)
{
    // A dialog nobody can see would wait for ever: on Qt's offscreen platform
    // (unattended runs) it counts as cancelled. Qt's dialog asks CUPS in
    // this thread, so it opens only while the server answers.
    const bool visible = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr
        && QGuiApplication::platformName() != QLatin1String("offscreen")
        && QGuiApplication::platformName() != QLatin1String("minimal");
    const TPrinterFacts facts = FWatcher.Facts();
    if (!visible || !facts.HasPrinter())
        return false;
    if (const std::lock_guard lock(FMutex); FJobOpen)
        return false;
    SetCopies(copies);
    if (!FDialogPrinter) {
        FDialogPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
        FDialogPrinter->setPrinterName(QString::fromStdString(facts.Current));
    }
    QPrinter& printer = *FDialogPrinter;
    printer.setCopyCount(Copies());
    printer.setPageOrientation(Orientation() == 1 ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPrintDialog dialog(&printer, QApplication::activeWindow());
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
    if (confirmed)
        RememberDialog();
    return confirmed;
}

} // namespace orvanto

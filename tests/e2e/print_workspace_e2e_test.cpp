// Prints through the workspace core and the real Qt printer service into
// the private CUPS server (scripts/print-server), and finds on the rendered
// PDF page where the picture landed: within half a millimetre of where the
// layout and the printable area put it, for every scale and position.
#include "platform/platform.h"
#include "platform/qt/qt_printer.h"
#include "platform/recording_clipboard.h"
#include "tests/test_support.h"
#include "workspace/print_workspace.h"

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace orvanto;

namespace {

constexpr double PointMm = 25.4 / 72.0;
constexpr int RenderDpi = 300;
// The private server's A4 printable area starts this far from the paper's
// left and top edge, in points; the bottom margin turns to the left in
// landscape (scripts/print-server).
constexpr double LeftPt = 18, TopPt = 842 - 818, BottomPt = 36;
const QColor Ink(220, 0, 0);

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool Run(const QString& program, const QStringList& arguments, QByteArray* output = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    const bool ok = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
    if (output)
        *output = process.readAllStandardOutput();
    return ok;
}

bool QueueEmpties()
{
    for (int i = 0; i < 1200; ++i) {
        QByteArray jobs;
        if (Run("lpstat", {"-o"}, &jobs) && jobs.trimmed().isEmpty())
            return true;
        QThread::msleep(100);
    }
    return false;
}

// The page cups-pdf wrote for a job title (it names the file after it),
// rendered at RenderDpi; null when there is none. cups-pdf keeps letters,
// digits and "-" and turns everything else into "_".
QImage PrintedPage(const std::string& title, const QDateTime& since, const std::string& folder)
{
    QString prefix;
    for (char c : title)
        prefix += std::isalnum(static_cast<unsigned char>(c)) || c == '-' ? QChar(c) : QChar('_');
    while (prefix.startsWith('_'))
        prefix.remove(0, 1);
    while (prefix.endsWith('_'))
        prefix.chop(1);
    const QDir pdfs(QString::fromStdString(Env("ORVANTO_PDF_DIR")));
    const QFileInfoList found = pdfs.entryInfoList({prefix + "-job_*.pdf"}, QDir::Files, QDir::Time);
    if (found.isEmpty() || found.front().lastModified() < since.addSecs(-1))
        return {};
    const QString out = QString::fromStdString(folder) + prefix;
    if (!Run("pdftoppm", {"-r", QString::number(RenderDpi), "-f", "1", "-l", "1", "-singlefile",
                          found.front().absoluteFilePath(), out}))
        return {};
    return QImage(out + ".ppm");
}

// The box of the pixels near the ink, in millimetres of the rendered page.
QRectF InkBox(const QImage& page)
{
    int left = page.width(), top = page.height(), right = -1, bottom = -1;
    const QImage rgb = page.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const int dr = qRed(row[x]) - Ink.red(), dg = qGreen(row[x]), db = qBlue(row[x]);
            if (dr * dr + dg * dg + db * db < 100 * 100) {
                left = std::min(left, x);
                right = std::max(right, x + 1);
                top = std::min(top, y);
                bottom = std::max(bottom, y + 1);
            }
        }
    }
    const double mm = 25.4 / RenderDpi;
    return right < 0 ? QRectF() : QRectF(left * mm, top * mm, (right - left) * mm, (bottom - top) * mm);
}

TEST(PrintWorkspaceEndToEnd, ThePictureLandsWhereTheLayoutPutsIt)
{
    if (Env("CUPS_SERVER").empty() || Env("ORVANTO_PDF_DIR").empty()) {
        if (Env("ORVANTO_REQUIRE_PRINTER") == "1")
            FAIL() << "ORVANTO_REQUIRE_PRINTER=1 but no private print server";
        GTEST_SKIP() << "no private print server (scripts/print-server start; eval its env)";
    }
    const struct {
        const char* Name; // becomes the job title
        int Scale, Position, Orientation;
        std::int32_t Zoom1, Zoom2, X, Y;
    } cases[] = {
        {"Actual Size Top Left", psActualSize, ppTopLeft, poPortrait, 0, 0, 0, 0},
        {"Scale to Page Center", psScaleToPage, ppCenter, poPortrait, 0, 0, 0, 0},
        {"Fit to Page", psFitToPage, ppCenter, poPortrait, 0, 0, 0, 0},
        {"As Is Bottom Right", psAsIs, ppBottomRight, poPortrait, 0, 0, 0, 0},
        {"Custom Top Right", psCustom, ppTopRight, poPortrait, 50, -800, 0, 0},
        {"Custom Fixed Bottom Left", psCustomFixed, ppBottomLeft, poLandscape, 100, 0, 0, 0},
        {"Custom Fixed Custom", psCustomFixed, ppCustom, poPortrait, -1600, 0, 700, 1100},
    };
    auto previousPrinter = Platform().SetPrinter(std::make_unique<TQtPrinter>());
    auto clipboard = std::make_unique<TRecordingClipboard>();
    clipboard->Content = QImage(600, 400, QImage::Format_BGR888);
    clipboard->Content.fill(Ink);
    auto previousClipboard = Platform().SetClipboard(std::move(clipboard));
    auto previousScreen = Platform().SetScreen(std::make_unique<TFixedScreen>(96));
    const std::string folder = MakeTempFolder("printed");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TPrintWorkspace workspace;
        ASSERT_TRUE(workspace.PasteFromClipboard());
        TPrintWorkspaceInfo info = workspace.Info();
        info.PrinterName = c.Name;
        info.Quality = pqHigh;
        info.Scale = std::uint8_t(c.Scale);
        info.Position = std::uint8_t(c.Position);
        info.Orientation = std::uint8_t(c.Orientation);
        info.ZoomX = info.ZoomXY = c.Zoom1;
        info.ZoomY = c.Zoom2;
        info.X = c.X;
        info.Y = c.Y;
        workspace.ApplyInfo(info);

        const QDateTime started = QDateTime::currentDateTime();
        ASSERT_TRUE(workspace.Print()) << workspace.LastError();
        ASSERT_TRUE(QueueEmpties());
        QImage page = PrintedPage(workspace.Info().JobTitle, started, folder);
        ASSERT_FALSE(page.isNull()) << "no printed page for " << workspace.Info().JobTitle;
        // A landscape page lies on the A4 paper turned a quarter.
        const bool turned = c.Orientation == poLandscape;
        if (turned)
            page = page.transformed(QTransform().rotate(90));

        // Where the layout puts the picture, in page pixels, then millimetres.
        TPrintWorkspaceInfo placed = workspace.Info();
        placed.FactorX = placed.FactorY = 1;
        workspace.Layout().Layout(placed, placed.PageWidth, placed.PageHeight);
        const double dpi = workspace.Layout().PrinterDpiX();
        const double left = (turned ? BottomPt : LeftPt) * PointMm;
        const double top = (turned ? LeftPt : TopPt) * PointMm;
        const double pageRight = left + placed.PageWidth * 25.4 / dpi;
        const double pageBottom = top + placed.PageHeight * 25.4 / dpi;
        // The part of the picture on the printable area is what prints.
        const double x0 = std::max(left, left + placed.OutLeft * 25.4 / dpi);
        const double y0 = std::max(top, top + placed.OutTop * 25.4 / dpi);
        const double x1 = std::min(pageRight, left + (placed.OutLeft + placed.OutWidth) * 25.4 / dpi);
        const double y1 = std::min(pageBottom, top + (placed.OutTop + placed.OutHeight) * 25.4 / dpi);
        const QRectF found = InkBox(page);
        ASSERT_FALSE(found.isEmpty()) << "the picture did not print";
        std::printf("%s: expected (%.2f, %.2f)-(%.2f, %.2f) mm, found (%.2f, %.2f)-(%.2f, %.2f) mm\n",
                    c.Name, x0, y0, x1, y1, found.left(), found.top(), found.right(), found.bottom());
        EXPECT_NEAR(found.left(), x0, 0.5);
        EXPECT_NEAR(found.top(), y0, 0.5);
        EXPECT_NEAR(found.right(), x1, 0.5);
        EXPECT_NEAR(found.bottom(), y1, 0.5);
    }
    Platform().SetScreen(std::move(previousScreen));
    Platform().SetClipboard(std::move(previousClipboard));
    Platform().SetPrinter(std::move(previousPrinter));
}

} // namespace

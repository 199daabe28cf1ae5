// Prints through the workspace and the Qt printer into the private CUPS
// server (scripts/print-server) and finds where the picture landed.
#include "platform/platform.h"
#include "platform/qt/qt_printer.h"
#include "platform/recording_clipboard.h"
#include "tests/test_support.h"
#include "workspace/print_workspace.h"

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace orvanto;

namespace {

constexpr int RenderDpi = 300;
constexpr double Mm = 25.4;
// Margins of the server's A4 printable area, points (landscape: bottom left).
constexpr double LeftPt = 18, TopPt = 842 - 818, BottomPt = 36;
const QColor Ink(220, 0, 0);

// The page cups-pdf wrote for a job title (letters, digits and "-" kept,
// the rest "_"), rendered; null until it is there whole.
QImage PrintedPage(const std::string& title, const QDateTime& since, const QString& folder)
{
    QString prefix;
    for (char c : title)
        prefix += std::isalnum(static_cast<unsigned char>(c)) || c == '-' ? QChar(c) : QChar('_');
    prefix.remove(QRegularExpression("^_+|_+$"));
    const QDir pdfs(QString::fromLocal8Bit(std::getenv("ORVANTO_PDF_DIR")));
    const QFileInfoList found = pdfs.entryInfoList({prefix + "-job_*.pdf"}, QDir::Files, QDir::Time);
    if (found.isEmpty() || found.front().lastModified() < since.addSecs(-1))
        return {};
    const QString out = folder + prefix;
    const QStringList arguments = {"-q", "-r", QString::number(RenderDpi), "-singlefile",
                                   found.front().absoluteFilePath(), out};
    return QProcess::execute("pdftoppm", arguments) == 0 ? QImage(out + ".ppm") : QImage();
}

// The box of the pixels near the ink, in millimetres of the rendered page.
QRectF InkBox(const QImage& page)
{
    QRect box;
    const QImage rgb = page.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb p = rgb.pixel(x, y);
            const int dr = qRed(p) - Ink.red(), dg = qGreen(p), db = qBlue(p);
            if (dr * dr + dg * dg + db * db < 100 * 100)
                box |= QRect(x, y, 1, 1);
        }
    const double k = Mm / RenderDpi;
    return QRectF(box.left() * k, box.top() * k, box.width() * k, box.height() * k);
}

TEST(PrintWorkspaceEndToEnd, ThePictureLandsWhereTheLayoutPutsIt)
{
    if (!std::getenv("CUPS_SERVER") || !std::getenv("ORVANTO_PDF_DIR")) {
        if (std::getenv("ORVANTO_REQUIRE_PRINTER"))
            FAIL() << "ORVANTO_REQUIRE_PRINTER is set but there is no private print server";
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
    Platform().SetPrinter(std::make_unique<TQtPrinter>());
    auto clipboard = std::make_unique<TRecordingClipboard>();
    clipboard->Content = QImage(600, 400, QImage::Format_BGR888);
    clipboard->Content.fill(Ink);
    Platform().SetClipboard(std::move(clipboard));
    Platform().SetScreen(std::make_unique<TFixedScreen>(96));
    const QString folder = QString::fromStdString(MakeTempFolder("printed"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TPrintWorkspace workspace;
        ASSERT_TRUE(workspace.PasteFromClipboard());
        TPrintWorkspaceInfo info = workspace.Info();
        info.PrinterName = c.Name;
        info.Quality = pqHigh;
        info.Scale = TPrintScale(c.Scale);
        info.Position = TPrintPosition(c.Position);
        info.Orientation = TPrintOrientation(c.Orientation);
        info.ZoomX = info.ZoomXY = c.Zoom1;
        info.ZoomY = c.Zoom2;
        info.X = c.X;
        info.Y = c.Y;
        workspace.ApplyInfo(info);
        const QDateTime started = QDateTime::currentDateTime();
        ASSERT_TRUE(workspace.Print()) << workspace.LastError();
        QImage page;
        for (int i = 0; i < 600 && page.isNull(); ++i, QThread::msleep(200))
            page = PrintedPage(workspace.Info().Texts.JobTitle, started, folder);
        ASSERT_FALSE(page.isNull()) << "no printed page for " << workspace.Info().Texts.JobTitle;
        // A landscape page lies on the A4 paper turned a quarter.
        const bool turned = c.Orientation == poLandscape;
        if (turned)
            page = page.transformed(QTransform().rotate(90));

        // The layout's place on the printable area, cut at its edges, in mm.
        const TPageGeometry geometry = workspace.Info().Geometry;
        TPlacementRequest request;
        request.PictureWidth = geometry.PictureWidth;
        request.PictureHeight = geometry.PictureHeight;
        request.SurfaceWidth = geometry.PageWidth;
        request.SurfaceHeight = geometry.PageHeight;
        const TPlacement placed = workspace.Layout().Place(request);
        const double k = Mm / workspace.Layout().PrinterDpiX();
        const QRectF printable((turned ? BottomPt : LeftPt) * Mm / 72, (turned ? LeftPt : TopPt) * Mm / 72,
                               geometry.PageWidth * k, geometry.PageHeight * k);
        const QRectF expected = printable & QRectF(printable.left() + placed.Left * k,
                                                   printable.top() + placed.Top * k,
                                                   placed.Width * k, placed.Height * k);
        const QRectF found = InkBox(page);
        EXPECT_NEAR(found.left(), expected.left(), 0.5);
        EXPECT_NEAR(found.top(), expected.top(), 0.5);
        EXPECT_NEAR(found.right(), expected.right(), 0.5);
        EXPECT_NEAR(found.bottom(), expected.bottom(), 0.5);
    }
    Platform().SetPrinter(nullptr); // back to the default
}

} // namespace

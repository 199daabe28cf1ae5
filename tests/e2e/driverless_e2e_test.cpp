// Runs the built orvanto unattended against the private print server's
// driverless queue (scripts/print-server): the simulated IPP Everywhere
// printer keeps the raster it received, and the picture is found on it.
#include "platform/qt/qt_printer.h"
#include "tests/e2e/printed_page.h"
#include "tests/e2e/raster_page.h"
#include "tests/test_support.h"
#include "workspace/page_layout.h"

#include <QDir>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <tuple>

using namespace orvanto;

namespace {

// The simulated printer's A4 margins (hundredths of a millimetre in its
// media database), which the driverless queue takes over.
constexpr double LeftMm = 3.40, TopMm = 1.02, BottomMm = 11.68;

class DriverlessEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        Queue = Env("ORVANTO_DRIVERLESS_PRINTER");
        if (!Env("CUPS_SERVER").empty() && !Env("ORVANTO_RASTER_DIR").empty() && !Queue.empty())
            return;
        ASSERT_NE(Env("ORVANTO_REQUIRE_PRINTER"), "1") << "the print server's environment is not set";
        GTEST_SKIP() << "no private print server (scripts/print-server start, then eval its env)";
    }
    std::string Queue;
};

// The rasters the printer kept since the given time, newest first.
QStringList RastersSince(const QDateTime& since)
{
    const QDir folder(QString::fromStdString(Env("ORVANTO_RASTER_DIR")));
    QStringList found;
    for (const QFileInfo& file : folder.entryInfoList({"*.urf", "*.pwg"}, QDir::Files, QDir::Time))
        if (file.lastModified() >= since)
            found << file.absoluteFilePath();
    return found;
}

// The printer's queue as the user's default destination (LPDEST), for
// this process or for the program it starts.
struct TDefaultDestination {
    explicit TDefaultDestination(const std::string& queue) { qputenv("LPDEST", queue.c_str()); }
    ~TDefaultDestination() { qunsetenv("LPDEST"); }
};

TEST_F(DriverlessEndToEnd, AutoPrintPutsThePictureWhereTheLayoutSaysOnTheRaster)
{
    const struct {
        int Scale, Position, Orientation, X, Y, Zoom, Quality;
        int BkColor = 0xFF0000, UseBkColor = 0; // stored as 0x00BBGGRR
        int Copies = 1;
    } cases[] = {
        {psActualSize, ppTopLeft, poPortrait, 0, 0, 0, pqMedium},
        {psFitToPage, ppBottomRight, poLandscape, 0, 0, 0, pqLow},
        {psScaleToPage, ppCenter, poPortrait, 0, 0, 0, pqHigh, 0x00FFFF, 1},
        {psCustomFixed, ppCustom, poLandscape, 900, 500, -800, pqMedium, 0xFFFF00, 1},
        {psActualSize, ppCenter, poPortrait, 0, 0, 0, pqLow, 0xFF0000, 0, 2},
    };
    const TDefaultDestination destination(Queue);
    const std::string folder = MakeTempFolder("driverless"), picture = folder + "marked.bmp";
    ASSERT_TRUE(MarkedPicture(480, 320).save(QString::fromStdString(picture)));
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE("case " + std::to_string(++number));
        const std::string area = MakeTempFolder("driverless-area");
        const std::string settings = QString("[Settings]\nCopies=%10\nQuality=%1\nScale=%2\nPosition=%3\n"
                                             "Orientation=%4\nX=%5\nY=%6\nZoomX=%7\nZoomY=%7\nZoomXY=%7\n"
                                             "BkColor=%8\nUseBkColor=%9\n")
                                         .arg(c.Quality).arg(c.Scale).arg(c.Position).arg(c.Orientation).arg(c.X)
                                         .arg(c.Y).arg(c.Zoom).arg(c.BkColor).arg(c.UseBkColor).arg(c.Copies)
                                         .toStdString();
        QDir().mkpath(QString::fromStdString(area + "Quendal Enterprises/Settings"));
        ASSERT_TRUE(WriteWholeFile(area + "Quendal Enterprises/Settings/Orvanto.INI", settings));

        // Where the layout engine puts the picture on this printer's page.
        TQtPrinter printer;
        ASSERT_TRUE(WaitForFirstAnswer(printer));
        ASSERT_EQ(printer.CurrentPrinterName(), Queue);
        printer.SetOrientation(c.Orientation);
        const TDeviceMetrics device{printer.DpiX(), printer.DpiY(), printer.PageWidth(), printer.PageHeight(), 96};
        ASSERT_GT(device.PageWidth, 0);
        TPageLayout layout;
        TPrintWorkspaceInfo info = layout.Info();
        info.Scale = TPrintScale(c.Scale);
        info.Position = TPrintPosition(c.Position);
        info.Orientation = TPrintOrientation(c.Orientation);
        std::tie(info.X, info.Y, info.ZoomX, info.ZoomY, info.ZoomXY) = std::tuple(c.X, c.Y, c.Zoom, c.Zoom, c.Zoom);
        layout.ApplyInfo(info);
        layout.UpdatePageGeometry(device, 480, 320);
        TPlacementRequest request;
        request.PictureWidth = 480;
        request.PictureHeight = 320;
        request.SurfaceWidth = device.PageWidth;
        request.SurfaceHeight = device.PageHeight;
        const TPlacement placed = layout.Place(request);

        // File times are whole seconds on some file systems.
        QThread::msleep(1100);
        const QDateTime started = QDateTime::currentDateTime().addMSecs(-1000);
        QProcess orvanto;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", QString::fromStdString(area));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        orvanto.setProcessEnvironment(environment);
        orvanto.start(QStringLiteral(ORVANTO_BINARY_DIR "/bin/orvanto"), {QString::fromStdString(picture), "/AUTOPRINT"});
        ASSERT_TRUE(orvanto.waitForFinished(120000));
        ASSERT_EQ(orvanto.exitCode(), 0) << orvanto.readAllStandardError().toStdString();
        ASSERT_TRUE(WaitForQueueEmpty());
        // The printer takes one copy at a time: the print system sends the
        // page once for each.
        const QStringList files = RastersSince(started);
        ASSERT_EQ(files.size(), c.Copies) << "rasters the printer kept in " << Env("ORVANTO_RASTER_DIR");
        const TRasterPage raster = ReadRasterFile(files.front());
        ASSERT_FALSE(raster.Image.isNull()) << raster.Error.toStdString();
        EXPECT_EQ(raster.Dpi, 600) << "the printer's own resolution";
        // A4, upright, in whole pixels at that resolution.
        EXPECT_EQ(raster.Image.size(), QSize(4960, 7015));

        // The page as oriented, at the resolution the marks are measured in.
        const bool turned = c.Orientation == poLandscape;
        const QImage page = raster.Image.scaled(raster.Image.size() * RenderDpi / raster.Dpi)
                                .transformed(QTransform().rotate(turned ? 90 : 0));
        const double leftMm = turned ? BottomMm : LeftMm, topMm = turned ? LeftMm : TopMm;
        const double kx = 25.4 / device.PrinterDpiX, ky = 25.4 / device.PrinterDpiY;
        for (const TMark& mark : Marks) {
            const QRectF found = FindMark(page, mark.Color);
            ASSERT_FALSE(found.isEmpty()) << mark.Name << " mark missing";
            const double x = mark.Right ? placed.Left + placed.Width : placed.Left;
            const double y = mark.Bottom ? placed.Top + placed.Height : placed.Top;
            EXPECT_NEAR(PxToMm(mark.Right ? found.right() + 1 : found.left()), leftMm + x * kx, 0.3) << mark.Name;
            EXPECT_NEAR(PxToMm(mark.Bottom ? found.bottom() + 1 : found.top()), topMm + y * ky, 0.3) << mark.Name;
        }
        // The page colour fills the printable area around the picture, and
        // only it: the paper's margins stay white.
        const QColor paper(Qt::white);
        const QColor fill = c.UseBkColor ? QColor(c.BkColor & 0xFF, (c.BkColor >> 8) & 0xFF, c.BkColor >> 16) : paper;
        const QRectF printable(leftMm, topMm, device.PageWidth * kx, device.PageHeight * ky);
        const QRectF picture(printable.left() + placed.Left * kx, printable.top() + placed.Top * ky,
                             placed.Width * kx, placed.Height * ky);
        const auto colourAt = [&page](QPointF mm) {
            return page.pixelColor(int(mm.x() / PxToMm(1)), int(mm.y() / PxToMm(1)));
        };
        for (const QPointF inside : {printable.topLeft() + QPointF(0.5, 0.5), printable.bottomRight() - QPointF(0.5, 0.5),
                                     printable.topRight() + QPointF(-0.5, 0.5), printable.bottomLeft() + QPointF(0.5, -0.5)}) {
            if (picture.adjusted(-1, -1, 1, 1).contains(inside))
                continue; // the picture is there
            EXPECT_EQ(colourAt(inside), fill) << "at (" << inside.x() << ", " << inside.y() << ") mm";
        }
        for (const QPointF outside : {printable.topLeft() - QPointF(0, 0.3), printable.bottomRight() + QPointF(0, 0.3)})
            EXPECT_EQ(colourAt(outside), paper) << "the paper's margin at (" << outside.x() << ", " << outside.y() << ") mm";
    }
}

} // namespace

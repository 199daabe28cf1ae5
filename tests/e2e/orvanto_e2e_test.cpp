// Runs the built orvanto unattended, as a print queue or a script would:
// settings in the settings file, "orvanto picture /AUTOPRINT", and the page
// read back from the private print server's PDF.
#include "platform/qt/qt_printer.h"
#include "support/messages/general.h"
#include "tests/e2e/printed_page.h"
#include "tests/fake_print_server.h"
#include "tests/test_support.h"
#include "workspace/page_layout.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace orvanto {}
using namespace orvanto;

namespace {

struct TOrvantoRun {
    int Status = -1; // -1: crashed, or still running after the limit
    std::string Err;
};

// Where a run is told its display is: the offscreen platform named, no
// display named at all (cron), or a DISPLAY that names no display (ssh or
// cron that inherited one).
enum class TDisplay { Offscreen, None, Gone };

// The built orvanto as a script or a print queue starts it: its own data
// area, the display as given, the environment's print server unless
// another is named.
TOrvantoRun RunOrvanto(const QStringList& arguments, const std::string& dataHome,
                       const std::string& cupsServer = {}, int limitSeconds = 120,
                       TDisplay display = TDisplay::Offscreen)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", QString::fromStdString(dataHome));
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    if (display == TDisplay::Offscreen)
        environment.insert("QT_QPA_PLATFORM", "offscreen");
    if (display == TDisplay::Gone)
        environment.insert("DISPLAY", ":87");
    if (!cupsServer.empty())
        environment.insert("CUPS_SERVER", QString::fromStdString(cupsServer));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ORVANTO_BINARY_DIR "/bin/orvanto"), arguments);
    TOrvantoRun run;
    if (!process.waitForFinished(limitSeconds * 1000))
        process.kill();
    else if (process.exitStatus() == QProcess::NormalExit)
        run.Status = process.exitCode();
    process.waitForFinished();
    run.Err = process.readAllStandardError().toStdString();
    return run;
}

class OrvantoEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!Env("CUPS_SERVER").empty() && !Env("ORVANTO_PDF_DIR").empty())
            return;
        ASSERT_NE(Env("ORVANTO_REQUIRE_PRINTER"), "1") << "the print server's environment is not set";
        GTEST_SKIP() << "no private print server (scripts/print-server start, then eval its env)";
    }

    // A data area of its own for one run, with the settings file in it.
    std::string DataArea(const std::string& name, const std::string& settings)
    {
        const std::string area = MakeTempFolder(name);
        const std::string folder = area + "Quendal Enterprises/Settings/";
        QDir().mkpath(QString::fromStdString(folder));
        SettingsFile = folder + "Orvanto.INI";
        WriteWholeFile(SettingsFile, settings);
        return area;
    }
    std::string SettingsFile;
};

TEST_F(OrvantoEndToEnd, AutoPrintPutsThePictureWhereTheLayoutSays)
{
    const struct {
        int Scale, Position, Orientation, X, Y, Zoom;
        int BkColor = 0xFF0000, UseBkColor = 0; // stored as 0x00BBGGRR
        TDisplay Display = TDisplay::Offscreen;
    } cases[] = {
        {psActualSize, ppTopLeft, poPortrait, 0, 0, 0},     {psScaleToPage, ppCenter, poPortrait, 0, 0, 0},
        {psFitToPage, ppBottomRight, poLandscape, 0, 0, 0}, {psAsIs, ppTopRight, poLandscape, 0, 0, 0},
        {psCustom, ppBottomLeft, poPortrait, 0, 0, 40},     {psCustomFixed, ppCustom, poLandscape, 900, 500, -800},
        {psActualSize, ppCustom, poPortrait, 300, 1200, 0}, {psFitToPage, ppCenter, poLandscape, 0, 0, 0},
        {psActualSize, ppCenter, poPortrait, 0, 0, 0, 0x00FFFF, 1}, {psAsIs, ppBottomLeft, poLandscape, 0, 0, 0, 0xFFFF00, 1},
        {psScaleToPage, ppTopLeft, poLandscape, 0, 0, 0, 0xFF0000, 0, TDisplay::None}, // the program picks offscreen
        {psFitToPage, ppTopRight, poPortrait, 0, 0, 0, 0xFF0000, 0, TDisplay::Gone}, // a DISPLAY nobody answers
    };
    const std::string folder = MakeTempFolder("autoprint"), picture = folder + "marked.bmp";
    ASSERT_TRUE(MarkedPicture(480, 320).save(QString::fromStdString(picture)));
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE("case " + std::to_string(++number));
        const std::string settings = QString("[Settings]\nCopies=1\nQuality=1\nScale=%1\nPosition=%2\n"
                                             "Orientation=%3\nX=%4\nY=%5\nZoomX=%6\nZoomY=%6\nZoomXY=%6\n"
                                             "BkColor=%7\nUseBkColor=%8\n")
                                         .arg(c.Scale).arg(c.Position).arg(c.Orientation).arg(c.X).arg(c.Y)
                                         .arg(c.Zoom).arg(c.BkColor).arg(c.UseBkColor).toStdString();
        const std::string area = DataArea("autoprint-area", settings);

        // Where the layout engine puts the picture on this printer's page.
        TQtPrinter printer;
        ASSERT_TRUE(WaitForFirstAnswer(printer));
        printer.SetOrientation(c.Orientation);
        const TDeviceMetrics device{printer.DpiX(), printer.DpiY(), printer.PageWidth(), printer.PageHeight(), 96};
        ASSERT_GT(device.PageWidth, 0);
        TPageLayout layout;
        TPrintWorkspaceInfo info = layout.Info();
        std::tie(info.Scale, info.Position, info.Orientation) =
            std::tuple(TPrintScale(c.Scale), TPrintPosition(c.Position), TPrintOrientation(c.Orientation));
        std::tie(info.X, info.Y, info.ZoomX, info.ZoomY, info.ZoomXY) = std::tuple(c.X, c.Y, c.Zoom, c.Zoom, c.Zoom);
        layout.ApplyInfo(info);
        layout.UpdatePageGeometry(device, 480, 320);
        TPlacementRequest request;
        request.PictureWidth = 480;
        request.PictureHeight = 320;
        request.SurfaceWidth = device.PageWidth;
        request.SurfaceHeight = device.PageHeight;
        const TPlacement at = layout.Place(request);

        const QDateTime started = QDateTime::currentDateTime();
        const TOrvantoRun run = RunOrvanto({QString::fromStdString(picture), "/AUTOPRINT"}, area, {}, 120, c.Display);
        ASSERT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(ReadWholeFile(SettingsFile), settings) << "an unattended run keeps the settings file";
        ASSERT_TRUE(WaitForQueueEmpty());
        const QString pdf = NewestPdf("Orvanto [Medium, 1 copy]", started);
        ASSERT_FALSE(pdf.isEmpty());
        const bool turned = c.Orientation == poLandscape;
        const QImage page = RenderPage(pdf, 1, folder).transformed(QTransform().rotate(turned ? 90 : 0));
        ASSERT_FALSE(page.isNull());
        const double leftPt = turned ? PortraitBottomPt : PortraitLeftPt;
        const double topPt = turned ? PortraitLeftPt : PortraitTopPt;
        for (const TMark& mark : Marks) {
            const QRectF found = FindMark(page, mark.Color);
            ASSERT_FALSE(found.isEmpty()) << mark.Name << " mark missing";
            const double x = mark.Right ? at.Left + at.Width : at.Left;
            const double y = mark.Bottom ? at.Top + at.Height : at.Top;
            EXPECT_NEAR(PxToMm(mark.Right ? found.right() : found.left()), leftPt * PointMm + x * 25.4 / device.PrinterDpiX, 0.5) << mark.Name;
            EXPECT_NEAR(PxToMm(mark.Bottom ? found.bottom() : found.top()), topPt * PointMm + y * 25.4 / device.PrinterDpiY, 0.5) << mark.Name;
        }
        // The page colour fills the printable area around the picture, and
        // only it: the paper's margins stay white.
        const QColor paper(Qt::white);
        const QColor pageColour = c.UseBkColor ? QColor(c.BkColor & 0xFF, (c.BkColor >> 8) & 0xFF, c.BkColor >> 16) : paper;
        const double kx = 25.4 / device.PrinterDpiX, ky = 25.4 / device.PrinterDpiY;
        const QRectF printable(leftPt * PointMm, topPt * PointMm, device.PageWidth * kx, device.PageHeight * ky);
        const QRectF placed(printable.left() + at.Left * kx, printable.top() + at.Top * ky,
                            at.Width * kx, at.Height * ky);
        const auto colourAt = [&page](QPointF mm) {
            return page.pixelColor(int(mm.x() / PxToMm(1)), int(mm.y() / PxToMm(1)));
        };
        const auto near = [](const QColor& a, const QColor& b) {
            const int dr = a.red() - b.red(), dg = a.green() - b.green(), db = a.blue() - b.blue();
            return dr * dr + dg * dg + db * db < 40 * 40;
        };
        for (const QPointF inside : {printable.topLeft() + QPointF(2, 2), printable.topRight() + QPointF(-2, 2),
                                     printable.bottomLeft() + QPointF(2, -2), printable.bottomRight() + QPointF(-2, -2)}) {
            if (placed.adjusted(-2, -2, 2, 2).contains(inside))
                continue; // the picture is there
            EXPECT_TRUE(near(colourAt(inside), pageColour))
                << "at (" << inside.x() << ", " << inside.y() << ") mm: " << colourAt(inside).name().toStdString();
        }
        EXPECT_TRUE(near(colourAt({3, 3}), paper)) << "the paper's margin: " << colourAt({3, 3}).name().toStdString();
    }
}

TEST_F(OrvantoEndToEnd, FailedUnattendedRunsEndWithStatusOneAndTheMessage)
{
    const std::string folder = MakeTempFolder("autoprint-failing"), picture = folder + "marked.bmp";
    ASSERT_TRUE(MarkedPicture(60, 40).save(QString::fromStdString(picture)));
    // A JPEG's quick copy starts reading before the application exists.
    const std::string photo = folder + "marked.jpg";
    ASSERT_TRUE(MarkedPicture(60, 40).save(QString::fromStdString(photo)));
    WriteWholeFile(folder + "broken.bmp", "BM this is no bitmap");
    // Servers that misbehave: the run ends in time all the same, and says
    // why when it did not print.
    TFakePrintServer silent(TFakePrintServer::TMode::Silent);
    TFakePrintServer closing(TFakePrintServer::TMode::Closing);
    TFakePrintServer slow(TFakePrintServer::TMode::Slow, std::chrono::seconds(2));
    const std::string silentMessage = "The print server does not answer: " + silent.Address();
    const struct {
        const char* Name;
        std::string File, Server; // no server named: the private print server
        std::string Message;
        TDisplay Display = TDisplay::Offscreen;
        bool Switch = true;
        int Status = 1;
    } cases[] = {
        {"silent print server", picture, silent.Address(), silentMessage},
        {"print server that hangs up", picture, closing.Address(), "No printer installed"},
        {"print server that takes seconds per request: printed", picture, slow.Address(), "", TDisplay::Offscreen, true, 0},
        {"missing file", folder + "missing.bmp", "", "File not found"},
        {"unknown format", folder + "broken.bmp", "", "Unknown format"},
        {"no printer", picture, folder + "no-such-server.sock", "No printer installed"},
        {"no display: missing file", folder + "missing.bmp", "", "File not found", TDisplay::None},
        {"no display, no switch: one line, no abort", picture, "",
         "no display; for unattended printing add /AUTOPRINT\n", TDisplay::None, false},
        {"no display, no switch, a JPEG: one line, no abort", photo, "",
         "no display; for unattended printing add /AUTOPRINT\n", TDisplay::None, false},
        {"a display that is gone: missing file", folder + "missing.bmp", "", "File not found", TDisplay::Gone},
        {"a display that is gone, no switch: one line, no abort", picture, "",
         "no display; for unattended printing add /AUTOPRINT\n", TDisplay::Gone, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string settings = "[Settings]\nAutoClose=1\n";
        QStringList arguments{QString::fromStdString(c.File)};
        if (c.Switch)
            arguments << "/autoprint";
        const auto started = std::chrono::steady_clock::now();
        const TOrvantoRun run = RunOrvanto(arguments, DataArea("failing-area", settings), c.Server, 60, c.Display);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(45));
        EXPECT_EQ(run.Status, c.Status) << run.Err;
        EXPECT_NE(run.Err.find(c.Message), std::string::npos) << run.Err;
        if (!c.Switch) {
            EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << run.Err;
        }
        EXPECT_EQ(ReadWholeFile(SettingsFile), settings);
    }
}

} // namespace

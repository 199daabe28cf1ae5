// Runs the built orvanto unattended, as a print queue or a script would:
// settings in the settings file, "orvanto picture /AUTOPRINT", and the page
// read back from the private print server's PDF.
#include "platform/qt/qt_printer.h"
#include "support/general.h"
#include "tests/e2e/orvanto_run.h"
#include "tests/e2e/printed_page.h"
#include "tests/test_support.h"
#include "workspace/page_layout.h"

#include <QDir>

#include <gtest/gtest.h>

namespace orvanto {}
using namespace orvanto;

namespace {

class OrvantoEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (Env("CUPS_SERVER").empty() || Env("ORVANTO_PDF_DIR").empty()) {
            if (Env("ORVANTO_REQUIRE_PRINTER") == "1")
                FAIL() << "ORVANTO_REQUIRE_PRINTER=1 but the print server's environment is not set";
            GTEST_SKIP() << "no private print server (scripts/print-server start, then eval its env)";
        }
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

struct TPlacementCase {
    int Scale, Position, Orientation, X, Y, Zoom;
};

TEST_F(OrvantoEndToEnd, AutoPrintPutsThePictureWhereTheLayoutSays)
{
    const TPlacementCase cases[] = {
        {psActualSize, ppTopLeft, poPortrait, 0, 0, 0},     {psScaleToPage, ppCenter, poPortrait, 0, 0, 0},
        {psFitToPage, ppBottomRight, poLandscape, 0, 0, 0}, {psAsIs, ppTopRight, poLandscape, 0, 0, 0},
        {psCustom, ppBottomLeft, poPortrait, 0, 0, 40},     {psCustomFixed, ppCustom, poLandscape, 900, 500, -800},
        {psActualSize, ppCustom, poPortrait, 300, 1200, 0}, {psFitToPage, ppCenter, poLandscape, 0, 0, 0},
    };
    const std::string folder = MakeTempFolder("autoprint");
    const std::string picture = folder + "marked.bmp";
    ASSERT_TRUE(MarkedPicture(480, 320).save(QString::fromStdString(picture)));
    int number = 0;
    for (const TPlacementCase& c : cases) {
        SCOPED_TRACE("case " + std::to_string(++number));
        const std::string settings = "[Settings]\nCopies=1\nQuality=1\nScale=" + std::to_string(c.Scale)
            + "\nPosition=" + std::to_string(c.Position) + "\nOrientation=" + std::to_string(c.Orientation)
            + "\nX=" + std::to_string(c.X) + "\nY=" + std::to_string(c.Y) + "\nZoomX=" + std::to_string(c.Zoom)
            + "\nZoomY=" + std::to_string(c.Zoom) + "\nZoomXY=" + std::to_string(c.Zoom) + "\n";
        const std::string area = DataArea("autoprint-area", settings);

        // Where the layout engine puts the picture on this printer's page.
        TQtPrinter printer;
        printer.SetOrientation(c.Orientation);
        const TDeviceMetrics device{printer.DpiX(), printer.DpiY(), printer.PageWidth(), printer.PageHeight(), 96};
        ASSERT_GT(device.PageWidth, 0);
        TPageLayout layout;
        TPrintWorkspaceInfo info = layout.Info();
        info.Scale = std::uint8_t(c.Scale);
        info.Position = std::uint8_t(c.Position);
        info.Orientation = std::uint8_t(c.Orientation);
        info.X = c.X;
        info.Y = c.Y;
        info.ZoomX = info.ZoomY = info.ZoomXY = c.Zoom;
        layout.ApplyInfo(info);
        layout.UpdatePageGeometry(device, 480, 320);
        info = layout.Info();
        info.FactorX = info.FactorY = 1;
        layout.Layout(info, device.PageWidth, device.PageHeight);

        const QDateTime started = QDateTime::currentDateTime();
        const TOrvantoRun run = RunOrvanto({picture, "/AUTOPRINT"}, area);
        ASSERT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(ReadWholeFile(SettingsFile), settings) << "an unattended run keeps the settings file";
        ASSERT_TRUE(WaitForQueueEmpty());
        const QString pdf = NewestPdf("Orvanto [Medium, 1 copy]", started);
        ASSERT_FALSE(pdf.isEmpty());
        QImage page = RenderPage(pdf, 1, folder);
        ASSERT_FALSE(page.isNull());
        const bool turned = c.Orientation == poLandscape;
        if (turned)
            page = page.transformed(QTransform().rotate(90));
        const double leftPt = turned ? PortraitBottomPt : PortraitLeftPt;
        const double topPt = turned ? PortraitLeftPt : PortraitTopPt;
        for (const TMark& mark : Marks) {
            const QRectF found = FindMark(page, mark.Color);
            ASSERT_FALSE(found.isEmpty()) << mark.Name << " mark missing";
            const double x = mark.Right ? info.OutLeft + info.OutWidth : info.OutLeft;
            const double y = mark.Bottom ? info.OutTop + info.OutHeight : info.OutTop;
            EXPECT_NEAR(PxToMm(mark.Right ? found.right() : found.left()), leftPt * PointMm + x * 25.4 / device.PrinterDpiX, 0.5)
                << mark.Name;
            EXPECT_NEAR(PxToMm(mark.Bottom ? found.bottom() : found.top()), topPt * PointMm + y * 25.4 / device.PrinterDpiY, 0.5)
                << mark.Name;
        }
    }
}

TEST_F(OrvantoEndToEnd, FailedUnattendedRunsEndWithStatusOneAndTheMessage)
{
    const std::string folder = MakeTempFolder("autoprint-failing");
    const std::string picture = folder + "marked.bmp";
    ASSERT_TRUE(MarkedPicture(60, 40).save(QString::fromStdString(picture)));
    WriteWholeFile(folder + "broken.bmp", "BM this is no bitmap");
    const struct {
        const char* Name;
        std::string File;
        std::string Server; // empty: the private print server
        const char* Message;
    } cases[] = {
        {"missing file", folder + "missing.bmp", "", "File not found"},
        {"unknown format", folder + "broken.bmp", "", "Unknown format"},
        {"no printer", picture, folder + "no-such-server.sock", "No printer installed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string settings = "[Settings]\nAutoClose=1\n";
        const TOrvantoRun run = RunOrvanto({c.File, "/autoprint"}, DataArea("failing-area", settings), c.Server, 30);
        EXPECT_EQ(run.Status, 1);
        EXPECT_NE(run.Err.find(c.Message), std::string::npos) << run.Err;
        EXPECT_LT(run.Seconds, 15);
        EXPECT_EQ(ReadWholeFile(SettingsFile), settings);
    }
}

} // namespace

// Prints through the real Qt printer service into the private CUPS server
// (scripts/print-server) and reads the page back from the PDF that the
// cups-pdf printer wrote.
#include "platform/qt/qt_printer.h"
#include "tests/test_support.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

using namespace orvanto;

namespace {

constexpr double PointMm = 25.4 / 72.0;
constexpr int RenderDpi = 300;
// The private server's A4 printable area in points, from the left and top of
// the paper (scripts/print-server gives the printer unequal margins).
constexpr double PortraitLeftPt = 18;
constexpr double PortraitTopPt = 842 - 818;
constexpr double PortraitRightPt = 595 - 583;
constexpr double PortraitBottomPt = 36;

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// Runs a tool and returns its standard output; empty when it failed.
std::string Run(const QString& program, const QStringList& arguments, bool* ok = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    const bool finished = process.waitForFinished(120000);
    const bool success = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (ok)
        *ok = success;
    return success ? process.readAllStandardOutput().toStdString() : std::string();
}

// True when the print server has no job left to do.
bool WaitForQueueEmpty()
{
    for (int i = 0; i < 1200; ++i) {
        bool ok = false;
        const std::string jobs = Run(QStringLiteral("lpstat"), {QStringLiteral("-o")}, &ok);
        if (ok && jobs.find_first_not_of(" \n") == std::string::npos)
            return true;
        QThread::msleep(100);
    }
    return false;
}

// cups-pdf names the file after the job title, with everything but letters
// and digits turned into "_" and the "_" at either end dropped, then "-job_"
// and the job number.
QString FilePrefix(const std::string& title)
{
    QString prefix;
    for (char c : title)
        prefix += std::isalnum(static_cast<unsigned char>(c)) ? QChar(c) : QChar('_');
    while (prefix.startsWith('_'))
        prefix.remove(0, 1);
    while (prefix.endsWith('_'))
        prefix.chop(1);
    return prefix + QStringLiteral("-job_");
}

QString NewestPdf(const std::string& title, const QDateTime& since)
{
    const QDir folder(QString::fromStdString(Env("ORVANTO_PDF_DIR")));
    QFileInfoList found;
    for (const QFileInfo& file : folder.entryInfoList({FilePrefix(title) + "*.pdf"}, QDir::Files))
        if (file.lastModified() >= since.addSecs(-1))
            found.push_back(file);
    if (found.isEmpty())
        return {};
    std::sort(found.begin(), found.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return a.lastModified() > b.lastModified();
    });
    return found.front().absoluteFilePath();
}

struct TPdfInfo {
    int Pages = 0;
    double WidthPt = 0;
    double HeightPt = 0;
};

TPdfInfo ReadPdfInfo(const QString& pdf)
{
    TPdfInfo info;
    const QString text = QString::fromStdString(Run(QStringLiteral("pdfinfo"), {pdf}));
    for (const QString& line : text.split('\n')) {
        if (line.startsWith(QStringLiteral("Pages:")))
            info.Pages = line.mid(6).trimmed().toInt();
        if (line.startsWith(QStringLiteral("Page size:"))) {
            const QStringList parts = line.mid(10).simplified().split(' ');
            if (parts.size() >= 3) {
                info.WidthPt = parts[0].toDouble();
                info.HeightPt = parts[2].toDouble();
            }
        }
    }
    return info;
}

QImage RenderPage(const QString& pdf, int page, const std::string& folder)
{
    const QString prefix = QString::fromStdString(folder) + QStringLiteral("page") + QString::number(page);
    bool ok = false;
    Run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QString::number(RenderDpi), QStringLiteral("-f"), QString::number(page),
         QStringLiteral("-l"), QString::number(page), QStringLiteral("-singlefile"), pdf, prefix},
        &ok);
    return ok ? QImage(prefix + QStringLiteral(".ppm")) : QImage();
}

// The corner marks of the test picture: four colours that JPEG keeps apart.
struct TMark {
    const char* Name;
    QColor Color;
    bool Right;
    bool Bottom;
};
const TMark Marks[] = {
    {"top left", QColor(220, 0, 0), false, false},
    {"top right", QColor(0, 170, 0), true, false},
    {"bottom left", QColor(0, 0, 220), false, true},
    {"bottom right", QColor(0, 0, 0), true, true},
};

// A white picture with a solid mark in each corner, a tenth of its size.
QImage MarkedPicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_BGR888);
    picture.fill(Qt::white);
    const int mw = width / 10;
    const int mh = height / 10;
    for (const TMark& mark : Marks) {
        const int left = mark.Right ? width - mw : 0;
        const int top = mark.Bottom ? height - mh : 0;
        for (int y = top; y < top + mh; ++y)
            for (int x = left; x < left + mw; ++x)
                picture.setPixelColor(x, y, mark.Color);
    }
    return picture;
}

// The box of the pixels near colour, in pixels of the rendered page; empty
// when there are none. Halfway between the colour and white counts, so the
// edge is found where a printed edge is, whatever the compression blurred.
QRectF FindMark(const QImage& page, const QColor& color)
{
    int left = page.width(), top = page.height(), right = -1, bottom = -1;
    const QImage rgb = page.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const int dr = qRed(row[x]) - color.red();
            const int dg = qGreen(row[x]) - color.green();
            const int db = qBlue(row[x]) - color.blue();
            if (dr * dr + dg * dg + db * db < 100 * 100) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0)
        return {};
    return QRectF(left, top, right - left + 1, bottom - top + 1);
}

double PxToMm(double px)
{
    return px * 25.4 / RenderDpi;
}

class PrinterEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (Env("CUPS_SERVER").empty() || Env("ORVANTO_PDF_DIR").empty()) {
            if (Env("ORVANTO_REQUIRE_PRINTER") == "1")
                FAIL() << "ORVANTO_REQUIRE_PRINTER=1 but CUPS_SERVER or ORVANTO_PDF_DIR is not set: "
                          "start scripts/print-server and eval its env";
            GTEST_SKIP() << "no private print server (run eval \"$(scripts/print-server env)\" after "
                            "scripts/print-server start)";
        }
    }
};

TEST_F(PrinterEndToEnd, ListsThePrivatePdfPrinterAsCurrent)
{
    TQtPrinter printer;
    const std::vector<std::string> names = printer.PrinterNames();
    EXPECT_NE(std::find(names.begin(), names.end(), "Orvanto_PDF"), names.end());
    EXPECT_EQ(printer.CurrentPrinterName(), "Orvanto_PDF");
    EXPECT_GE(printer.DpiX(), 72);
    EXPECT_EQ(printer.DpiX(), printer.DpiY());
    // The printable area of A4 inside the margins, in device pixels.
    const double dpi = printer.DpiX();
    EXPECT_NEAR(printer.PageWidth(), (595 - PortraitLeftPt - PortraitRightPt) / 72 * dpi, 2);
    EXPECT_NEAR(printer.PageHeight(), (842 - PortraitTopPt - PortraitBottomPt) / 72 * dpi, 2);
    // Landscape: the page lies turned on the paper, and so do the margins.
    printer.SetOrientation(1);
    EXPECT_EQ(printer.Orientation(), 1);
    EXPECT_NEAR(printer.PageWidth(), (842 - PortraitTopPt - PortraitBottomPt) / 72 * dpi, 2);
    EXPECT_NEAR(printer.PageHeight(), (595 - PortraitLeftPt - PortraitRightPt) / 72 * dpi, 2);
    printer.SetOrientation(0);
    EXPECT_NEAR(printer.PageWidth(), (595 - PortraitLeftPt - PortraitRightPt) / 72 * dpi, 2);
}

struct TPrintCase {
    const char* Title;
    int Orientation;
    int Copies;
    // Destination as fractions of the printable area.
    double Left, Top, Width, Height;
};

TEST_F(PrinterEndToEnd, MarksLandWhereTheDestinationPutsThem)
{
    const TPrintCase cases[] = {
        {"Orvanto [Low, 1 copy]", 0, 1, 0.20, 0.15, 0.50, 0.40},
        {"Orvanto [Low, 2 copies]", 1, 2, 0.0, 0.0, 1.0, 1.0},
    };
    const std::string folder = MakeTempFolder("printed");
    for (const TPrintCase& c : cases) {
        SCOPED_TRACE(c.Title);
        TQtPrinter printer;
        printer.SetOrientation(c.Orientation);
        printer.SetCopies(c.Copies);
        ASSERT_EQ(printer.Copies(), c.Copies);
        printer.SetTitle(c.Title);
        const int width = printer.PageWidth();
        const int height = printer.PageHeight();
        const double dpi = printer.DpiX();
        ASSERT_GT(width, 0);
        const QRect destination(int(std::lround(c.Left * width)), int(std::lround(c.Top * height)),
                                int(std::lround(c.Width * width)), int(std::lround(c.Height * height)));

        const QDateTime started = QDateTime::currentDateTime();
        ASSERT_TRUE(printer.BeginDoc());
        ASSERT_EQ(printer.StretchToDevice(MarkedPicture(800, 600), destination), TStretchResult::Drawn);
        ASSERT_TRUE(printer.EndDoc());
        ASSERT_TRUE(WaitForQueueEmpty()) << "the print server did not finish the job";

        const QString pdf = NewestPdf(c.Title, started);
        ASSERT_FALSE(pdf.isEmpty()) << "no PDF for this title in " << Env("ORVANTO_PDF_DIR");
        const TPdfInfo info = ReadPdfInfo(pdf);
        EXPECT_EQ(info.Pages, c.Copies) << "one page per copy";
        // A4 comes out of the printer upright; a landscape page lies on it
        // turned a quarter counter-clockwise, as a printer prints landscape.
        EXPECT_LT(info.WidthPt, info.HeightPt) << "A4 paper";
        const bool turned = c.Orientation == 1;

        // Where the printable area starts on the page as the user sees it:
        // the portrait margins turned with the page, so that nothing lands
        // where the printer cannot print.
        const double leftPt = turned ? PortraitBottomPt : PortraitLeftPt;
        const double topPt = turned ? PortraitLeftPt : PortraitTopPt;
        for (int page = 1; page <= info.Pages; ++page) {
            SCOPED_TRACE("page " + std::to_string(page));
            QImage rendered = RenderPage(pdf, page, folder);
            ASSERT_FALSE(rendered.isNull());
            if (turned)
                rendered = rendered.transformed(QTransform().rotate(90));
            for (const TMark& mark : Marks) {
                const QRectF found = FindMark(rendered, mark.Color);
                ASSERT_FALSE(found.isEmpty()) << mark.Name << " mark missing";
                const double xDevice = mark.Right ? destination.left() + destination.width() : destination.left();
                const double yDevice = mark.Bottom ? destination.top() + destination.height() : destination.top();
                const double expectedX = leftPt * PointMm + xDevice * 25.4 / dpi;
                const double expectedY = topPt * PointMm + yDevice * 25.4 / dpi;
                const double foundX = PxToMm(mark.Right ? found.right() : found.left());
                const double foundY = PxToMm(mark.Bottom ? found.bottom() : found.top());
                std::printf("%s page %d %s: expected (%.2f, %.2f) mm, found (%.2f, %.2f) mm\n", c.Title, page,
                            mark.Name, expectedX, expectedY, foundX, foundY);
                EXPECT_NEAR(foundX, expectedX, 0.3) << mark.Name << " horizontally";
                EXPECT_NEAR(foundY, expectedY, 0.3) << mark.Name << " vertically";
            }
        }
    }
}

} // namespace

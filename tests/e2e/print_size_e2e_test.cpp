// Exact sizes and posters through the Qt printer into the private CUPS
// server (scripts/print-server), measured on the printed PDF at 600 dpi.
#include "platform/platform.h"
#include "platform/qt/qt_printer.h"
#include "platform/recording_clipboard.h"
#include "platform/recording_message_box.h"
#include "tests/e2e/printed_page.h"
#include "tests/test_support.h"
#include "workspace/photo_sizes.h"
#include "workspace/print_size.h"
#include "workspace/print_workspace.h"

#include <QDateTime>
#include <QImageReader>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace orvanto;

namespace {

constexpr int MeasureDpi = 600;
const QColor Ink(220, 0, 0);

// Hundredths of an inch in hundredths of a millimetre.
constexpr std::int32_t In(int hundredthsOfInch)
{
    return hundredthsOfInch * 254 / 10;
}

double Mm(double pixels)
{
    return pixels * 25.4 / MeasureDpi;
}

class PrintSizeEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (Env("CUPS_SERVER").empty() || Env("ORVANTO_PDF_DIR").empty()) {
            ASSERT_NE(Env("ORVANTO_REQUIRE_PRINTER"), "1") << "the print server's environment is not set";
            GTEST_SKIP() << "no private print server (scripts/print-server start, then eval its env)";
        }
        Platform().SetPrinter(std::make_unique<TQtPrinter>(TQtPrinter::TTransfer::Lossless));
        ASSERT_TRUE(WaitForFirstAnswer(Platform().Printer()));
        Platform().SetClipboard(std::unique_ptr<IClipboard>(Clipboard = new TRecordingClipboard));
        Platform().SetMessageBox(std::make_unique<TRecordingMessageBox>());
        Platform().SetScreen(std::make_unique<TFixedScreen>(96));
        // An A4 page at 600 dpi is some 100 megabytes as read.
        QImageReader::setAllocationLimit(512);
    }
    void TearDown() override { Platform().SetPrinter(nullptr); }

    // Prints and returns the PDF cups-pdf wrote; empty when none came.
    QString PrintAndWait(TPrintWorkspace& workspace)
    {
        const QDateTime started = QDateTime::currentDateTime();
        if (!workspace.Print()) {
            ADD_FAILURE() << workspace.LastError();
            return {};
        }
        QString pdf;
        for (int i = 0; i < 600 && pdf.isEmpty(); ++i, QThread::msleep(200))
            if (WaitForQueueEmpty())
                pdf = NewestPdf(workspace.Info().Texts.JobTitle, started);
        return pdf;
    }
    QImage Render(const QString& pdf, int page)
    {
        bool ok = false;
        const QString prefix = QString::fromStdString(Folder) + QStringLiteral("sheet");
        ::Run(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QString::number(MeasureDpi), QStringLiteral("-f"), QString::number(page),
             QStringLiteral("-l"), QString::number(page), QStringLiteral("-singlefile"), QStringLiteral("-png"),
             pdf, prefix},
            &ok);
        return ok ? QImage(prefix + QStringLiteral(".png")) : QImage();
    }

    TRecordingClipboard* Clipboard = nullptr;
    const std::string Folder = MakeTempFolder("print-size");
};

TEST_F(PrintSizeEndToEnd, TypedSizesMeasureWithinAThirdOfAMillimetre)
{
    using TSetUp = std::function<void(TPrintWorkspace&, TPrintWorkspaceInfo&)>;
    const auto typed = [](double value, TSizeUnit unit) { return CheckTypedSize(value, unit).Hundredths; };
    const struct {
        const char* Name; // the job title too
        QSize Picture;
        TSetUp SetUp;
        double Width, Height;           // expected on paper, mm
        double Left = -1, Top = -1;     // from the paper's edge, mm; -1 unchecked
    } cases[] = {
        {"mm locked portrait", {400, 600},
         [&](TPrintWorkspace&, TPrintWorkspaceInfo& i) {
             i.SizeX = typed(100, TSizeUnit::Millimetre);
             i.SizeY = LockedSide(i.SizeX, 400, 600);
         },
         100, 150},
        {"mm unlocked fill", {400, 300},
         [&](TPrintWorkspace&, TPrintWorkspaceInfo& i) {
             std::tie(i.SizeX, i.SizeY, i.SizeLock, i.SizeFill) =
                 std::tuple(typed(80, TSizeUnit::Millimetre), typed(50, TSizeUnit::Millimetre), false, true);
         },
         80, 50},
        {"mm unlocked fit", {400, 300},
         [&](TPrintWorkspace&, TPrintWorkspaceInfo& i) {
             std::tie(i.SizeX, i.SizeY, i.SizeLock) =
                 std::tuple(typed(80, TSizeUnit::Millimetre), typed(50, TSizeUnit::Millimetre), false);
         },
         50.0 * 4 / 3, 50},
        {"inches landscape", {600, 400},
         [&](TPrintWorkspace&, TPrintWorkspaceInfo& i) {
             i.Orientation = poLandscape;
             std::tie(i.SizeX, i.SizeY) = std::tuple(typed(6, TSizeUnit::Inch), typed(4, TSizeUnit::Inch));
         },
         152.4, 101.6},
        {"a turned picture 4 x 6 in", {600, 400},
         [&](TPrintWorkspace& w, TPrintWorkspaceInfo& i) {
             w.Rotate(90);
             std::tie(i.SizeX, i.SizeY) = PhotoSizeFor(6, w.Picture().Size().width(), w.Picture().Size().height());
         },
         101.6, 152.4},
        {"square into 5 x 7 in fill", {400, 400},
         [&](TPrintWorkspace&, TPrintWorkspaceInfo& i) {
             std::tie(i.SizeX, i.SizeY, i.SizeFill) = std::tuple(In(500), In(700), true);
         },
         127, 177.8},
        {"20 mm from the paper's edges", {300, 200},
         [&](TPrintWorkspace& w, TPrintWorkspaceInfo& i) {
             std::tie(i.SizeX, i.SizeY, i.Position) = std::tuple(6000, 4000, ppCustom);
             // What the Left and Top boxes do with 20 mm typed.
             i.X = w.Layout().PagePixels(TAxis::Across, 20) - w.Layout().PrintableLeft();
             i.Y = w.Layout().PagePixels(TAxis::Down, 20) - w.Layout().PrintableTop();
         },
         60, 40, 20, 20},
    };
    std::string table = "| typed | expected (mm) | measured (mm) |\n|---|---|---|\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TPrintWorkspace workspace;
        QImage picture(c.Picture, QImage::Format_BGR888);
        picture.fill(Ink);
        Clipboard->Content = picture;
        ASSERT_TRUE(workspace.PasteFromClipboard());
        TPrintWorkspaceInfo info = workspace.Info();
        info.PrinterName = c.Name;
        std::tie(info.Quality, info.Scale, info.Position) = std::tuple(pqHigh, psExactSize, ppCenter);
        c.SetUp(workspace, info);
        workspace.ApplyInfo(info);
        const QString pdf = PrintAndWait(workspace);
        ASSERT_FALSE(pdf.isEmpty()) << "no printed page";
        QImage page = Render(pdf, 1);
        ASSERT_FALSE(page.isNull());
        // A landscape page lies on the paper turned a quarter.
        if (info.Orientation == poLandscape)
            page = page.transformed(QTransform().rotate(90));
        const QRectF found = FindMark(page, Ink);
        ASSERT_FALSE(found.isEmpty());
        EXPECT_NEAR(Mm(found.width()), c.Width, 0.3);
        EXPECT_NEAR(Mm(found.height()), c.Height, 0.3);
        if (c.Left >= 0) {
            EXPECT_NEAR(Mm(found.left()), c.Left, 0.3);
            EXPECT_NEAR(Mm(found.top()), c.Top, 0.3);
        }
        char row[200];
        std::snprintf(row, sizeof row, "| %s | %.2f x %.2f | %.2f x %.2f |\n", c.Name, c.Width, c.Height,
                      Mm(found.width()), Mm(found.height()));
        table += row;
    }
    std::printf("%s", table.c_str());
}

// The box of the strongly coloured pixels: the picture, not the black marks
// and label beside it.
QRectF ColourBox(const QImage& sheet)
{
    const QImage rgb = sheet.convertToFormat(QImage::Format_RGB32);
    int left = rgb.width(), top = rgb.height(), right = -1, bottom = -1;
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const int r = qRed(line[x]), g = qGreen(line[x]), b = qBlue(line[x]);
            if (std::max({r, g, b}) - std::min({r, g, b}) > 100) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? QRectF() : QRectF(left, top, right - left + 1, bottom - top + 1);
}

// A 6 x 4 grid of colours, each cell its own, so every part of the picture
// can be found again on the sheets.
QColor CellColour(int column, int row)
{
    return QColor::fromHsv((column * 4 + row) * 15, 255, 230);
}

TEST_F(PrintSizeEndToEnd, APosterPrintsEveryPartOverlappingByTheOverlapWithMarksWhereItBegins)
{
    QImage picture(600, 400, QImage::Format_BGR888);
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 600; ++x)
            picture.setPixelColor(x, y, CellColour(x / 100, y / 100));
    Clipboard->Content = picture;
    TPrintWorkspace workspace;
    ASSERT_TRUE(workspace.PasteFromClipboard());
    TPrintWorkspaceInfo info = workspace.Info();
    info.PrinterName = "Poster two by two";
    // 300 x 200 mm on landscape A4 (about 267 x 186 mm inside the 5 mm
    // border): two sheets across and two down, 10 mm shared.
    std::tie(info.Quality, info.Scale, info.Orientation) = std::tuple(pqHigh, psExactSize, poLandscape);
    std::tie(info.SizeX, info.SizeY, info.Poster, info.PosterOverlap) = std::tuple(300000 / 10, 20000, true, 1000);
    workspace.ApplyInfo(info);
    const QString pdf = PrintAndWait(workspace);
    ASSERT_FALSE(pdf.isEmpty()) << "no printed poster";
    EXPECT_EQ(ReadPdfInfo(pdf).Pages, 4);

    std::vector<QImage> sheets;
    for (int page = 1; page <= 4; ++page) {
        QImage sheet = Render(pdf, page).transformed(QTransform().rotate(90));
        ASSERT_FALSE(sheet.isNull());
        if (const std::string shots = Env("ORVANTO_SHOTS"); !shots.empty())
            sheet.save(QString::fromStdString(shots + "/poster-sheet-" + std::to_string(page) + ".png"));
        sheets.push_back(sheet);
    }
    // Every cell of the picture is printed, whole or in parts (looked for at
    // a quarter of the resolution: the cells are 50 mm).
    std::vector<QImage> small;
    for (const QImage& sheet : sheets)
        small.push_back(sheet.scaled(sheet.size() / 4).convertToFormat(QImage::Format_RGB32));
    for (int column = 0; column < 6; ++column)
        for (int row = 0; row < 4; ++row) {
            double area = 0;
            for (const QImage& sheet : small) {
                const QRectF found = FindMark(sheet, CellColour(column, row));
                area += Mm(found.width() * 4) * Mm(found.height() * 4);
            }
            EXPECT_GE(area, 50.0 * 50.0 * 0.95) << "cell " << column << ", " << row;
        }
    // Across: the first sheet's part ends 10 mm past its mark, the second's
    // begins 10 mm before its own; together they are the picture's width.
    const QRectF first = ColourBox(sheets[0]), second = ColourBox(sheets[1]);
    const QRectF lower = ColourBox(sheets[2]);
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    const std::vector<double> firstMarks = DarkLinesAcross(sheets[0], 0, int(first.top()) - 2);
    const std::vector<double> secondMarks = DarkLinesAcross(sheets[1], 0, int(second.top()) - 2);
    ASSERT_EQ(firstMarks.size(), 1u) << "one neighbour to the right";
    ASSERT_EQ(secondMarks.size(), 1u) << "one neighbour to the left";
    EXPECT_NEAR(Mm(first.right() - firstMarks[0]), 10, 0.3);
    EXPECT_NEAR(Mm(secondMarks[0] - second.left()), 10, 0.3);
    EXPECT_NEAR(Mm(first.width() + second.width()) - 10, 300, 0.5);
    // Down: the same between the first sheet and the one under it.
    const std::vector<double> downMarks = DarkLinesDown(sheets[0], 0, int(first.left()) - 2);
    ASSERT_EQ(downMarks.size(), 1u) << "one neighbour below";
    EXPECT_NEAR(Mm(first.bottom() - downMarks[0]), 10, 0.3);
    EXPECT_NEAR(Mm(first.height() + lower.height()) - 10, 200, 0.5);
}

} // namespace

#include "platform/qt/raster_job.h"
#include "tests/e2e/raster_page.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvanto;
using TFormat = TRasterJob::TFormat;

namespace {

// Every pixel its own colour, so a pixel out of place shows.
QColor Source(int x, int y)
{
    return QColor((x * 7) % 256, (y * 5) % 256, (x + 3 * y) % 256);
}

QImage Picture(int width, int height, QImage::Format format)
{
    QImage picture(width, height, format);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixelColor(x, y, Source(x, y));
    return picture;
}

QByteArray Written(const TRasterJob& job, TFormat format, const TRasterJob::TPaper& paper, bool* ok = nullptr)
{
    QByteArray document;
    const bool written = job.Write(format, paper, [&document](const char* data, std::size_t size) {
        document.append(data, qsizetype(size));
        return true;
    });
    if (ok)
        *ok = written;
    return document;
}

TEST(RasterJob, ThePrinterGetsEachPixelWhereTheDestinationPutsIt)
{
    const struct {
        const char* Name;
        TFormat Format;
        bool Landscape;
        QSize Paper;       // upright, pixels
        QRect Clip;        // on the page as oriented
        QSize Bitmap;
        QRect Destination; // on the page as oriented
        QImage::Format Pixels = QImage::Format_BGR888;
    } cases[] = {
        {"PWG, as large as drawn", TFormat::Pwg, false, {300, 400}, {5, 8, 280, 380}, {150, 90}, {20, 30, 150, 90}},
        {"Apple raster, twice as large", TFormat::Urf, false, {300, 400}, {5, 8, 280, 380}, {60, 40}, {10, 200, 120, 80}},
        {"landscape: the page turned counter-clockwise", TFormat::Pwg, true, {300, 400}, {4, 6, 390, 290}, {50, 30}, {12, 40, 150, 90}},
        {"landscape Apple raster, cut at the printable edge", TFormat::Urf, true, {300, 400}, {0, 0, 350, 260}, {70, 50}, {210, 60, 210, 150}},
        {"32-bit picture, red and blue kept apart", TFormat::Pwg, false, {200, 700}, {0, 0, 200, 700}, {160, 600}, {20, 50, 160, 600}, QImage::Format_ARGB32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TRasterJob job;
        ASSERT_TRUE(job.Add(Picture(c.Bitmap.width(), c.Bitmap.height(), c.Pixels), c.Destination));
        const TRasterJob::TPaper paper{c.Paper, QSizeF(c.Paper) * 72.0 / 100, 100, c.Landscape, c.Clip};
        bool ok = false;
        const TRasterPage page = ReadRaster(Written(job, c.Format, paper, &ok));
        ASSERT_TRUE(ok);
        ASSERT_FALSE(page.Image.isNull()) << page.Error.toStdString();
        EXPECT_EQ(page.Format, c.Format == TFormat::Pwg ? "pwg" : "urf");
        EXPECT_EQ(page.Dpi, 100);
        EXPECT_EQ(page.Pages, 1);
        ASSERT_EQ(page.Image.size(), c.Paper);
        const int factor = c.Destination.width() / c.Bitmap.width();
        int wrong = 0;
        for (int py = 0; py < c.Paper.height(); ++py)
            for (int px = 0; px < c.Paper.width(); ++px) {
                // The page as oriented: in landscape its left edge lies
                // along the paper's bottom edge, its top along the left.
                const QPoint at = c.Landscape ? QPoint(c.Paper.height() - 1 - py, px) : QPoint(px, py);
                QColor expected(Qt::white);
                if (c.Destination.contains(at) && c.Clip.contains(at))
                    expected = Source((at.x() - c.Destination.left()) / factor, (at.y() - c.Destination.top()) / factor);
                if (page.Image.pixelColor(px, py) != expected && ++wrong <= 3)
                    ADD_FAILURE() << "paper pixel (" << px << ", " << py << "): "
                                  << page.Image.pixelColor(px, py).name().toStdString() << ", expected "
                                  << expected.name().toStdString();
            }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(RasterJob, EachSheetOfAPosterIsAPageOfItsOwn)
{
    const struct {
        const char* Name;
        TFormat Format;
    } cases[] = {{"PWG", TFormat::Pwg}, {"Apple raster", TFormat::Urf}};
    const QSize sheet(120, 160);
    const QRect first(10, 20, 40, 30), second(60, 90, 40, 30);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TRasterJob job;
        job.NewPage(); // a job cleared begins again at its first page
        job.Clear();
        ASSERT_TRUE(job.Add(Picture(40, 30, QImage::Format_RGB888), first));
        job.NewPage();
        ASSERT_TRUE(job.Add(Picture(40, 30, QImage::Format_RGB888), second));
        const TRasterJob::TPaper paper{sheet, QSizeF(sheet) * 72.0 / 100, 100, false, QRect(QPoint(), sheet)};
        const QByteArray document = Written(job, c.Format, paper);
        for (int index = 0; index < 2; ++index) {
            SCOPED_TRACE(index);
            const TRasterPage page = ReadRaster(document, index);
            ASSERT_FALSE(page.Image.isNull()) << page.Error.toStdString();
            EXPECT_EQ(page.Pages, 2);
            const QRect mine = index == 0 ? first : second, other = index == 0 ? second : first;
            EXPECT_EQ(page.Image.pixelColor(mine.topLeft() + QPoint(5, 7)), Source(5, 7)) << "the sheet's own part";
            EXPECT_EQ(page.Image.pixelColor(other.topLeft() + QPoint(5, 7)), QColor(Qt::white))
                << "nothing of the other sheet";
        }
        EXPECT_EQ(ReadRaster(document, 1).End, document.size()) << "the file ends with the second sheet";
    }
}

TEST(RasterJob, RefusesWhatCannotPrint)
{
    TRasterJob job;
    EXPECT_FALSE(job.Add(QImage(), {0, 0, 10, 10}));
    EXPECT_FALSE(job.Add(Picture(4, 4, QImage::Format_BGR888), {0, 0, 0, 10}));
    EXPECT_TRUE(job.Empty());
    ASSERT_TRUE(job.Add(Picture(4, 4, QImage::Format_BGR888), {0, 0, 4, 4}));
    bool ok = true;
    Written(job, TFormat::Pwg, {{0, 100}, {0, 72}, 100, false, {0, 0, 10, 10}}, &ok);
    EXPECT_FALSE(ok) << "a paper without pixels";
    // A sink that refuses ends the writing with failure, at the end of a
    // small page or amid a large one (a connection lost mid-document).
    for (const int refusedCall : {1, 2}) {
        TRasterJob large;
        ASSERT_TRUE(large.Add(Picture(800, 800, QImage::Format_BGR888), {0, 0, 800, 800}));
        const QSize paper = refusedCall == 1 ? QSize(50, 50) : QSize(800, 800);
        int calls = 0;
        EXPECT_FALSE(large.Write(TFormat::Urf, {paper, QSizeF(paper) * 0.72, 100, false, QRect(QPoint(), paper)},
                                 [&](const char*, std::size_t) { return ++calls < refusedCall; }))
            << "refused on call " << refusedCall;
        EXPECT_EQ(calls, refusedCall) << "nothing more is offered once refused";
    }
}

TEST(RasterJob, KnowsWhichQueuesTakeARaster)
{
    const char* everywhere = "*PPD-Adobe: \"4.3\"\n*cupsFilter2: \"image/urf image/urf 100 -\"\n"
                             "*DefaultResolution: 600dpi\n";
    const struct {
        const char* Name;
        std::string Ppd;
        bool Raster;
        TFormat Format;
        int Dpi;
    } cases[] = {
        {"driverless, Apple raster", everywhere, true, TFormat::Urf, 600},
        {"PWG raster preferred when both pass", "*cupsFilter2: \"image/urf image/urf 100 -\"\n"
                                                "*cupsFilter2: \"image/pwg-raster image/pwg-raster 100 -\"\n"
                                                "*DefaultResolution: 300x300dpi\n", true, TFormat::Pwg, 300},
        {"older single filter line", "*cupsFilter: \"image/pwg-raster 0 -\"\n*DefaultResolution: 600dpi\n",
         true, TFormat::Pwg, 600},
        {"PostScript queue", "*cupsFilter: \"application/vnd.cups-postscript 0 -\"\n*DefaultResolution: 300dpi\n",
         false, TFormat::Pwg, 0},
        {"raster made by a filter program", "*cupsFilter2: \"image/urf image/urf 100 urftopdf\"\n"
                                            "*DefaultResolution: 600dpi\n", false, TFormat::Pwg, 0},
        {"raster turned into another", "*cupsFilter2: \"image/pwg-raster image/urf 100 -\"\n"
                                       "*DefaultResolution: 600dpi\n", false, TFormat::Pwg, 0},
        {"no resolution", "*cupsFilter2: \"image/urf image/urf 100 -\"\n", false, TFormat::Pwg, 0},
        {"unequal resolution", "*cupsFilter2: \"image/urf image/urf 100 -\"\n*DefaultResolution: 600x300dpi\n",
         false, TFormat::Pwg, 0},
        {"absurd resolution", "*cupsFilter2: \"image/urf image/urf 100 -\"\n*DefaultResolution: 99999999999999dpi\n",
         false, TFormat::Pwg, 0},
        {"no PPD", "", false, TFormat::Pwg, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TFormat format = TFormat::Pwg;
        int dpi = 0;
        EXPECT_EQ(TRasterJob::RasterFormatOf(c.Ppd, format, dpi), c.Raster);
        EXPECT_EQ(format, c.Format);
        EXPECT_EQ(dpi, c.Dpi);
    }
}

// The print system's own raster reader (cups-filters' rastertopdf) reads
// our pages as we do.
TEST(RasterJob, ThePrintSystemReadsItAsWeDo)
{
    const QString filter = QStringLiteral("/usr/lib/cups/filter/rastertopdf");
    if (!QFile::exists(filter) || QStandardPaths::findExecutable("pdfimages").isEmpty())
        GTEST_SKIP() << "no rastertopdf or pdfimages";
    QTemporaryDir folder;
    for (const TFormat format : {TFormat::Pwg, TFormat::Urf}) {
        SCOPED_TRACE(TRasterJob::MimeType(format));
        TRasterJob job;
        ASSERT_TRUE(job.Add(Picture(40, 30, QImage::Format_BGR888), {30, 20, 80, 60}));
        const QByteArray written = Written(job, format, {{200, 150}, {144, 108}, 72, false, {0, 0, 200, 150}});
        const QString raster = folder.filePath("page.ras"), pdf = folder.filePath("page.pdf");
        QFile file(raster);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(written);
        file.close();
        QProcess convert;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("CONTENT_TYPE", TRasterJob::MimeType(format));
        convert.setProcessEnvironment(environment);
        convert.setStandardOutputFile(pdf);
        convert.start(filter, {"1", "user", "title", "1", "", raster});
        ASSERT_TRUE(convert.waitForFinished(60000));
        ASSERT_EQ(convert.exitCode(), 0) << convert.readAllStandardError().toStdString();
        // The page's pixels as the PDF holds them, before any colour
        // management of a renderer.
        ASSERT_EQ(QProcess::execute("pdfimages", {"-png", pdf, folder.filePath("image")}), 0);
        const QImage theirs = QImage(folder.filePath("image-000.png")).convertToFormat(QImage::Format_RGB888);
        const QImage ours = ReadRaster(written).Image;
        ASSERT_EQ(theirs.size(), ours.size());
        int differ = 0;
        for (int y = 0; y < ours.height(); ++y)
            for (int x = 0; x < ours.width(); ++x)
                if (theirs.pixel(x, y) != ours.pixel(x, y) && ++differ <= 3)
                    ADD_FAILURE() << "(" << x << ", " << y << "): theirs " << theirs.pixelColor(x, y).name().toStdString()
                                  << ", ours " << ours.pixelColor(x, y).name().toStdString();
        EXPECT_EQ(differ, 0);
    }
}

} // namespace

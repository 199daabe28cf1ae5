#include "platform/platform.h"
#include "platform/recording_printer.h"

#include <gtest/gtest.h>

#include <memory>

using namespace orvanto;

namespace {

QImage Bitmap(int width, int height)
{
    QImage image(width, height, QImage::Format_BGR888);
    image.fill(Qt::white);
    return image;
}

TEST(NoPrinter, RefusesEverythingAndNeedsNoDevice)
{
    TNoPrinter printer;
    EXPECT_TRUE(printer.PrinterNames().empty());
    EXPECT_EQ(printer.CurrentPrinterName(), "");
    printer.SetCopies(5);
    EXPECT_EQ(printer.Copies(), 1);
    EXPECT_EQ(printer.DpiX(), 0);
    EXPECT_EQ(printer.PageWidth(), 0);
    EXPECT_FALSE(printer.BeginDoc());
    EXPECT_EQ(printer.StretchToDevice(Bitmap(4, 4), QRect(0, 0, 4, 4)), TStretchResult::DeviceFailed);
    EXPECT_FALSE(printer.EndDoc());
    EXPECT_FALSE(printer.PrintDialog(1));
}

TEST(Platform, PrinterDefaultsToNoneAndCanBeSwapped)
{
    auto recording = std::make_unique<TRecordingPrinter>();
    TRecordingPrinter* installed = recording.get();
    std::unique_ptr<IPrinter> previous = Platform().SetPrinter(std::move(recording));
    ASSERT_NE(previous, nullptr);
    EXPECT_TRUE(previous->PrinterNames().empty());
    EXPECT_EQ(&Platform().Printer(), installed);

    // Installing nothing falls back to the printer that is not there.
    std::unique_ptr<IPrinter> back = Platform().SetPrinter(nullptr);
    EXPECT_EQ(back.get(), installed);
    EXPECT_TRUE(Platform().Printer().PrinterNames().empty());
    Platform().SetPrinter(std::move(previous));
}

TEST(RecordingPrinter, CopiesKeepWhatTheDeviceAccepts)
{
    struct TCase {
        int MaxCopies;
        int Asked;
        int Kept;
    } cases[] = {{999, 3, 3}, {999, 0, 1}, {999, -7, 1}, {99, 250, 99}, {1, 2, 1}};
    for (const TCase& c : cases) {
        TRecordingPrinter printer;
        printer.MaxCopies = c.MaxCopies;
        printer.SetCopies(c.Asked);
        EXPECT_EQ(printer.Copies(), c.Kept) << "asked " << c.Asked << " of " << c.MaxCopies;
    }
}

TEST(RecordingPrinter, OrientationTurnsThePrintableArea)
{
    struct TCase {
        int Set;
        int Orientation;
        int Width;
        int Height;
    } cases[] = {{0, 0, 4800, 6600}, {1, 1, 6600, 4800}, {2, 0, 4800, 6600}, {-1, 0, 4800, 6600}};
    for (const TCase& c : cases) {
        TRecordingPrinter printer;
        printer.SetOrientation(c.Set);
        EXPECT_EQ(printer.Orientation(), c.Orientation) << c.Set;
        EXPECT_EQ(printer.PageWidth(), c.Width) << c.Set;
        EXPECT_EQ(printer.PageHeight(), c.Height) << c.Set;
    }
}

TEST(RecordingPrinter, RecordsJobWithItsSettingsAndBitmaps)
{
    TRecordingPrinter printer;
    printer.SetCopies(2);
    printer.SetOrientation(1);
    printer.SetTitle("Orvanto [Low, 2 copies]");
    ASSERT_TRUE(printer.BeginDoc());
    EXPECT_FALSE(printer.BeginDoc()) << "one job at a time";
    QImage page = Bitmap(30, 20);
    page.setPixelColor(0, 0, Qt::red);
    EXPECT_EQ(printer.StretchToDevice(page, QRect(0, 0, 6600, 4800)), TStretchResult::Drawn);
    page.setPixelColor(0, 0, Qt::blue); // the record must not follow the caller's bitmap
    ASSERT_TRUE(printer.EndDoc());

    ASSERT_EQ(printer.Jobs.size(), 1u);
    const TRecordingPrinter::TJob& job = printer.Jobs[0];
    EXPECT_EQ(job.Title, "Orvanto [Low, 2 copies]");
    EXPECT_EQ(job.Copies, 2);
    EXPECT_EQ(job.Orientation, 1);
    EXPECT_TRUE(job.Ended);
    ASSERT_EQ(job.Stretches.size(), 1u);
    EXPECT_EQ(job.Stretches[0].Destination, QRect(0, 0, 6600, 4800));
    EXPECT_EQ(job.Stretches[0].Bitmap.size(), QSize(30, 20));
    EXPECT_EQ(job.Stretches[0].Bitmap.pixelColor(0, 0), QColor(Qt::red));
}

TEST(RecordingPrinter, FailuresAsConfigured)
{
    struct TCase {
        const char* Name;
        int FailStretchFrom;
        qint64 AllocationLimit;
        bool InJob;
        QSize Size;
        TStretchResult Expected;
    } cases[] = {
        // 10 by 10 at 3 bytes a pixel, rows padded to 32 bytes: 320 bytes.
        {"plain", -1, 1 << 30, true, {10, 10}, TStretchResult::Drawn},
        {"device fails", 0, 1 << 30, true, {10, 10}, TStretchResult::DeviceFailed},
        {"too big to copy", -1, 319, true, {10, 10}, TStretchResult::OutOfMemory},
        {"just fits", -1, 320, true, {10, 10}, TStretchResult::Drawn},
        {"outside a job", -1, 1 << 30, false, {10, 10}, TStretchResult::DeviceFailed},
        {"device failure wins", 0, 1, true, {10, 10}, TStretchResult::DeviceFailed},
    };
    for (const auto& c : cases) {
        TRecordingPrinter printer;
        printer.FailStretchFrom = c.FailStretchFrom;
        printer.AllocationLimit = c.AllocationLimit;
        if (c.InJob) {
            ASSERT_TRUE(printer.BeginDoc());
        }
        EXPECT_EQ(printer.StretchToDevice(Bitmap(c.Size.width(), c.Size.height()), QRect(0, 0, 5, 5)),
                  c.Expected)
            << c.Name;
    }
}

TEST(RecordingPrinter, LaterStretchCallsFailOnceTheDeviceFailed)
{
    TRecordingPrinter printer;
    printer.FailStretchFrom = 1;
    ASSERT_TRUE(printer.BeginDoc());
    const QImage page = Bitmap(8, 8);
    EXPECT_EQ(printer.StretchToDevice(page, QRect(0, 0, 8, 8)), TStretchResult::Drawn);
    EXPECT_EQ(printer.StretchToDevice(page, QRect(0, 0, 8, 8)), TStretchResult::DeviceFailed);
    EXPECT_EQ(printer.StretchToDevice(page, QRect(0, 0, 8, 8)), TStretchResult::DeviceFailed);
    EXPECT_EQ(printer.Jobs[0].Stretches.size(), 3u);
}

TEST(RecordingPrinter, NoPrintersMeansNoMetricsNoJobNoDialog)
{
    TRecordingPrinter printer;
    printer.Names.clear();
    EXPECT_EQ(printer.CurrentPrinterName(), "");
    EXPECT_EQ(printer.DpiX(), 0);
    EXPECT_EQ(printer.PageHeight(), 0);
    EXPECT_FALSE(printer.BeginDoc());
    EXPECT_FALSE(printer.PrintDialog(3));
    EXPECT_EQ(printer.DialogPresets, std::vector<int>{3});
}

TEST(RecordingPrinter, DialogChoicesStayWithThePrinter)
{
    struct TCase {
        bool Confirms;
        int Picks;
        int PicksOrientation;
        bool Result;
        int Copies;
        int Orientation;
    } cases[] = {
        {true, -1, -1, true, 4, 0},  // confirmed as preset
        {true, 7, 1, true, 7, 1},    // the user changed both
        {false, 7, 1, false, 1, 0},  // cancelled: nothing changes
    };
    for (const auto& c : cases) {
        TRecordingPrinter printer;
        printer.DialogConfirms = c.Confirms;
        printer.DialogCopies = c.Picks;
        printer.DialogOrientation = c.PicksOrientation;
        EXPECT_EQ(printer.PrintDialog(4), c.Result);
        EXPECT_EQ(printer.Copies(), c.Copies);
        EXPECT_EQ(printer.Orientation(), c.Orientation);
    }
}

} // namespace

#include "app/settings_file.h"

#include "tests/test_support.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <tuple>

using namespace orvanto;

namespace {

TEST(SettingsFile, LoadRules)
{
    struct TCase {
        const char* Name;
        const char* Text; // nullptr: no file at all
        int (*Field)(const TStoredSettings&);
        int Expected;
    };
    const TCase cases[] = {
        {"no file keeps the default button bar", nullptr, [](const TStoredSettings& s) { return int(s.ShowButtonbar); }, 1},
        {"a missing key in a file is off", "[Settings]\nAutoPrint=1\n", [](const TStoredSettings& s) { return int(s.ShowButtonbar); }, 0},
        {"a missing copy count reads 0", "[Settings]\nAutoPrint=1\n", [](const TStoredSettings& s) { return int(s.Print.Copies); }, 0},
        {"a missing width reads 1", "[Settings]\nAutoPrint=1\n", [](const TStoredSettings& s) { return int(s.Width); }, 1},
        {"the one present key applies", "[Settings]\nAutoPrint=1\n", [](const TStoredSettings& s) { return int(s.Print.AutoPrint); }, 1},
        {"booleans are true only for 1", "[Settings]\nAutoClose=true\n", [](const TStoredSettings& s) { return int(s.Print.AutoClose); }, 0},
        {"a blank before 1 is trimmed", "[Settings]\nUseBkColor= 1\n", [](const TStoredSettings& s) { return int(s.Print.UseBkColor); }, 1},
        {"quality keeps the low 8 bits", "[Settings]\nQuality=257\n", [](const TStoredSettings& s) { return int(s.Print.Quality); }, 1},
        {"300 keeps 44", "[Settings]\nQuality=300\n", [](const TStoredSettings& s) { return int(s.Print.Quality); }, 44},
        {"a negative position keeps its low byte", "[Settings]\nPosition=-1\n", [](const TStoredSettings& s) { return int(s.Print.Position); }, 255},
        {"X is taken as it is", "[Settings]\nX=-70000\n", [](const TStoredSettings& s) { return int(s.Print.X); }, -70000},
        {"500.5 ties to the even 500", "[Settings]\nWidth=500.5\n", [](const TStoredSettings& s) { return int(s.Width); }, 500},
        {"501.5 ties to the even 502", "[Settings]\nWidth=501.5\n", [](const TStoredSettings& s) { return int(s.Width); }, 502},
        {"letters read as 0, raised to 1", "[Settings]\nHeight=abc\n", [](const TStoredSettings& s) { return int(s.Height); }, 1},
        {"key names ignore case", "[settings]\nbkcolor=255\n", [](const TStoredSettings& s) { return int(s.Print.BkColor); }, 255},
        // A file from before the printed sizes keeps their defaults.
        {"an older file keeps 10 cm across", "[Settings]\nAutoPrint=1\n", [](const TStoredSettings& s) { return int(s.Print.SizeX); }, 10000},
        {"an older file keeps 15 cm down", "[Settings]\nAutoPrint=1\n", [](const TStoredSettings& s) { return int(s.Print.SizeY); }, 15000},
        {"an older file keeps the lock on", "[Settings]\nAutoPrint=1\n", [](const TStoredSettings& s) { return int(s.Print.SizeLock); }, 1},
        {"an older file keeps the overlap", "[Settings]\nAutoPrint=1\n", [](const TStoredSettings& s) { return int(s.Print.PosterOverlap); }, 1000},
        {"a present lock of letters is off", "[Settings]\nSizeLock=yes\n", [](const TStoredSettings& s) { return int(s.Print.SizeLock); }, 0},
        {"a size of letters reads 0", "[Settings]\nSizeX=wide\n", [](const TStoredSettings& s) { return int(s.Print.SizeX); }, 0},
        {"a size rounds as other numbers", "[Settings]\nSizeY=12000.5\n", [](const TStoredSettings& s) { return int(s.Print.SizeY); }, 12000},
        {"poster", "[Settings]\nPoster=1\n", [](const TStoredSettings& s) { return int(s.Print.Poster); }, 1},
    };
    const std::string folder = MakeTempFolder("settings-load");
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string file = folder + "Orvanto.INI";
        QFile::remove(QString::fromStdString(file));
        if (c.Text) {
            ASSERT_TRUE(WriteWholeFile(file, c.Text));
        }
        TStoredSettings settings;
        EXPECT_EQ(TSettingsFile(file).Load(settings), c.Text != nullptr);
        EXPECT_EQ(c.Field(settings), c.Expected);
    }
}

TEST(SettingsFile, SavesAllKeysInOrderAtomicallyAndRoundTrips)
{
    const std::string folder = MakeTempFolder("settings-save");
    const std::string file = folder + "Orvanto.INI";
    // Every number its own value, so that two keys swapped show.
    TStoredSettings settings;
    TPrintSettings& print = settings.Print;
    std::tie(print.AutoClose, print.AutoPrint, settings.ToolbarOnTop, settings.ShowButtonbar) =
        std::tuple(true, false, 1, 0);
    std::tie(print.Copies, print.Quality, print.Position, print.Scale, print.Orientation) =
        std::tuple(3, pqHigh, ppCenter, psCustomFixed, poLandscape);
    std::tie(print.X, print.Y, print.ZoomX, print.ZoomY, print.ZoomXY) = std::tuple(-12, 34, 56, -78, 90);
    std::tie(settings.Width, settings.Height, print.PreviewSize, print.BkColor, print.UseBkColor) =
        std::tuple(640, 480, 1, 0x336699u, 1);
    std::tie(print.SizeX, print.SizeY, print.SizeLock, print.SizeFill, print.Poster, print.PosterOverlap,
             print.Printer, print.Paper) =
        std::tuple(8890, 12700, false, true, true, 550, std::string("Office_Laser"), std::string("na_letter_8.5x11in"));
    ASSERT_TRUE(TSettingsFile(file).Save(settings));
    EXPECT_EQ(ReadWholeFile(file),
              "[Settings]\nAutoClose=1\nAutoPrint=0\nToolbarOnTop=1\nShowButtonbar=0\nCopies=3\n"
              "Quality=2\nPosition=4\nScale=5\nOrientation=1\nX=-12\nY=34\nZoomX=56\nZoomY=-78\n"
              "ZoomXY=90\nWidth=640\nHeight=480\nSize=1\nBkColor=3368601\nUseBkColor=1\n"
              "SizeX=8890\nSizeY=12700\nSizeLock=0\nSizeFill=1\nPoster=1\nPosterOverlap=550\n"
              "Printer=Office_Laser\nPaper=na_letter_8.5x11in\n");
    EXPECT_EQ(QDir(QString::fromStdString(folder)).entryList(QDir::Files | QDir::Hidden).size(), 1)
        << "no temporary file is left beside it";
    TStoredSettings read;
    ASSERT_TRUE(TSettingsFile(file).Load(read));
    const auto all = [](const TStoredSettings& s) {
        const TPrintSettings& p = s.Print;
        return std::tuple(p.AutoClose, p.AutoPrint, s.ToolbarOnTop, s.ShowButtonbar, p.Copies, p.Quality,
                          p.Position, p.Scale, p.Orientation, p.X, p.Y, p.ZoomX, p.ZoomY, p.ZoomXY, s.Width,
                          s.Height, p.PreviewSize, p.BkColor, p.UseBkColor, p.SizeX, p.SizeY, p.SizeLock,
                          p.SizeFill, p.Poster, p.PosterOverlap, p.Printer, p.Paper);
    };
    EXPECT_EQ(all(read), all(settings));
}

TEST(SettingsFile, ReadOnlyFileIsLeftAlone)
{
    const std::string file = MakeTempFolder("settings-readonly") + "Orvanto.INI";
    ASSERT_TRUE(WriteWholeFile(file, "[Settings]\nAutoPrint=1\n"));
    QFile::setPermissions(QString::fromStdString(file), QFileDevice::ReadOwner | QFileDevice::ReadUser);
    TSettingsFile writer(file);
    EXPECT_FALSE(writer.Save(TStoredSettings()));
    EXPECT_EQ(writer.LastError(), "Unable to write to " + file);
    EXPECT_EQ(ReadWholeFile(file), "[Settings]\nAutoPrint=1\n");
}

} // namespace

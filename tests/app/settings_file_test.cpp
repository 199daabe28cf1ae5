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
        int TStoredSettings::*Field;
        int Expected;
    };
    const TCase cases[] = {
        {"no file keeps the default button bar", nullptr, &TStoredSettings::ShowButtonbar, 1},
        {"a missing key in a file is off", "[Settings]\nAutoPrint=1\n", &TStoredSettings::ShowButtonbar, 0},
        {"a missing copy count reads 0", "[Settings]\nAutoPrint=1\n", &TStoredSettings::Copies, 0},
        {"a missing width reads 1", "[Settings]\nAutoPrint=1\n", &TStoredSettings::Width, 1},
        {"the one present key applies", "[Settings]\nAutoPrint=1\n", &TStoredSettings::AutoPrint, 1},
        {"booleans are true only for 1", "[Settings]\nAutoClose=true\n", &TStoredSettings::AutoClose, 0},
        {"a blank before 1 is trimmed", "[Settings]\nUseBkColor= 1\n", &TStoredSettings::UseBkColor, 1},
        {"quality keeps the low 8 bits", "[Settings]\nQuality=257\n", &TStoredSettings::Quality, 1},
        {"300 keeps 44", "[Settings]\nQuality=300\n", &TStoredSettings::Quality, 44},
        {"a negative position keeps its low byte", "[Settings]\nPosition=-1\n", &TStoredSettings::Position, 255},
        {"X is taken as it is", "[Settings]\nX=-70000\n", &TStoredSettings::X, -70000},
        {"500.5 ties to the even 500", "[Settings]\nWidth=500.5\n", &TStoredSettings::Width, 500},
        {"501.5 ties to the even 502", "[Settings]\nWidth=501.5\n", &TStoredSettings::Width, 502},
        {"letters read as 0, raised to 1", "[Settings]\nHeight=abc\n", &TStoredSettings::Height, 1},
        {"key names ignore case", "[settings]\nbkcolor=255\n", &TStoredSettings::BkColor, 255},
        // A file from before the printed sizes keeps their defaults.
        {"an older file keeps 10 cm across", "[Settings]\nAutoPrint=1\n", &TStoredSettings::SizeX, 10000},
        {"an older file keeps 15 cm down", "[Settings]\nAutoPrint=1\n", &TStoredSettings::SizeY, 15000},
        {"an older file keeps the lock on", "[Settings]\nAutoPrint=1\n", &TStoredSettings::SizeLock, 1},
        {"an older file keeps the overlap", "[Settings]\nAutoPrint=1\n", &TStoredSettings::PosterOverlap, 1000},
        {"a present lock of letters is off", "[Settings]\nSizeLock=yes\n", &TStoredSettings::SizeLock, 0},
        {"a size of letters reads 0", "[Settings]\nSizeX=wide\n", &TStoredSettings::SizeX, 0},
        {"a size rounds as other numbers", "[Settings]\nSizeY=12000.5\n", &TStoredSettings::SizeY, 12000},
        {"poster", "[Settings]\nPoster=1\n", &TStoredSettings::Poster, 1},
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
        EXPECT_EQ(settings.*c.Field, c.Expected);
    }
}

TEST(SettingsFile, SavesAllKeysInOrderAtomicallyAndRoundTrips)
{
    const std::string folder = MakeTempFolder("settings-save");
    const std::string file = folder + "Orvanto.INI";
    // Every number its own value, so that two keys swapped show.
    TStoredSettings settings;
    std::tie(settings.AutoClose, settings.AutoPrint, settings.ToolbarOnTop, settings.ShowButtonbar) =
        std::tuple(1, 0, 1, 0);
    std::tie(settings.Copies, settings.Quality, settings.Position, settings.Scale, settings.Orientation) =
        std::tuple(3, 2, 4, 5, 1);
    std::tie(settings.X, settings.Y, settings.ZoomX, settings.ZoomY, settings.ZoomXY) =
        std::tuple(-12, 34, 56, -78, 90);
    std::tie(settings.Width, settings.Height, settings.Size, settings.BkColor, settings.UseBkColor) =
        std::tuple(640, 480, 1, 0x336699, 1);
    std::tie(settings.SizeX, settings.SizeY, settings.SizeLock, settings.SizeFill, settings.Poster,
             settings.PosterOverlap, settings.Printer, settings.Paper) =
        std::tuple(8890, 12700, 0, 1, 1, 550, std::string("Office_Laser"), std::string("na_letter_8.5x11in"));
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
        return std::tuple(s.AutoClose, s.AutoPrint, s.ToolbarOnTop, s.ShowButtonbar, s.Copies, s.Quality,
                          s.Position, s.Scale, s.Orientation, s.X, s.Y, s.ZoomX, s.ZoomY, s.ZoomXY, s.Width,
                          s.Height, s.Size, s.BkColor, s.UseBkColor, s.SizeX, s.SizeY, s.SizeLock, s.SizeFill,
                          s.Poster, s.PosterOverlap, s.Printer, s.Paper);
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

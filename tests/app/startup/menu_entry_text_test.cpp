// The menu entry the program writes at start-up, read back line by line:
// what the desktop's menu, its "Open With" and its search show of it.
#include "app/startup/menu_entry.h"

#include "support/files/paths.h"
#include "tests/test_support.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <filesystem>

using namespace orvanto;

namespace {

TEST(MenuEntryText, EveryLineAsWrittenAtStartUp)
{
    // A build folder whose language files hold the entry's German names.
    const std::string build = MakeTempFolder("entry-build");
    ASSERT_TRUE(WriteWholeFile(build + "CMakeCache.txt", "#"));
    std::filesystem::create_directories(build + "languages");
    ASSERT_TRUE(WriteWholeFile(build + "languages/de.llf", ReadWholeFile(ORVANTO_BINARY_DIR "/languages/de.llf")));
    const std::string program = build + "bin/Orvanto Beta";
    const std::string entry = Paths()->ProgramsFolder() + "org.example.Orvanto.desktop";
    std::filesystem::remove(entry);
    ASSERT_TRUE(InstallMenuEntry(program));
    const QStringList lines = QString::fromStdString(ReadWholeFile(entry)).split(QLatin1Char('\n'));
    const std::string expected[] = {
        "[Desktop Entry]",
        "Type=Application",
        "Version=1.4",
        "Name=Orvanto",
        "GenericName=Picture Printer",
        "GenericName[de]=Bilddrucker",
        "Comment=Print one picture at a time, laid out on the page as you choose",
        "Comment[de]=Druckt jeweils ein Bild, so auf der Seite angeordnet, wie Sie es wünschen",
        "TryExec=" + program,
        "Exec=\"" + program + "\" %f",
        "Icon=" + Paths()->MakerDataFolder("") + "orvanto.png",
        "Terminal=false",
        "StartupNotify=true",
        "Categories=Graphics;2DGraphics;RasterGraphics;Viewer;",
        "Keywords=print;picture;photo;bitmap;",
        // Every format it opens, so that "Open With" offers it for each.
        "MimeType=image/bmp;image/x-bmp;image/x-ms-bmp;image/jpeg;image/pjpeg;image/vnd.microsoft.icon;image/x-icon;"
        "image/wmf;image/x-wmf;image/emf;image/x-emf;image/x-portable-pixmap;image/x-portable-anymap;"
        "image/x-portable-graymap;image/x-portable-bitmap;image/x-xbitmap;image/x-orvanto-text-picture;"
        "image/x-orvanto-multiformat-image;image/png;image/gif;image/tiff;image/webp;image/heic;image/heif;image/avif;",
        "X-Orvanto-User-Entry=true",
        "",
    };
    ASSERT_EQ(lines.size(), qsizetype(std::size(expected))) << ReadWholeFile(entry);
    for (std::size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(lines[qsizetype(i)].toStdString(), expected[i]) << "line " << i + 1;
    std::filesystem::remove(entry);
}

} // namespace

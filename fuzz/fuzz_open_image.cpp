// Any bytes under any of the registry's extensions, opened as the program
// opens a file: the first byte picks the extension, the rest is the file.
#include "imaging/open_image.h"
#include "support/memory/memory_limit.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace orvanto;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Metafile text needs the font database of a Gui application; small
    // pictures keep every input quick to decode and paint.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication application(*argc, *argv);
    SetAllocationCeilingForTesting(1024 * 1024);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    TOpenImage* registry = OpenImage();
    if (!registry)
        __builtin_trap();
    const int index = data[0] % registry->Formats().Count();
    const TOpenImageEventHandler& entry = registry->Formats().Item(index);
    static const std::string folder =
        QDir::tempPath().toStdString() + "/fuzz-open-image-" + std::to_string(::getpid()) + "-";
    const std::string path = folder + "input" + entry.Extension;
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data + 1, 1, size - 1, file);
        std::fclose(file);
    } else {
        return 0;
    }

    QImage bitmap(3, 3, QImage::Format_BGR888);
    TImageInfoRec info{path, 16777215, "", &bitmap};
    const bool opened = registry->Open(info);
    std::remove(path.c_str());
    if (opened) {
        if (bitmap.isNull() || bitmap.format() != QImage::Format_BGR888 || bitmap.width() < 1
            || bitmap.height() < 1)
            __builtin_trap();
        return 0;
    }
    // Every failure names its cause; only the Text Picture codec has words
    // of its own, and the library readers tell an unsupported variant apart.
    if (info.ErrorText.empty())
        __builtin_trap();
    const bool libraryReader = entry.GraphicClass && entry.GraphicClass->ReportsOwnError && entry.Extension != ".TEP";
    if (entry.Extension != ".TEP" && info.ErrorText != "Unknown format" && info.ErrorText != "Out of memory"
        && !(libraryReader && info.ErrorText == "Unsupported format"))
        __builtin_trap();
    return 0;
}

// Reads a settings file as the program does at start: the user's file is
// outside bytes like any picture. Whatever it holds, the values come back in
// their ranges, and saving them and reading them again changes nothing.
#include "app/settings_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace orvanto;

namespace {

std::string MakeTempFile()
{
    char name[] = "/tmp/fuzz-settings-XXXXXX";
    const int handle = ::mkstemp(name);
    if (handle < 0)
        std::abort();
    ::close(handle);
    return name;
}

bool SameSettings(const TStoredSettings& a, const TStoredSettings& b)
{
    return a.AutoClose == b.AutoClose && a.AutoPrint == b.AutoPrint && a.ToolbarOnTop == b.ToolbarOnTop
        && a.ShowButtonbar == b.ShowButtonbar && a.Copies == b.Copies && a.Quality == b.Quality
        && a.Position == b.Position && a.Scale == b.Scale && a.Orientation == b.Orientation && a.X == b.X
        && a.Y == b.Y && a.ZoomX == b.ZoomX && a.ZoomY == b.ZoomY && a.ZoomXY == b.ZoomXY && a.Width == b.Width
        && a.Height == b.Height && a.Size == b.Size && a.BkColor == b.BkColor && a.UseBkColor == b.UseBkColor;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string input = MakeTempFile();
    static const std::string output = MakeTempFile();
    std::FILE* file = std::fopen(input.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        std::abort();

    TStoredSettings settings;
    if (!TSettingsFile(input).Load(settings))
        __builtin_trap(); // the file is there
    for (int flag : {settings.AutoClose, settings.AutoPrint, settings.ToolbarOnTop, settings.ShowButtonbar,
                     settings.UseBkColor})
        if (flag != 0 && flag != 1)
            __builtin_trap();
    for (int byte : {settings.Quality, settings.Position, settings.Scale, settings.Orientation})
        if (byte < 0 || byte > 255)
            __builtin_trap();
    if (settings.Width < 1 || settings.Height < 1)
        __builtin_trap();

    TSettingsFile saved(output);
    if (!saved.Save(settings))
        __builtin_trap();
    TStoredSettings again;
    if (!saved.Load(again) || !SameSettings(settings, again))
        __builtin_trap();
    return 0;
}

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
    // The booleans of the print settings and the four modes are kept in
    // types that hold nothing else; the int flags are checked here.
    for (int flag : {settings.ToolbarOnTop, settings.ShowButtonbar, settings.Print.UseBkColor})
        if (flag != 0 && flag != 1)
            __builtin_trap();
    if (settings.Width < 1 || settings.Height < 1)
        __builtin_trap();

    TSettingsFile saved(output);
    if (!saved.Save(settings))
        __builtin_trap();
    TStoredSettings again;
    if (!saved.Load(again) || !(settings == again))
        __builtin_trap();
    return 0;
}

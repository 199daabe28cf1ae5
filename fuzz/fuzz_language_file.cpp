// Reads language files as the program does at start, then translates with
// whatever table came out of them.
#include "localisation/language.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace orvanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TLanguage language(TLanguage::TStart::Empty);
    const bool loaded = language.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!loaded && (language.EntryCount() != 0 || language.Name() != "English"))
        __builtin_trap(); // a failed load must leave the program in English
    if (language.EntryCount() > TLanguage::MaxEntries)
        __builtin_trap();
    for (std::size_t i = 0; i < language.EntryCount() && i < 8; ++i)
        (void)language.TranslateText("&" + language.Entry(i).English + "...\r\nx");
    return 0;
}

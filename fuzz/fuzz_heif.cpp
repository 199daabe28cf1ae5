#include "imaging/library/heif_reader.h"

#include "library_reader_fuzz.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace orvanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The thumbnail taken as the quick copy: a copy exactly when it says so.
    QImage copy;
    QSize full;
    if (ReadHeifPreview(data, size, [](QSize) { return QSize(64, 64); }, copy, full) == copy.isNull())
        __builtin_trap();
    return FuzzLibraryReader(data, size, [](const std::uint8_t* data, std::size_t size, QImage& picture,
                                            std::string& error) { return ReadHeif(data, size, picture, error); });
}

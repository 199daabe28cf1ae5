#include "imaging/library/tiff_reader.h"

#include "library_reader_fuzz.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace orvanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return FuzzLibraryReader(data, size, [](const std::uint8_t* data, std::size_t size, QImage& picture,
                                            std::string& error) { return ReadTiff(data, size, picture, error); });
}

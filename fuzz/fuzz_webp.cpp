#include "imaging/library/webp_reader.h"

#include "library_reader_fuzz.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace orvanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const int result = FuzzLibraryReader(data, size, [](const std::uint8_t* data, std::size_t size, QImage& picture,
                                                        std::string& error) { return ReadWebp(data, size, picture, error); });
    // The quick reduced copy: at most half the full size, and a picture
    // exactly when it says it read one.
    QImage preview;
    QSize full;
    const bool reduced = ReadWebpPreview(data, size, [](QSize) { return QSize(1, 1); }, preview, full);
    if (reduced != !preview.isNull()
        || (reduced && (preview.width() > (full.width() + 1) / 2 + 1 || preview.height() > (full.height() + 1) / 2 + 1)))
        __builtin_trap();
    return result;
}

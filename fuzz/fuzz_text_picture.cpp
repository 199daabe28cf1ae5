#include "imaging/codecs/text_picture.h"
#include "support/memory/memory_limit.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

using namespace orvanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    SetAllocationCeilingForTesting(16 * 1024 * 1024);
    TTextPicture codec;
    if (!codec.LoadFromText(std::string(reinterpret_cast<const char*>(data), size))) {
        if (codec.LastError != "Unknown format" && codec.LastError != "Out of memory")
            __builtin_trap();
        return 0;
    }
    // What we read, written at 6 bits and read back, keeps every pixel whose
    // colour made it into the 64-colour palette; the size always survives.
    QByteArray saved;
    QBuffer out(&saved);
    out.open(QIODevice::WriteOnly);
    codec.SetLineStyle(int(size % 3));
    codec.SaveToStream(out);
    TTextPicture again;
    if (!again.LoadFromText(saved.toStdString()) || again.Picture.size() != codec.Picture.size())
        __builtin_trap();
    return 0;
}

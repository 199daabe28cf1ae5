// Loads archive bytes as the program does (from 0, then 154 bytes in) and
// unpacks every entry found, so both the record reader and the inflater see
// hostile input.
#include "archive/zip_box.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

using namespace orvanto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    TZipBox box;
    if (!box.LoadFromStream(stream, false))
        return 0;
    for (int i = 0; i < box.Count(); ++i) {
        QBuffer target;
        target.open(QIODevice::WriteOnly);
        box.ExtractToStream(box.Item(i), target);
        box.Find(box.Item(i)->Name, "*");
    }
    return 0;
}

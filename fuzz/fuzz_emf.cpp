// Plays enhanced metafiles from arbitrary bytes: header, object
// table, every record family, bitmaps and text.
#include "imaging/codecs/picture_allocation.h"
#include "imaging/metafile/metafile.h"
#include "support/memory/memory_limit.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>

using namespace orvanto;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Text needs the font database of a Gui application; small pictures
    // keep every input quick to paint.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication application(*argc, *argv);
    SetAllocationCeilingForTesting(256 * 1024);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TMetafile metafile(96);
    if (!metafile.LoadFromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))))
        return 0;
    QImage picture = AllocatePicture(metafile.Width(), metafile.Height());
    if (picture.isNull())
        return 0;
    metafile.Draw(picture);
    return picture.format() == QImage::Format_BGR888 ? 0 : 1;
}

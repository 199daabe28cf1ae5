// X Bitmap for `info` and `convert`.

#include "codec_io.h"
#include "picture_io.h"

#include "imaging/codecs/x_bitmap.h"

namespace orvanto {

namespace {

bool ReadXBitmap(const std::string& path, QImage& picture, std::string& error, std::string&)
{
    TXBitmap codec;
    return LoadWithCodec(codec, path, picture, error);
}

bool WriteXBitmap(const QImage& picture, const std::string& path, const TToolOptions&, std::string& error)
{
    TXBitmap codec;
    return SaveWithCodec(codec, picture, path, error);
}

TRegisterReader xbmReader({".XBM", "X Bitmap (Monochrome)", &ReadXBitmap});
TRegisterWriter xbmWriter({".XBM", {}, &WriteXBitmap});

} // namespace

} // namespace orvanto

#include "codec_io.h"

#include <QFile>

namespace orvanto {

bool LoadWithCodec(TCodecGraphic& codec, const std::string& path, QImage& picture, std::string& error)
{
    if (!codec.TryLoadFromFile(path)) {
        error = codec.LastError;
        return false;
    }
    picture = codec.Picture;
    return true;
}

bool SaveWithCodec(TCodecGraphic& codec, const QImage& picture, const std::string& path,
                   std::string& error)
{
    codec.AssignBitmap(picture);
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = codec.Texts().InUse;
        return false;
    }
    try {
        codec.SaveToStream(file);
    } catch (const EGeneralError& failure) {
        error = failure.Message;
        return false;
    }
    if (!file.flush()) {
        error = codec.Texts().OutOfMemory;
        return false;
    }
    return true;
}

} // namespace orvanto

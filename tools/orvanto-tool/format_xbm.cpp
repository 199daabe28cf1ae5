// X Bitmap for `info` and `convert`.

#include "picture_io.h"

#include "imaging/codecs/x_bitmap.h"

#include <QFile>

namespace {

bool ReadXBitmap(const std::string& path, QImage& picture, std::string& error, std::string& details)
{
    (void)details;
    TXBitmap codec;
    if (!codec.TryLoadFromFile(path)) {
        error = codec.LastError;
        return false;
    }
    picture = codec.Picture;
    return true;
}

bool WriteXBitmap(const QImage& picture, const std::string& path, const TToolOptions& options,
                  std::string& error)
{
    (void)options;
    TXBitmap codec;
    codec.AssignBitmap(picture);
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = "File in use.";
        return false;
    }
    try {
        codec.SaveToStream(file);
    } catch (const EGeneralError& failure) {
        error = failure.Message;
        return false;
    }
    if (!file.flush()) {
        error = "Out of memory.";
        return false;
    }
    return true;
}

TRegisterReader xbmReader({".XBM", "X Bitmap (Monochrome)", &ReadXBitmap});
TRegisterWriter xbmWriter({".XBM", {}, &WriteXBitmap});

} // namespace

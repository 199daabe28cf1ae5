// Optimised Multiformat Image for `info` and `convert`.

#include "picture_io.h"

#include "imaging/optimised_image.h"

#include <QFile>

namespace {

bool ReadOptimised(const std::string& path, QImage& picture, std::string& error, std::string& details)
{
    TOptimisedImage codec;
    if (!codec.TryLoadFromFile(path)) {
        error = codec.LastError;
        return false;
    }
    picture = codec.Picture;
    details = codec.PayloadKind;
    return true;
}

bool WriteOptimised(const QImage& picture, const std::string& path, const TToolOptions&, std::string& error)
{
    TOptimisedImage codec;
    codec.AssignBitmap(picture);
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = "File in use";
        return false;
    }
    try {
        codec.SaveToStream(file);
    } catch (const EGeneralError& failure) {
        error = failure.Message;
        return false;
    }
    if (!file.flush()) {
        error = "Out of disk space";
        return false;
    }
    return true;
}

TRegisterReader omiReader({".OMI", "Optimised Multiformat Image", &ReadOptimised});
TRegisterWriter omiWriter({".OMI", {}, &WriteOptimised});

} // namespace

#include "app/startup/carrier.h"

#include "imaging/bitmap/bitmap_reader.h"
#include "support/messages/messages.h"

#include <QFile>

namespace orvanto {

QImage LoadCarrier(const QString& fileName, std::string& error)
{
    error = Messages::FileNotFound;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QImage picture;
    if (!ReadBitmap(file, picture, error))
        return {};
    return picture;
}

} // namespace orvanto

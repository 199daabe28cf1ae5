#include "picture_io.h"

#include <QImage>

namespace orvanto {

namespace {

// PNG through Qt, for comparing pictures with other programs' renderings.
bool WritePng(const QImage& picture, const std::string& path, const TToolOptions&, std::string& error)
{
    error = "Out of disk space";
    return picture.save(QString::fromStdString(path), "PNG");
}

TRegisterWriter writer{{".PNG", {}, &WritePng}};

} // namespace

} // namespace orvanto

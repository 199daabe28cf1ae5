#include "picture_io.h"

#include "imaging/bitmap/icon_reader.h"

namespace orvanto {

namespace {

// Icons print over white, as the workspace asks for.
bool Read(const std::string& path, QImage& picture, std::string& error, std::string& details)
{
    return ReadIconFile(path, 0xFFFFFF, picture, error, &details);
}

TRegisterReader ico{{".ICO", "Icon", &Read}};

} // namespace

} // namespace orvanto

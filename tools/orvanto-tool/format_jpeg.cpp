#include "picture_io.h"

#include "imaging/library/jpeg_codec.h"

namespace orvanto {

namespace {

bool Read(const std::string& path, QImage& picture, std::string& error, std::string& details)
{
    return ReadJpegFile(path, picture, error, &details);
}

bool Write(const QImage& picture, const std::string& path, const TToolOptions& options, std::string& error)
{
    int quality = 90;
    if (!options.Integer("--jpeg-quality", 90, 1, 100, quality, error))
        return false;
    return SaveJpegFile(picture, quality, path, error);
}

TRegisterReader jpg{{".JPG", "Jpeg", &Read}};
TRegisterReader jif{{".JIF", "Jpeg", &Read}};
TRegisterReader jpeg{{".JPEG", "Jpeg", &Read}};
TRegisterReader jpe{{".JPE", "Jpeg", &Read}};
TRegisterWriter jpgWriter{{".JPG", {"--jpeg-quality"}, &Write}};

} // namespace

} // namespace orvanto

// The portable bitmap, graymap and pixmap family for `info` and `convert`.

#include "codec_io.h"
#include "picture_io.h"

#include "imaging/codecs/portable_pixelmap.h"

namespace orvanto {

namespace {

bool ReadPortable(const std::string& path, QImage& picture, std::string& error, std::string& details)
{
    TPortablePixelmap codec;
    if (!LoadWithCodec(codec, path, picture, error))
        return false;
    details = std::string(1, 'P');
    details += char('0' + codec.PixelType());
    return true;
}

// .ppm raw pixmap, .pgm raw graymap, .pbm raw bitmap unless --pnm-type names another.
TPictureWriter PortableWriter(const std::string& extension, int defaultType)
{
    return {extension, {"--pnm-type"},
            [defaultType](const QImage& picture, const std::string& path, const TToolOptions& options,
                          std::string& error) {
                int type = defaultType;
                if (!options.Integer("--pnm-type", defaultType, 1, 6, type, error))
                    return false;
                TPortablePixelmap codec;
                codec.SetPixelType(type);
                return SaveWithCodec(codec, picture, path, error);
            }};
}

TRegisterReader ppmReader({".PPM", "Portable Pixelmaxp", &ReadPortable});
TRegisterReader pgmReader({".PGM", "Portable Graymap", &ReadPortable});
TRegisterReader pbmReader({".PBM", "Portable Bitmap (Monochrome)", &ReadPortable});
TRegisterWriter ppmWriter(PortableWriter(".PPM", 6));
TRegisterWriter pgmWriter(PortableWriter(".PGM", 5));
TRegisterWriter pbmWriter(PortableWriter(".PBM", 4));

} // namespace

} // namespace orvanto

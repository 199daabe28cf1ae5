#include "imaging/format_mime_types.h"

#include "support/text/text_conversion.h"

#include <algorithm>

namespace orvanto {

const std::vector<TFormatMimeTypes>& FormatMimeTypes()
{
    // Aliases matter: desktops still hand files over under the older names
    // (image/x-bmp, image/x-icon, ...), and an entry that lacks the name a
    // desktop uses is not offered for the file.
    static const std::vector<TFormatMimeTypes> table = {
        {".BMP", {"image/bmp", "image/x-bmp", "image/x-ms-bmp"}},
        {".DIB", {"image/bmp"}},
        {".RLE", {"image/bmp"}},
        {".JPG", {"image/jpeg", "image/pjpeg"}},
        {".JIF", {"image/jpeg"}},
        {".ICO", {"image/vnd.microsoft.icon", "image/x-icon"}},
        {".WMF", {"image/wmf", "image/x-wmf"}},
        {".EMF", {"image/emf", "image/x-emf"}},
        {".PPM", {"image/x-portable-pixmap", "image/x-portable-anymap"}},
        {".PGM", {"image/x-portable-graymap"}},
        {".PBM", {"image/x-portable-bitmap"}},
        {".XBM", {"image/x-xbitmap"}},
        {".TEP", {TextPictureMimeType}},
        {".OMI", {OptimisedImageMimeType}},
        {".PNG", {"image/png"}},
        {".GIF", {"image/gif"}},
        {".TIF", {"image/tiff"}},
        {".TIFF", {"image/tiff"}},
        {".WEBP", {"image/webp"}},
        {".HEIC", {"image/heic"}},
        {".HEIF", {"image/heif"}},
        {".AVIF", {"image/avif"}},
        {".JPEG", {"image/jpeg", "image/pjpeg"}},
        {".JPE", {"image/jpeg"}},
    };
    return table;
}

std::vector<std::string> AllFormatMimeTypes()
{
    std::vector<std::string> types;
    for (const TFormatMimeTypes& row : FormatMimeTypes())
        for (const char* type : row.Types)
            if (std::find(types.begin(), types.end(), type) == types.end())
                types.emplace_back(type);
    return types;
}

std::vector<std::string> MimeTypesOfExtension(const std::string& extension)
{
    const std::string wanted = UpperAscii(extension);
    for (const TFormatMimeTypes& row : FormatMimeTypes())
        if (wanted == row.Extension)
            return {row.Types.begin(), row.Types.end()};
    return {};
}

} // namespace orvanto

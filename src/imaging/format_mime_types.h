#pragma once

// The media (MIME) types under which the desktop knows the picture formats
// the registry opens: what the program's desktop entry offers to open, and
// what "Open With" lists it for. The program's own two formats are
// registered with the desktop by the shared-mime-info package installed
// beside the program (packaging/orvanto-mime.xml), under the names below.

#include <string>
#include <vector>

namespace orvanto {

inline constexpr const char* TextPictureMimeType = "image/x-orvanto-text-picture";
inline constexpr const char* OptimisedImageMimeType = "image/x-orvanto-multiformat-image";

struct TFormatMimeTypes {
    const char* Extension;          // with the dot, upper case, as the registry stores it
    std::vector<const char*> Types; // the desktop's usual name first, then its aliases
};

// One row per extension the registry knows, in the registry's order.
const std::vector<TFormatMimeTypes>& FormatMimeTypes();

// The types of FormatMimeTypes(), each once, in table order.
std::vector<std::string> AllFormatMimeTypes();

// The types of one extension (".jpg" or ".JPG"); empty when it has no row.
std::vector<std::string> MimeTypesOfExtension(const std::string& extension);

} // namespace orvanto

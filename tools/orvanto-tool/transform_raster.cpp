// The raster transforms of the program as `convert` options, applied in the
// order given: --rotate DEGREES, --flip, --mirror, --invert.

#include "picture_io.h"

#include "raster/raster_transforms.h"

#include <charconv>

namespace orvanto {

namespace {

// The whole picture, as the program's edit commands pass it.
TManipulationInfo WholePicture(QImage& picture)
{
    TManipulationInfo info;
    info.Bitmap = &picture;
    info.Rect = PictureRect(&picture);
    info.Exclusive = true;
    return info;
}

bool Finish(bool done, const TManipulationInfo& info, std::string& error)
{
    if (!done)
        error = info.ErrorText;
    return done;
}

bool Rotate(QImage& picture, const std::string& value, std::string& error)
{
    int angle = 0;
    const char* end = value.data() + value.size();
    const auto [stop, failure] = std::from_chars(value.data(), end, angle);
    if (value.empty() || failure != std::errc() || stop != end || angle < -360 || angle > 360) {
        error = "--rotate needs a whole number of degrees from -360 to 360";
        return false;
    }
    TManipulationInfo info = WholePicture(picture);
    if (RotateBy(info, angle))
        return true;
    // Angles between 271 and 359 are no turn the program makes; RotateBy
    // refuses them without a message of its own.
    error = info.ErrorText.empty() ? "Cannot rotate by " + value + " degrees" : info.ErrorText;
    return false;
}

TRegisterTransform rotate{{"--rotate", true, &Rotate}};

TRegisterTransform flip{{"--flip", false, [](QImage& picture, const std::string&, std::string& error) {
    TManipulationInfo info = WholePicture(picture);
    return Finish(FlipVertical(info), info, error);
}}};

TRegisterTransform mirror{{"--mirror", false,
                           [](QImage& picture, const std::string&, std::string& error) {
    TManipulationInfo info = WholePicture(picture);
    return Finish(MirrorHorizontal(info), info, error);
}}};

TRegisterTransform invert{{"--invert", false,
                           [](QImage& picture, const std::string&, std::string& error) {
    TManipulationInfo info = WholePicture(picture);
    return Finish(InvertColors(info), info, error);
}}};

} // namespace

} // namespace orvanto

#include "imaging/colour_profile.h"

namespace orvanto {

// Profiles are not converted yet: every picture is taken as sRGB.
bool ConvertToSrgb(QImage& /*picture*/, const QByteArray& /*profile*/)
{
    return false;
}

} // namespace orvanto

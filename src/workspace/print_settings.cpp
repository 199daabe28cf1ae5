#include "workspace/print_settings.h"

#include "workspace/print_size.h"

#include <algorithm>

namespace orvanto {

namespace {

std::string NameOf(const char* const* names, int count, int value)
{
    return value >= 0 && value < count ? names[value] : std::string();
}

template <typename TMode>
TMode InRange(TMode mode, int count)
{
    return TMode(std::clamp(int(mode), 0, count - 1));
}

} // namespace

std::string PrintScaleName(int scale)
{
    static const char* const names[] = {"Actual Size", "Scale to Page", "Fit to Page",
                                        "As Is",       "Custom",        "Custom Fixed",
                                        "Exact Size"};
    return NameOf(names, PrintScaleCount, scale);
}

std::string PrintPositionName(int position)
{
    static const char* const names[] = {"Top Left",     "Top Right", "Bottom Left",
                                        "Bottom Right", "Center",    "Custom"};
    return NameOf(names, PrintPositionCount, position);
}

std::string PrintQualityName(int quality)
{
    static const char* const names[] = {"Low", "Medium", "High"};
    return NameOf(names, PrintQualityCount, quality);
}

std::string PrintOrientationName(int orientation)
{
    static const char* const names[] = {"Portrait", "Landscape"};
    return NameOf(names, PrintOrientationCount, orientation);
}

TPrintSettings TPrintSettings::Validated() const
{
    TPrintSettings valid = *this;
    valid.Quality = InRange(Quality, PrintQualityCount);
    valid.Position = InRange(Position, PrintPositionCount);
    valid.Scale = InRange(Scale, PrintScaleCount);
    valid.Orientation = InRange(Orientation, PrintOrientationCount);
    valid.Copies = std::clamp(Copies, 1, MostCopies);
    valid.PreviewSize = std::clamp(PreviewSize, 0, 1);
    valid.SizeX = ClampStoredSize(SizeX, DefaultSizeX);
    valid.SizeY = ClampStoredSize(SizeY, DefaultSizeY);
    valid.PosterOverlap = std::clamp(PosterOverlap, 0, LargestSize);
    return valid;
}

} // namespace orvanto

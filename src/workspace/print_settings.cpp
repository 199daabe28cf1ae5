#include "workspace/print_workspace_info.h"

namespace orvanto {

namespace {

std::string NameOf(const char* const* names, int count, int value)
{
    return value >= 0 && value < count ? names[value] : std::string();
}

} // namespace

std::string PrintScaleName(int scale)
{
    static const char* const names[] = {"Actual Size", "Scale to Page", "Fit to Page",
                                        "As Is",       "Custom",        "Custom Fixed"};
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

void SetDefaults(TPrintWorkspaceInfo& info)
{
    info.Resolution = 100;
    info.NoSave = false;
    info.Quality = pqLow;
    info.Scale = psFitToPage;
    info.Position = ppCenter;
    info.Orientation = poPortrait;
    info.FactorX = 1.0L;
    info.FactorY = 1.0L;
    info.ZoomX = 0;
    info.ZoomY = 0;
    info.X = 0;
    info.Y = 0;
    info.ZoomXY = 0;
}

} // namespace orvanto

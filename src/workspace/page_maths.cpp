#include "workspace/page_maths.h"

#include "workspace/print_settings.h"

#include <cmath>
#include <limits>

namespace orvanto {

namespace {

constexpr std::int64_t Int32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t Int32Min = std::numeric_limits<std::int32_t>::min();

std::int32_t Saturate(std::int64_t value)
{
    return std::int32_t(value > Int32Max ? Int32Max : value < Int32Min ? Int32Min : value);
}

} // namespace

std::int32_t Round(long double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= Int32Max)
        return std::int32_t(Int32Max);
    if (value <= Int32Min)
        return std::int32_t(Int32Min);
    // The default rounding mode sends halves to the even neighbour.
    return std::int32_t(std::nearbyint(value));
}

std::int64_t Halve(std::int64_t value)
{
    return value / 2;
}

long double ZoomFactor(std::int32_t percent)
{
    if (percent >= 1)
        return 1 + percent * 0.01L;
    // At -3201 the factor would reach 0 and below it turn negative, giving
    // pictures no size or a negative one; the settings bar never offers
    // less than -3200, so a smaller stored value means that.
    if (percent < SmallestZoom)
        percent = SmallestZoom;
    return 1 + percent / 3201.0L;
}

std::int32_t ZoomLength(std::int32_t length, std::int32_t percent)
{
    if (percent == 0 || length == 0)
        return length;
    return Round(length * ZoomFactor(percent));
}

std::int32_t QualityDimension(std::int32_t dimension, int quality)
{
    // The page bitmap is stretched over the whole page whatever its size, so
    // this trades sharpness for job size only. High keeps every pixel the
    // memory budget allows; Medium keeps three quarters of each side (a job
    // of about 56 %), Low half of each side (a quarter of the bytes, still
    // 150 dpi and more on most pages): quick drafts that look smooth.
    std::int64_t side = dimension;
    switch (quality) {
    case pqHigh: break;
    case pqMedium: side = side * 3 / 4; break;
    default: side = side / 2; break;
    }
    return Saturate(side < 1 ? 1 : side);
}

} // namespace orvanto

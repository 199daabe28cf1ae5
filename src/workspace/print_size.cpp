#include "workspace/print_size.h"

#include <cmath>

namespace orvanto {

namespace {

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

} // namespace

TSizeUnit SizeUnitFor(const std::string& paper, bool localeInches)
{
    // Letter and Legal are the papers of the countries that measure in
    // inches; a user printing on them thinks in inches whatever the locale.
    if (StartsWith(paper, "na_letter_") || StartsWith(paper, "na_legal_") || localeInches)
        return TSizeUnit::Inch;
    return TSizeUnit::Millimetre;
}

double SizeInUnit(std::int32_t hundredths, TSizeUnit unit)
{
    if (unit == TSizeUnit::Inch)
        return std::round(double(hundredths) * 100 / HundredthsPerInch) / 100;
    return std::round(double(hundredths) / 10) / 10;
}

int SizeDecimals(TSizeUnit unit)
{
    return unit == TSizeUnit::Inch ? 2 : 1;
}

const char* SizeUnitName(TSizeUnit unit)
{
    return unit == TSizeUnit::Inch ? "in" : "mm";
}

TTypedSize CheckTypedSize(double value, TSizeUnit unit)
{
    TTypedSize typed;
    if (!std::isfinite(value) || value <= 0)
        return typed;
    const double hundredths = unit == TSizeUnit::Inch ? value * HundredthsPerInch : value * 100;
    if (hundredths > LargestSize) {
        typed.Outcome = TTypedSize::Clamped;
        typed.Hundredths = LargestSize;
        return typed;
    }
    // A value that rounds to nothing is as good as zero.
    typed.Hundredths = std::int32_t(std::lround(hundredths));
    typed.Outcome = typed.Hundredths >= 1 ? TTypedSize::Accepted : TTypedSize::Refused;
    return typed;
}

std::int32_t ClampStoredSize(std::int32_t hundredths, std::int32_t fallback)
{
    if (hundredths < 1)
        return fallback;
    return hundredths > LargestSize ? LargestSize : hundredths;
}

std::int32_t LockedSide(std::int32_t typed, std::int32_t pictureTyped, std::int32_t pictureOther)
{
    if (pictureTyped < 1 || pictureOther < 1)
        return typed;
    const double other = double(typed) * pictureOther / pictureTyped;
    if (other > LargestSize)
        return LargestSize;
    return other < 1 ? 1 : std::int32_t(std::lround(other));
}

} // namespace orvanto

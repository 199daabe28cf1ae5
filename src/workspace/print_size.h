#pragma once

// The printed size the user types: the unit the boxes show, the standard
// photo sizes, and the rules a typed or stored size obeys. Sizes travel in
// hundredths of a millimetre (10 x 15 cm is 10000 x 15000), whatever unit
// the boxes show, so a size survives a change of paper or locale exactly.
// Pure rules: nothing here asks a device or shows a message.

#include <cstdint>
#include <string>
#include <utility>

namespace orvanto {

enum class TSizeUnit { Millimetre, Inch };

inline constexpr std::int32_t HundredthsPerInch = 2540;
// 10 m: no paper or poster anyone prints is larger.
inline constexpr std::int32_t LargestSize = 1000000;
// 10 x 15 cm, the size most photos are printed at.
inline constexpr std::int32_t DefaultSizeX = 10000;
inline constexpr std::int32_t DefaultSizeY = 15000;

// Inches on Letter or Legal paper (PWG media names "na_letter_..." and
// "na_legal_..."), or when the locale measures in inches; else millimetres.
TSizeUnit SizeUnitFor(const std::string& paper, bool localeInches);

// What a box shows for a size: millimetres to 0.1, inches to 0.01.
double SizeInUnit(std::int32_t hundredths, TSizeUnit unit);
int SizeDecimals(TSizeUnit unit);
const char* SizeUnitName(TSizeUnit unit); // "mm" or "in"

// A value typed into a box. Refused (the box keeps its old value) when it is
// zero, negative or not a number; clamped to 10 m when larger.
struct TTypedSize {
    enum TOutcome { Accepted, Refused, Clamped } Outcome = Refused;
    std::int32_t Hundredths = 0;
};
TTypedSize CheckTypedSize(double value, TSizeUnit unit);

// A stored size as ApplyInfo keeps it: 1..LargestSize; none (0 or less, as
// a missing or garbled key reads) falls back to the default size.
std::int32_t ClampStoredSize(std::int32_t hundredths, std::int32_t fallback);

// With the lock on, the side that follows a typed one keeps the picture's
// aspect; never below one hundredth.
std::int32_t LockedSide(std::int32_t typed, std::int32_t pictureTyped, std::int32_t pictureOther);

} // namespace orvanto

#pragma once

// The arithmetic of the page: rounding as the layout rounds, zoom
// percentages, the quality rule of the page bitmap, and the values the
// layout falls back on when a device reports nothing.

#include <cstdint>

namespace orvanto {

inline constexpr int FallbackPrinterDpi = 300;
inline constexpr int FallbackScreenPpi = 96;
inline constexpr int FallbackPageWidth = 2400;
inline constexpr int FallbackPageHeight = 3000;
inline constexpr int FallbackPrintBitmapWidth = 2000;
inline constexpr int FallbackPrintBitmapHeight = 2500;
inline constexpr std::int32_t DefaultMemoryBudget = 15000000;
// Zoom percentages below this act as this: the factor stays positive, so no
// formula yields a negative size (see ZoomFactor).
inline constexpr std::int32_t SmallestZoom = -3200;

// Rounds to the nearest integer, halves to the even neighbour, saturating at
// the 32-bit range (not-a-number gives 0).
std::int32_t Round(long double value);
// Integer halving that truncates toward zero: -7 gives -3.
std::int64_t Halve(std::int64_t value);

// 1 + p / 100 for p >= 1; 1 + p / 3201 for p <= 0, with p below SmallestZoom
// taken as SmallestZoom.
long double ZoomFactor(std::int32_t percent);
// A length zoomed by a percentage; 0 stays 0.
std::int32_t ZoomLength(std::int32_t length, std::int32_t percent);

// The page bitmap side actually rendered for a quality level, from the side
// that fits the memory budget: High renders it whole, Medium three quarters
// of it, Low half. Always at least 1, never above the given side when that is
// positive; width and height go through the same rule, keeping the aspect.
std::int32_t QualityDimension(std::int32_t dimension, int quality);

} // namespace orvanto

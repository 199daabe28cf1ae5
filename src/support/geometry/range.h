#pragma once

namespace orvanto {

// Integer range helpers.
inline int Max(int a, int b) { return a < b ? b : a; }
inline int Min(int a, int b) { return b < a ? b : a; }
// The smaller of high and the larger of value and low: high wins when low
// exceeds high.
inline int Clamp(int value, int low, int high)
{
    const int v = value < low ? low : value;
    return v > high ? high : v;
}

} // namespace orvanto

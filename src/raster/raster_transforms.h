#pragma once

// In-place flip, mirror, quarter and half turns and colour inversion of a
// 24-bit blue-green-red picture (QImage::Format_BGR888). Every operation
// takes a parameter block naming the picture and an area, and reports
// failure by a false result with the message in ErrorText; nothing throws.
//
// These run on pictures of tens of megapixels while the user waits, so they
// work on whole rows where they can (flip, mirror, inversion never need a
// second picture) and the quarter turn copies in cache-sized tiles.

#include "support/geometry/rect.h"

#include <QImage>

#include <cstdint>
#include <string>

namespace orvanto {

struct TManipulationInfo {
    QImage* Bitmap = nullptr; // not owned
    TRect Rect;
    // True: Right and Bottom are one past the last pixel; false: they are the
    // last pixel itself.
    bool Exclusive = true;
    std::string ErrorText;
    std::int32_t InvertRed = 0;
    std::int32_t InvertGreen = 0;
    std::int32_t InvertBlue = 0;
};

// The whole picture as (0, 0, width, height); (0, 0, -1, -1) without one.
TRect PictureRect(const QImage* bitmap);

// Clamps left and right into 0..width (0..width - 1 when not exclusive) and
// top and bottom likewise.
void ClampRect(TRect& rect, int width, int height, bool exclusive);
// Swaps the edges of a rectangle given the wrong way round.
void NormalizeRect(TRect& rect);

// The common first step: a picture must be named; the rectangle is clamped
// to it and normalised.
bool ManipulationValidate(TManipulationInfo& info);

// Reverses the order of the rows within the rectangle.
bool FlipVertical(TManipulationInfo& info);
// Reverses the order of the columns within the rectangle.
bool MirrorHorizontal(TManipulationInfo& info);

// Turns the rectangle half round: its rows and its columns reversed.
bool RotateHalf(TManipulationInfo& info);

enum : int { RotateClockwise = 0, RotateCounterClockwise = 1 };
// Turns the whole picture a quarter (the rectangle is only validated). Needs
// one picture-sized allocation; when that fails the picture is left as it was.
// A picture whose memory nobody else shares is given back to the system band
// by band as it is copied, so the turn never holds two whole pictures.
bool RotateQuarter(TManipulationInfo& info, int direction);
// Turns by an angle in degrees, -360..360, by ranges: up to a quarter turn
// clockwise counts as one, and so on. Other angles fail, ErrorText unchanged.
bool RotateBy(TManipulationInfo& info, int angle);

// Inverts all three channels within the rectangle.
bool InvertColors(TManipulationInfo& info);
// Inverts the channels whose Invert field is non-zero within the rectangle.
bool InvertChannels(TManipulationInfo& info);

// The target becomes a copy of the source: format, size and pixels.
bool CopyBitmap(const QImage& source, QImage& target);

} // namespace orvanto

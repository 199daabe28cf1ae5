#pragma once

// Scales a 24-bit picture into a rectangle of another picture: the page
// bitmap of a print job and the preview's scaled copy both come from here.
//
// Reducing, every source pixel contributes: each target pixel is the average
// of the source area around it, weighted by a triangle whose reach grows
// with the reduction (a little more than one target pixel to either side),
// so fine lines and photographs scale without moiré. Enlarging, pixels are
// interpolated bilinearly. Only the part of the rectangle that lies on the
// target is computed, so a picture zoomed far beyond the page or dragged
// mostly off it costs no more than one that fits. The work is shared between
// two threads.
//
// The source is QImage::Format_BGR888; the target Format_BGR888 or one of
// the 32-bit formats (RGB32, ARGB32, ARGB32_Premultiplied; alpha is set to
// opaque); two different pictures. Nothing throws.

#include <QImage>

#include <atomic>
#include <cstdint>

namespace orvanto {

struct TScaleRect {
    std::int64_t Left = 0;
    std::int64_t Top = 0;
    std::int64_t Width = 0;
    std::int64_t Height = 0;
};

// Lets another thread follow a long scale and stop it. Stop is read between
// blocks of rows: once it is set the scale ends early and reports false,
// leaving the target partly drawn. Permille, when given, counts the rows of
// the target done, in thousandths.
struct TScaleWatch {
    const std::atomic<bool>* Stop = nullptr;
    std::atomic<int>* Permille = nullptr;
};

// Draws source scaled to destination (in target pixels; it may reach past
// the target's edges or lie wholly outside) into target; target pixels
// outside destination keep their value. False, target unchanged, for an
// unsupported format or when memory for the work rows runs out, and false
// when watch stopped it; an empty destination or one off the target draws
// nothing and is true.
bool DrawScaled(const QImage& source, QImage& target, const TScaleRect& destination,
                int threads = 2, const TScaleWatch& watch = {});

// The whole source scaled to width x height, Format_BGR888; a null image
// when a side is not positive, the source is not Format_BGR888 or memory
// runs out.
QImage ScaledPicture(const QImage& source, int width, int height, int threads = 2);

} // namespace orvanto

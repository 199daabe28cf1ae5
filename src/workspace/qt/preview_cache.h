#pragma once

// Paints the preview page: the picture scaled to where it lands on the page,
// and the background around it. The scaled copy is kept between paints and
// rebuilt only when the picture's size on the page changed (the caller says
// so) or when a part comes into view that the copy does not hold: a drag or
// a repaint of an unchanged page only copies pixels.
//
// Only the part of the laid-out picture that overlaps the visible part of
// the page is scaled and kept. A picture zoomed to many times the page's
// size therefore costs no more memory than the visible page itself; should
// even that be refused, Paint reports failure and fills the page with the
// background instead.
//
// Everything here is in device pixels, so the page is crisp on a screen of
// high density.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>

#include <cstdint>

class QPainter;

namespace orvanto {

struct TPreviewFrame {
    QSize Page;        // the page surface
    QRect Visible;     // the part of the page that shows in the box
    // The picture's rectangle on the page as the layout computes it: it may
    // reach far beyond the page, hence 64 bits.
    std::int64_t Left = 0;
    std::int64_t Top = 0;
    std::int64_t Width = 0;
    std::int64_t Height = 0;
    QColor Background;
};

class TPreviewCache {
public:
    // Paints frame with painter (whose units are the page's device pixels).
    // picture null or empty: the page is only filled. rebuild forces a new
    // scaled copy. False when the picture could not be drawn.
    bool Paint(QPainter& painter, const QImage* picture, const TPreviewFrame& frame, bool rebuild);
    // Drops the scaled copy.
    void Clear();

private:
    bool Holds(const QRect& part, std::int64_t width, std::int64_t height) const;
    bool Rebuild(const QImage& picture, std::int64_t width, std::int64_t height, const QRect& part);

    QImage FImage;          // the scaled copy of FPart
    QRect FPart;            // which part of the laid-out picture it holds
    std::int64_t FWidth = 0; // the laid-out size it was scaled for
    std::int64_t FHeight = 0;
};

} // namespace orvanto

#pragma once

// One sheet of a poster as a page bitmap: its part of the picture inside the
// tile, and in the border around it the cut marks and the "row, column"
// label, in black on the page colour. The bitmap covers the printable area
// at width x height pixels; the plan is in page pixels and is scaled to it.
// A null image when memory runs out or watch stopped the drawing.

#include "raster/resampler.h"
#include "workspace/poster_plan.h"

#include <QImage>

#include <cstdint>

namespace orvanto {

struct TPosterSheetPage {
    int PageWidth = 0;  // the printable area, page pixels
    int PageHeight = 0;
    int Dpi = 0;        // page pixels per inch, for the marks' and label's size
    std::int64_t PictureWidth = 0; // the whole picture on paper, page pixels
    std::int64_t PictureHeight = 0;
    std::uint32_t Background = 0xFFFFFF; // 0x00BBGGRR
};

QImage DrawPosterSheet(const QImage& picture, const TPosterPlan& plan, const TPosterSheet& sheet,
                       const TPosterSheetPage& page, int width, int height, const TScaleWatch& watch = {});

// The border each sheet keeps around its tile: 5 mm at dpi.
std::int64_t PosterBorder(int dpi);

} // namespace orvanto

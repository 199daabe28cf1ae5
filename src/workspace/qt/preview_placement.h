#pragma once

// Where the page preview goes in its scrolling box: plain arithmetic on
// sizes, so it is the same whatever widgets show it.
//
// The page keeps its aspect and a margin of 10 pixels on every side. In
// Overall a landscape page fills the available width and a portrait page
// the available height (even when that makes it wider than a narrow box,
// which then scrolls); Close Up shows it twice as large.

#include <QSize>

namespace orvanto {

inline constexpr int PreviewMargin = 10;

struct TPreviewPlacement {
    QSize Page;     // the white page, without margin
    QSize Frame;    // the page with its margin on every side
    int FrameLeft = 0; // centred in the client width, 0 when it does not fit
    QSize Client;   // the box's client size this placement was made for
};

// One fitting pass for a client size. aspect is page height / page width;
// previewSize 0 is Overall, 1 Close Up.
TPreviewPlacement FitPreviewPage(QSize client, long double aspect, int previewSize);

// The client size a scrolling box with inner size (inside its border) has
// once it shows the scroll bars (barExtent thick) that a frame of that size
// needs.
QSize ClientForFrame(QSize frame, QSize inner, int barExtent);

// The placement as the box will show it: fitted to the current client size,
// then fitted again to the client size that the first result leaves once the
// scroll bars have come or gone.
TPreviewPlacement PlacePreviewPage(QSize currentClient, QSize inner, int barExtent,
                                   long double aspect, int previewSize);

} // namespace orvanto

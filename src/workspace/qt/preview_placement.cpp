#include "workspace/qt/preview_placement.h"

#include "workspace/page_layout.h"

#include <algorithm>

namespace orvanto {

TPreviewPlacement FitPreviewPage(QSize client, long double aspect, int previewSize)
{
    const int m = PreviewMargin;
    const int aw = client.width() - 2 * m;
    const int ah = client.height() - 2 * m;
    int w = aw;
    int h = Round(w * aspect);
    if ((h > w || h > ah) && aspect > 0) {
        h = ah;
        w = Round(ah / aspect);
    }
    // A box smaller than its margins leaves no page to draw on.
    w = std::max(w, 1) * (std::clamp(previewSize, 0, 1) + 1);
    h = std::max(h, 1) * (std::clamp(previewSize, 0, 1) + 1);

    TPreviewPlacement placement;
    placement.Page = QSize(w, h);
    placement.Frame = QSize(w + 2 * m, h + 2 * m);
    placement.Client = client;
    if (client.width() > placement.Frame.width())
        placement.FrameLeft = int(Halve(client.width() - placement.Frame.width()));
    return placement;
}

QSize ClientForFrame(QSize frame, QSize inner, int barExtent)
{
    // A bar that is needed takes room from the other direction, which can
    // make the other bar needed too.
    bool horizontal = frame.width() > inner.width();
    bool vertical = frame.height() > inner.height();
    if (horizontal && !vertical)
        vertical = frame.height() > inner.height() - barExtent;
    if (vertical && !horizontal)
        horizontal = frame.width() > inner.width() - barExtent;
    return QSize(inner.width() - (vertical ? barExtent : 0),
                 inner.height() - (horizontal ? barExtent : 0));
}

TPreviewPlacement PlacePreviewPage(QSize currentClient, QSize inner, int barExtent,
                                   long double aspect, int previewSize)
{
    const TPreviewPlacement first = FitPreviewPage(currentClient, aspect, previewSize);
    return FitPreviewPage(ClientForFrame(first.Frame, inner, barExtent), aspect, previewSize);
}

} // namespace orvanto

#include "workspace/early_preview.h"

#include "support/diagnostics/startup_timeline.h"

#include <algorithm>
#include <cmath>
#include <system_error>

namespace orvanto {

QSize TEarlyPreview::Fitted(QSize full, QSize bound)
{
    if (full.isEmpty() || bound.isEmpty())
        return QSize(1, 1);
    const double scale = std::min({1.0, double(bound.width()) / full.width(), double(bound.height()) / full.height()});
    return QSize(std::max(1, int(std::ceil(full.width() * scale))), std::max(1, int(std::ceil(full.height() * scale))));
}

TEarlyPreview::TEarlyPreview(std::string fileName, QSize bound) : TEarlyPreview(std::move(fileName))
{
    Aim(bound);
}

TEarlyPreview::TEarlyPreview(std::string fileName) : FFileName(std::move(fileName))
{
    const TGraphicClass* graphicClass = BuiltInGraphicClass(FFileName);
    if (!graphicClass || !graphicClass->Preview)
        return;
    FCopy.GraphicClass = graphicClass;
    try {
        FThread = std::thread([this, graphicClass] {
            MarkStartup("quick copy decode starts");
            TCopy copy;
            copy.GraphicClass = graphicClass;
            const TPreviewNeed need = [this, &copy](QSize full) { return copy.Asked = Bound(full); };
            try {
                if (graphicClass->Preview(FFileName, need, copy.Preview, copy.FullSize)
                    && copy.Preview.format() != QImage::Format_BGR888)
                    copy.Preview = copy.Preview.convertToFormat(QImage::Format_BGR888);
            } catch (...) {
                // No copy: the window reads the picture as it would without one.
                copy.Preview = QImage();
            }
            FCopy = std::move(copy);
            MarkStartup("quick copy decoded");
        });
    } catch (const std::system_error&) {
        // No thread to spare: the window reads the copy itself.
        FCopy.GraphicClass = nullptr;
    }
}

void TEarlyPreview::Aim(QSize bound)
{
    {
        const std::lock_guard<std::mutex> lock(FMutex);
        if (FBound)
            return;
        FBound = bound;
    }
    FAimed.notify_all();
}

QSize TEarlyPreview::Bound(QSize full)
{
    std::unique_lock<std::mutex> lock(FMutex);
    FAimed.wait(lock, [this] { return FBound.has_value(); });
    // No reduced copy reaches the whole size: a withdrawn aim reads nothing.
    return FBound->isEmpty() ? full : Fitted(full, *FBound);
}

TEarlyPreview::~TEarlyPreview()
{
    Aim(QSize());
    if (FThread.joinable())
        FThread.join();
}

TEarlyPreview::TCopy TEarlyPreview::Take(const std::string& fileName, const TGraphicClass* graphicClass)
{
    // Taken without an aim: the window has had no say, so nothing is wanted.
    Aim(QSize());
    if (FThread.joinable())
        FThread.join();
    TCopy copy = std::move(FCopy);
    FCopy = TCopy();
    if (fileName != FFileName || !graphicClass || copy.GraphicClass != graphicClass || copy.Preview.isNull()
        || copy.FullSize.isEmpty())
        return TCopy();
    return copy;
}

} // namespace orvanto

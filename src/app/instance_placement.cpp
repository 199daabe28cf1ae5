#include "app/instance_placement.h"

#include "support/messages/general.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace orvanto {

QPoint NewInstancePosition(const QRect& frame, const QRect& client, const QRect& screen, int minimumStep)
{
    const int step = std::max(client.top() - frame.top(), minimumStep);
    QPoint at = frame.topLeft() + QPoint(step, step);
    if (at.x() + frame.width() > screen.right() + 1 || at.y() + frame.height() > screen.bottom() + 1)
        at = screen.topLeft();
    return at;
}

bool StartBeside(const QWidget& window, const std::function<bool()>& start)
{
    const QScreen* screen = window.screen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 16, 1 << 16);
    // Without a window manager (or before it framed the window) the frame
    // is the client area: the style's title bar height stands in.
    const int titleBar = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    const QPoint at = NewInstancePosition(window.frameGeometry(), window.geometry(), area, titleBar);
    qputenv(NewWindowPlaceVariable, QByteArray::number(at.x()) + ',' + QByteArray::number(at.y()));
    bool started = false;
    try {
        started = start();
    } catch (...) {
        ShowCaughtFailure();
    }
    qunsetenv(NewWindowPlaceVariable);
    return started;
}

std::optional<QPoint> TakeNewWindowPlace()
{
    const QByteArray value = qgetenv(NewWindowPlaceVariable);
    qunsetenv(NewWindowPlaceVariable);
    const QList<QByteArray> parts = value.split(',');
    if (parts.size() != 2)
        return std::nullopt;
    bool xOk = false;
    bool yOk = false;
    const QPoint at(parts[0].toInt(&xOk), parts[1].toInt(&yOk));
    if (!xOk || !yOk)
        return std::nullopt;
    return at;
}

} // namespace orvanto

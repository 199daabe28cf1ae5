#include "platform/screen.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace orvanto {

int TGuiScreen::PixelsPerInch()
{
    constexpr int fallback = 96;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return fallback;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return fallback;
    const int dpi = int(std::lround(screen->logicalDotsPerInch()));
    return dpi > 0 ? dpi : fallback;
}

} // namespace orvanto

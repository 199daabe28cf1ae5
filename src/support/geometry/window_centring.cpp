#include "support/geometry/window_centring.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

namespace orvanto {

void CenteredPosition(int windowWidth, int windowHeight, int screenWidth,
                                int screenHeight, int& left, int& top)
{
    left = (screenWidth - windowWidth) / 2;
    top = (screenHeight - windowHeight) / 2;
}

void CenterForm(QWindow* window)
{
    if (!window)
        return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    int left = 0;
    int top = 0;
    CenteredPosition(window->width(), window->height(), screen->geometry().width(),
                     screen->geometry().height(), left, top);
    window->setPosition(left, top);
}

} // namespace orvanto

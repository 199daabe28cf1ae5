#include "platform/qt/center_form.h"

#include "support/geometry/window_centring.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace orvanto {

void CenterForm(QWidget* widget)
{
    if (!widget)
        return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The frame is what the user sees as the window, so the frame is centred.
    const QRect frame = widget->frameGeometry();
    int left = 0;
    int top = 0;
    CenteredPosition(frame.width(), frame.height(), screen->geometry().width(),
                               screen->geometry().height(), left, top);
    widget->move(left, top);
}

} // namespace orvanto

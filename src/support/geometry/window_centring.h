#pragma once

class QWindow;

namespace orvanto {

// Moves the window, keeping its size, so that it sits in the middle of the
// whole primary screen; a window larger than the screen gets negative
// coordinates. A null window is ignored. (Widgets use the overload in
// platform/qt/center_form.h.)
void CenterForm(QWindow* window);
// The top-left corner that centres a window of that size on a screen.
void CenteredPosition(int windowWidth, int windowHeight, int screenWidth, int screenHeight, int& left,
                      int& top);

} // namespace orvanto

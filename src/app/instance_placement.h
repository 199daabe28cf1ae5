#pragma once

// Where a second copy of the program (File > New Instance) puts its window:
// offset from the first by the height of its title bar, down and to the
// right, so that the user sees two windows instead of one exactly on top of
// the other. The running copy hands the position to the new one in its
// environment; a copy started any other way centres its window as usual.

#include <QPoint>
#include <QRect>

#include <functional>
#include <optional>

class QWidget;

namespace orvanto {

inline constexpr char NewWindowPlaceVariable[] = "ORVANTO_NEW_WINDOW_AT";

// The new window's frame position: the first one's frame moved by its title
// bar's height (frame top to client top, at least minimumStep) in both
// directions, back at the screen's top left corner when it would not fit.
QPoint NewInstancePosition(const QRect& frame, const QRect& client, const QRect& screen, int minimumStep);

// Runs start() with the position of a new window beside this one in the
// environment it passes on, and takes it away again afterwards.
bool StartBeside(const QWidget& window, const std::function<bool()>& start);

// The position the starting copy asked for, read once and removed from the
// environment so that programs this copy starts do not inherit it.
std::optional<QPoint> TakeNewWindowPlace();

} // namespace orvanto

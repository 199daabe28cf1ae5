#pragma once

class QWidget;

namespace orvanto {

// Moves a top-level widget, keeping its size, into the middle of the whole
// primary screen (not the work area). A null widget is ignored.
void CenterForm(QWidget* widget);

} // namespace orvanto

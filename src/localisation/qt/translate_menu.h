#pragma once

class QAction;
class QMenu;
class QMenuBar;

namespace orvanto {

// Translates a menu tree in place: every caption except separators goes
// through Translate, then the sub-items in order. A null item is ignored; a
// failure on one item leaves the remaining items of that level as they are.
void TranslateMenu(QAction* item);
void TranslateMenu(QMenu* menu);
void TranslateMenu(QMenuBar* menuBar);

} // namespace orvanto

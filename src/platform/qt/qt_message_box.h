#pragma once

#include "platform/message_box.h"

class QString;
class QWidget;

namespace orvanto {

// The width an error box needs to show its whole title bar: the title with
// the program's name the desktop adds, in bold, and the bar's buttons.
int MessageBoxTitleWidth(const QString& title, const QWidget* box);

// QMessageBox with the critical icon. On a display nobody can see (Qt's
// offscreen platform) the text goes to standard error instead and the call
// returns at once, so unattended runs never wait for a click. The box sits
// over the program's window and is wide enough for its title.
class TQtMessageBox final : public IMessageBox {
public:
    void ShowError(const std::string& text, const std::string& caption) override;
};

} // namespace orvanto

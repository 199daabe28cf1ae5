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
// over the program's window and is wide enough for its title. An unattended
// run asks for the text on standard error always, for the script that
// started it, and for the box as well where a display can be seen.
class TQtMessageBox final : public IMessageBox {
public:
    explicit TQtMessageBox(bool alsoToStandardError = false) : FAlsoToStandardError(alsoToStandardError) {}
    void ShowError(const std::string& text, const std::string& caption) override;
    int Ask(const std::string& text, const std::string& caption) override;

private:
    bool FAlsoToStandardError;
};

} // namespace orvanto

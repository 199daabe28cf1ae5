#pragma once

#include "platform/message_box.h"

#include <chrono>

class QString;
class QWidget;

namespace orvanto {

// The width an error box needs to show its whole title bar: the title with
// the program's name the desktop adds, in bold, and the bar's buttons.
int MessageBoxTitleWidth(const QString& title, const QWidget* box);

// How long the box of an unattended run stays up before it closes itself:
// long enough to be read by someone watching, short enough that a script
// or a print queue is never held for a person who is not there.
inline constexpr std::chrono::milliseconds UnattendedBoxLimit{15000};

// QMessageBox with the critical icon, its texts shown as plain text. On a
// display nobody can see (Qt's offscreen platform) the text goes to standard
// error instead and the call returns at once. The box sits over the
// program's window and is wide enough for its title.
//
// An unattended run writes the text to standard error always, for the
// script that started it, and where a display can be seen shows the box as
// well, which closes itself after closeAfter: such a run never waits for a
// person.
class TQtMessageBox final : public IMessageBox {
public:
    explicit TQtMessageBox(bool unattended = false, std::chrono::milliseconds closeAfter = UnattendedBoxLimit)
        : FUnattended(unattended), FCloseAfter(closeAfter)
    {
    }
    void ShowError(const std::string& text, const std::string& caption) override;
    // Tests: show the box on the offscreen platform too.
    void ShowOnAnyPlatform() { FAnyPlatform = true; }
    int Ask(const std::string& text, const std::string& caption) override;

private:
    bool FUnattended;
    std::chrono::milliseconds FCloseAfter;
    bool FAnyPlatform = false;
};

} // namespace orvanto

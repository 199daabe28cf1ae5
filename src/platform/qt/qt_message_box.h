#pragma once

#include "platform/message_box.h"

namespace orvanto {

// QMessageBox with the critical icon. On a display nobody can see (Qt's
// offscreen platform) the text goes to standard error instead and the call
// returns at once, so unattended runs never wait for a click.
class TQtMessageBox final : public IMessageBox {
public:
    void ShowError(const std::string& text, const std::string& caption) override;
};

} // namespace orvanto

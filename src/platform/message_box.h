#pragma once

#include <string>

namespace orvanto {

// The modal error box. The Qt implementation lives in platform/qt; lower
// layers only see this interface through TPlatform.
class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    // Shows text under caption with the error icon and an OK button and
    // returns when the user has closed it. Texts arrive already translated
    // and are shown exactly as given: no mnemonics, no markup.
    virtual void ShowError(const std::string& text, const std::string& caption) = 0;
    // A question with Yes and No. 1 for Yes, 0 for No, -1 when nobody can
    // answer (no display anyone sees): the caller then takes the safe way.
    virtual int Ask(const std::string& text, const std::string& caption) = 0;
};

// Writes the message to standard error: what a run without a visible display
// (the command-line tool, unattended printing) needs, since nobody could
// close a box there.
class TConsoleMessageBox final : public IMessageBox {
public:
    void ShowError(const std::string& text, const std::string& caption) override;
    int Ask(const std::string& text, const std::string& caption) override;
};

// Translated texts join their lines with CR LF; a terminal, a log file or a
// script wants a plain line feed, so every CR LF (and a lone CR) becomes one.
std::string WithPlainLineFeeds(const std::string& text);

} // namespace orvanto

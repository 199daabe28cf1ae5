#pragma once

// The built-in help: its pages come from the help carrier (carrier.h).

#include <memory>

namespace orvanto {

class THelp;

// The help service over the built-in help carrier; null when it cannot be
// made (the Help command then does nothing).
std::unique_ptr<THelp> CreateProgramHelp();

// Opens the help's start page in the browser: the one the language file
// names, when the help has it, else the English one. The error box when
// neither opens.
bool ShowHelpStartPage(THelp& help);

} // namespace orvanto

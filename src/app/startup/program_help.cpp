#include "app/startup/program_help.h"

#include "app/startup/carrier.h"
#include "archive/help.h"
#include "localisation/language.h"
#include "support/messages/program_name.h"

#include <string>

namespace orvanto {

std::unique_ptr<THelp> CreateProgramHelp()
{
    try {
        std::string error;
        QImage carrier = LoadCarrier(QString::fromLatin1(HelpCarrierResource), error);
        return std::make_unique<THelp>(ProgramName, &carrier);
    } catch (...) {
        // Start-up goes on without help: the Help command does nothing then.
        return nullptr;
    }
}

bool ShowHelpStartPage(THelp& help)
{
    // A language file names the start page of the help in its language;
    // without one, or when the help has no such page, the English one opens.
    const std::string page = Translate("index.html");
    if (page != "index.html" && help.ShowPage(page))
        return true;
    if (help.ShowPage("index.html"))
        return true;
    help.ShowLastError();
    return false;
}

} // namespace orvanto

#include "support/messages/general.h"

#include "platform/platform.h"
#include "support/messages/messages.h"
#include "support/services.h"
#include "support/messages/translation_hook.h"

#include <cstdlib>

namespace orvanto {

using TGeneralSlot = TServiceSlot<TGeneral, TService::General>;

TGeneral* General() { return TGeneralSlot::Get(); }
void FreeGeneral() { TGeneralSlot::Free(); }

void ShowError(const std::string& message)
{
    if (TGeneral* general = General())
        general->ShowError(message);
}

void TGeneral::ShowError(const std::string& message)
{
    try {
        Platform().MessageBox().ShowError(TranslateForDisplay(message),
                                          TranslateForDisplay("Error"));
    } catch (...) {
        // Reporting an error must never become one.
    }
}

void TGeneral::FatalOutOfMemory()
{
    ShowError(Messages::OutOfMemory);
    std::exit(EXIT_FAILURE);
}

} // namespace orvanto

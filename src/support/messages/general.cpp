#include "support/messages/general.h"

#include "platform/platform.h"
#include "support/messages/messages.h"
#include "support/services.h"
#include "support/messages/translation_hook.h"

#include <cstdlib>
#include <exception>
#include <new>

namespace orvanto {

using TGeneralSlot = TServiceSlot<TGeneral, TService::General>;

TGeneral* General() { return TGeneralSlot::Get(); }
void FreeGeneral() { TGeneralSlot::Free(); }

void ShowError(const std::string& message)
{
    if (TGeneral* general = General())
        general->ShowError(message);
}

std::string CaughtFailureMessage()
{
    try {
        if (const std::exception_ptr failure = std::current_exception())
            std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        return Messages::OutOfMemory;
    } catch (...) {
        return Messages::UnexpectedError;
    }
    return Messages::UnexpectedError;
}

void ShowError(const std::string& message, const std::string& detail)
{
    if (TGeneral* general = General())
        general->ShowError(message, detail);
}

void ShowCaughtFailure()
{
    ShowError(CaughtFailureMessage());
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

void TGeneral::ShowError(const std::string& message, const std::string& detail)
{
    try {
        // Only our own words pass through the translation: it would take an
        // "&" in a file name for a mnemonic.
        Platform().MessageBox().ShowError(TranslateForDisplay(message) + "\n" + detail,
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

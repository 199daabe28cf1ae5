#include "support/general.h"

#include "platform/platform.h"
#include "support/messages.h"
#include "support/services.h"
#include "support/translation_hook.h"

#include <cstdlib>
#include <mutex>
#include <new>

namespace orvanto {

namespace {

// A plain pointer: freed by the exit sequence (support/services.h).
TGeneral* GeneralSlot = nullptr;

} // namespace

TGeneral* General()
{
    if (!GeneralSlot) {
        ArrangeShutdownAtExit();
        GeneralSlot = new (std::nothrow) TGeneral;
    }
    return GeneralSlot;
}

void FreeGeneral()
{
    delete GeneralSlot;
    GeneralSlot = nullptr;
}

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

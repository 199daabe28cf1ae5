#include "app/startup/startup_extras.h"

#include "app/startup/carrier.h"
#include "app/startup/program_help.h"
#include "app/startup/splash.h"
#include "archive/help.h"
#include "support/messages/messages.h"
#include "ui/compact_splash.h"

namespace orvanto {

TStartupExtras::TStartupExtras() = default;

TStartupExtras::~TStartupExtras()
{
    Shutdown();
}

bool TStartupExtras::PrepareSplash(bool hasArgument)
{
    try {
        FLastError = Messages::OutOfMemory;
        FSplash = CreateSplash();
        std::string error;
        QImage carrier = LoadCarrier(QString::fromLatin1(SplashCarrierResource), error);
        if (PrepareSplashPicture(carrier, *FSplash, hasArgument, FLastError))
            return true;
    } catch (...) {
        // Handled below: no splash, and false with the message set above.
    }
    FSplash.reset();
    return false;
}

void TStartupExtras::CreateHelp()
{
    FHelp = CreateProgramHelp();
}

void TStartupExtras::FinishSplash()
{
    if (FSplash && FSplash->Visible())
        FSplash->CloseAfter(1);
}

bool TStartupExtras::ShowHelp()
{
    return FHelp && ShowHelpStartPage(*FHelp);
}

void TStartupExtras::ShowAbout()
{
    if (FSplash)
        FSplash->ShowAbout();
}

void TStartupExtras::Shutdown()
{
    FSplash.reset();
    FHelp.reset();
}

} // namespace orvanto

#include "platform/printer.h"

namespace orvanto {

TPrinterFacts IPrinter::Facts()
{
    TPrinterFacts facts;
    facts.Server = TServerState::Answers;
    facts.Printers = PrinterNames();
    facts.Current = CurrentPrinterName();
    if (!facts.Current.empty()) {
        facts.DpiX = DpiX();
        facts.DpiY = DpiY();
    }
    return facts;
}

} // namespace orvanto

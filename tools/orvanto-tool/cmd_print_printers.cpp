#include "command_registry.h"

#include "platform/qt/qt_printer.h"

#include <cstdio>

namespace orvanto {

namespace {

// What the program would print on: the installed printers, the current one
// marked, and its resolution and printable area.
int RunPrinters(const std::vector<std::string>& arguments)
{
    if (!arguments.empty())
        return Fail("Usage: orvanto-tool printers");
    TQtPrinter printer;
    const std::vector<std::string> names = printer.PrinterNames();
    if (names.empty())
        return Fail("No printer installed");
    const std::string current = printer.CurrentPrinterName();
    for (const std::string& name : names)
        std::printf("%s %s\n", name == current ? "*" : " ", name.c_str());
    if (!current.empty())
        std::printf("current: %s, %d x %d dpi, printable area %d x %d pixels, %d cop%s\n", current.c_str(),
                    printer.DpiX(), printer.DpiY(), printer.PageWidth(), printer.PageHeight(), printer.Copies(),
                    printer.Copies() == 1 ? "y" : "ies");
    return 0;
}

TRegisterCommand registration{{"printers", "printers",
                               "lists the printers; * marks the current one", &RunPrinters}};

} // namespace

} // namespace orvanto

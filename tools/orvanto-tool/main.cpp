#include "command_registry.h"

#include "localisation/language.h"
#include "support/services.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace orvanto {

std::vector<TToolCommand>& ToolCommands()
{
    static std::vector<TToolCommand> commands;
    return commands;
}

TRegisterCommand::TRegisterCommand(TToolCommand command)
{
    ToolCommands().push_back(std::move(command));
}

void EnsureGuiApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "orvanto-tool";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "%s\n", message.c_str());
    return 1;
}

namespace {

// Qt's own chatter (a missing XDG_RUNTIME_DIR, font fallbacks) would mix with
// the error texts that callers of the tool read from standard error.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg || std::getenv("ORVANTO_QT_DEBUG"))
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

void PrintHelp()
{
    auto commands = ToolCommands();
    std::sort(commands.begin(), commands.end(),
              [](const TToolCommand& a, const TToolCommand& b) { return a.Name < b.Name; });
    std::printf("orvanto-tool: makes and inspects Orvanto's pictures, archives and language files.\n\n"
                "Usage: orvanto-tool COMMAND [ARGUMENTS]\n\nCommands:\n");
    for (const auto& command : commands)
        std::printf("  %-44s %s\n", command.Usage.c_str(), command.Summary.c_str());
    std::printf("  %-44s %s\n", "--help", "this list");
}

} // namespace

} // namespace orvanto

using namespace orvanto;

int main(int argc, char* argv[])
{
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
        PrintHelp();
        return argc < 2 ? 1 : 0;
    }
    // Fonts and printing need a Gui application, never a display.
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(QuietQtMessages);
    InstallTranslation();

    const std::string name = argv[1];
    for (const auto& command : ToolCommands()) {
        if (command.Name != name)
            continue;
        if (command.NeedsGui)
            EnsureGuiApplication();
        std::vector<std::string> arguments(argv + 2, argv + argc);
        const int status = command.Run(arguments);
        // Every command has written and closed its files when it returns.
        // The exit sequence runs (temporary files, services); tearing down
        // Qt and the static objects would only add to a short run.
        ShutdownServices();
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return Fail("Unknown command \"" + name + "\"; see orvanto-tool --help");
}

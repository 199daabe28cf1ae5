#include "app/command_line_options.h"
#include "app/display_platform.h"
#include "app/main_window.h"
#include "app/settings_file.h"
#include "app/startup/menu_entry.h"
#include "app/unattended_print.h"
#include "localisation/language.h"
#include "platform/platform.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_colour_dialog.h"
#include "platform/qt/qt_file_dialogs.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_printer.h"
#include "support/diagnostics/startup_timeline.h"
#include "support/messages/program_name.h"
#include "support/services.h"
#include "workspace/command_line.h"
#include "workspace/early_preview.h"

#include <QApplication>
#include <QThread>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace orvanto;

namespace {

QtMessageHandler QtDefaultMessages = nullptr;

// Qt notes on the offscreen platform that it picked a runtime folder of its
// own, and while trying the platform list that a display it was named could
// not be reached; neither is news to a script reading standard error, which
// should find only what went wrong.
void WithoutPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type != QtFatalMsg
        && (text.contains(QLatin1String("XDG_RUNTIME_DIR")) || text.contains(QLatin1String("connect to display"))
            || text.contains(QLatin1String("platform plugin"))))
        return;
    if (QtDefaultMessages)
        QtDefaultMessages(type, context, text);
}

// Hands Qt the platforms to try (see display_platform.h). False when the
// user named the platform himself: that one then counts as a display.
bool ChoosePlatform()
{
    const std::string list = QtPlatformList([](const char* name) { return qEnvironmentVariable(name).toStdString(); });
    if (list.empty())
        return false;
    qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(list));
    QtDefaultMessages = qInstallMessageHandler(WithoutPlatformNotes);
    return true;
}

int RunWindow(QApplication& application, const TCommandLine& line, const std::optional<TStoredSettings>& stored,
              std::unique_ptr<TEarlyPreview> early)
{
    Platform().SetFileDialogs(std::make_unique<TQtFileDialogs>());
    Platform().SetColourDialog(std::make_unique<TQtColourDialog>());
    Platform().SetClipboard(std::make_unique<TQtClipboard>());
    int status = 0;
    {
        TForm1 window(line, stored, std::move(early));
        MarkStartup("window built");
        if (!window.ShuttingDown())
            window.show();
        MarkStartup("window shown");
        status = application.exec();
    }
    // The dialogs are widgets: they must go while the application still exists.
    Platform().SetFileDialogs(nullptr);
    Platform().SetColourDialog(nullptr);
    Platform().SetClipboard(nullptr);
    return status;
}

// The picture's quick copy starts reading before anything else, so that its
// decode, the longest step before the first paint, overlaps the start of the
// application and the building of the window. Only for a plain picture name
// first (a leading "-" may be one of Qt's own options, which the application
// takes out of the arguments later) and no print switch; the window takes
// the copy only when its own reading of the command line names the same file.
std::unique_ptr<TEarlyPreview> StartEarlyPreview(int argc, char* argv[])
{
    if (argc < 2 || argv[1][0] == '-' || argv[1][0] == '\0')
        return nullptr;
    const TCommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (line.AutoPrint)
        return nullptr;
    // Qt counts as its main thread the first one that asks it for thread
    // data, and the reader's file is a Qt object: this thread asks first.
    QThread::currentThread();
    return std::make_unique<TEarlyPreview>(line.Picture);
}

} // namespace

int main(int argc, char* argv[])
{
    MarkStartup("main");
    if (const int status = HandleCommandLineOptions(argc, argv); status >= 0)
        return status;
    std::unique_ptr<TEarlyPreview> early = StartEarlyPreview(argc, argv);
    // Stale temporary files go and the services are freed in their order
    // however the program ends.
    ArrangeShutdownAtExit();
    const bool chosen = ChoosePlatform();
    QApplication application(argc, argv);
    MarkStartup("application built");
    const bool display = !chosen || PlatformShowsWindows(QGuiApplication::platformName().toStdString());
    QApplication::setApplicationName(QString::fromUtf8(ProgramName));
    // Lets the desktop match the window to its menu entry (its icon and name
    // in the task bar and on Wayland).
    QGuiApplication::setDesktopFileName(QString::fromUtf8(DesktopId));

    // Qt has taken its own options out of argv by now.
    const TCommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    // Read once: the values that decide whether this run is unattended are
    // the ones the run then uses, window or not.
    const std::optional<TStoredSettings> stored = TSettingsFile().Load();
    const bool unattended = IsUnattended(line, stored && stored->Print.AutoPrint);
    if (!unattended && !display) {
        std::fputs("orvanto: no display; for unattended printing add /AUTOPRINT\n", stderr);
        return 1;
    }
    // The window shows the picture fitted into it, so its stored size bounds
    // the pixels the quick copy needs; a copy that falls short is read again
    // by the window. An unattended run wants none.
    if (!unattended && !line.Picture.empty()) {
        if (!early || line.Picture != early->FileName())
            early = std::make_unique<TEarlyPreview>(line.Picture);
        const QSize window = TForm1::OpeningSize(stored.value_or(TStoredSettings()));
        const qreal ratio = application.devicePixelRatio();
        early->Aim(QSize(int(window.width() * ratio + 0.5), int(window.height() * ratio + 0.5)));
    } else {
        early.reset();
    }
    Platform().SetMessageBox(std::make_unique<TQtMessageBox>(unattended));
    // Until the server answers, pages are laid out on the stored printer's
    // paper as it was last seen.
    const std::string storedPrinter = stored ? stored->Print.Printer : std::string();
    Platform().SetPrinter(std::make_unique<TQtPrinter>(TQtPrinter::TTransfer::Jpeg,
                                                       TPrinterFactsFile().StartingFacts(storedPrinter)));
    InstallTranslation();
    return unattended ? PrintUnattended(line, stored) : RunWindow(application, line, stored, std::move(early));
}

#include "app/command_line_options.h"
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
#include "support/messages/program_name.h"
#include "support/services.h"
#include "workspace/command_line.h"

#include <QApplication>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace orvanto;

namespace {

QtMessageHandler QtDefaultMessages = nullptr;

// Qt notes on the offscreen platform that it picked a runtime folder of its
// own; this program never uses one, and a script reading standard error
// should find only what went wrong.
void WithoutRuntimeFolderNote(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtWarningMsg && text.contains(QLatin1String("XDG_RUNTIME_DIR")))
        return;
    if (QtDefaultMessages)
        QtDefaultMessages(type, context, text);
}

// Qt takes its platform when the application is made. Where none is named
// and no display is there (cron, ssh, a print service), the offscreen one,
// so that an unattended run works; false then.
bool ChoosePlatform()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QtDefaultMessages = qInstallMessageHandler(WithoutRuntimeFolderNote);
    return false;
}

// The settings file's values; none without a file.
std::optional<TStoredSettings> StoredSettings()
{
    TStoredSettings stored;
    if (!TSettingsFile().Load(stored))
        return std::nullopt;
    return stored;
}

int RunWindow(QApplication& application, const TCommandLine& line, std::unique_ptr<TEarlyPreview> early)
{
    Platform().SetFileDialogs(std::make_unique<TQtFileDialogs>());
    Platform().SetColourDialog(std::make_unique<TQtColourDialog>());
    Platform().SetClipboard(std::make_unique<TQtClipboard>());
    int status = 0;
    {
        TForm1 window(line, std::move(early));
        if (!window.ShuttingDown())
            window.show();
        status = application.exec();
    }
    // The dialogs are widgets: they must go while the application still exists.
    Platform().SetFileDialogs(nullptr);
    Platform().SetColourDialog(nullptr);
    Platform().SetClipboard(nullptr);
    return status;
}

} // namespace

int main(int argc, char* argv[])
{
    if (const int status = HandleCommandLineOptions(argc, argv); status >= 0)
        return status;
    // Stale temporary files go and the services are freed in their order
    // however the program ends.
    ArrangeShutdownAtExit();
    const bool display = ChoosePlatform();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(ProgramName));
    // Lets the desktop match the window to its menu entry (its icon and name
    // in the task bar and on Wayland).
    QGuiApplication::setDesktopFileName(QString::fromUtf8(DesktopId));

    // Qt has taken its own options out of argv by now.
    const TCommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    const std::optional<TStoredSettings> stored = line.Picture.empty() ? std::nullopt : StoredSettings();
    const bool unattended = IsUnattended(line, stored && stored->Print.AutoPrint);
    if (!unattended && !display) {
        std::fputs("orvanto: no display; for unattended printing add /AUTOPRINT\n", stderr);
        return 1;
    }
    // The picture's quick copy is read while the window is built. The window
    // shows the picture fitted into it, so its stored size bounds the pixels
    // the copy needs; a copy that falls short is read again by the window.
    std::unique_ptr<TEarlyPreview> early;
    if (!unattended && !line.Picture.empty()) {
        const QSize window = TForm1::OpeningSize(stored.value_or(TStoredSettings()));
        const qreal ratio = application.devicePixelRatio();
        early = std::make_unique<TEarlyPreview>(
            line.Picture, QSize(int(window.width() * ratio + 0.5), int(window.height() * ratio + 0.5)));
    }
    Platform().SetMessageBox(std::make_unique<TQtMessageBox>(unattended));
    Platform().SetPrinter(std::make_unique<TQtPrinter>());
    InstallTranslation();
    return unattended ? PrintUnattended(line, stored) : RunWindow(application, line, std::move(early));
}

#include "app/main_window.h"
#include "localisation/language.h"
#include "platform/platform.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_colour_dialog.h"
#include "platform/qt/qt_file_dialogs.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_printer.h"
#include "support/program_name.h"
#include "support/services.h"

#include <QApplication>

#include <memory>
#include <string>
#include <vector>

using namespace orvanto;

int main(int argc, char* argv[])
{
    // Stale temporary files go and the services are freed in their order
    // however the program ends.
    ArrangeShutdownAtExit();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(ProgramName));
    Platform().SetMessageBox(std::make_unique<TQtMessageBox>());
    Platform().SetPrinter(std::make_unique<TQtPrinter>());
    InstallTranslation();
    Platform().SetFileDialogs(std::make_unique<TQtFileDialogs>());
    Platform().SetColourDialog(std::make_unique<TQtColourDialog>());
    Platform().SetClipboard(std::make_unique<TQtClipboard>());

    // Qt has taken its own options out of argv by now.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    int status = 0;
    {
        TForm1 window(arguments);
        if (!window.ShuttingDown())
            window.show();
        // An unattended run has already asked to end: the loop runs just
        // long enough to take the window down.
        status = application.exec();
    }
    // The dialogs are widgets: they must go while the application still exists.
    Platform().SetFileDialogs(nullptr);
    Platform().SetColourDialog(nullptr);
    Platform().SetClipboard(nullptr);
    return status;
}

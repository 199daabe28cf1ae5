#include "app/main_window.h"
#include "localisation/language.h"
#include "platform/platform.h"
#include "platform/qt/qt_file_dialogs.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_printer.h"
#include "support/services.h"

#include <QApplication>

#include <memory>

using namespace orvanto;

int main(int argc, char* argv[])
{
    // Stale temporary files go and the services are freed in their order
    // however the program ends.
    ArrangeShutdownAtExit();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvanto"));
    Platform().SetMessageBox(std::make_unique<TQtMessageBox>());
    Platform().SetPrinter(std::make_unique<TQtPrinter>());
    InstallTranslation();
    Platform().SetFileDialogs(std::make_unique<TQtFileDialogs>());

    TForm1 window;
    window.show();
    const int status = application.exec();
    // The dialogs are widgets: they must go while the application still exists.
    Platform().SetFileDialogs(nullptr);
    return status;
}

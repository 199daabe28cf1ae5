#include "app/main_window.h"
#include "localisation/language.h"
#include "platform/platform.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_printer.h"
#include "support/services.h"

#include <QApplication>

#include <memory>

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

    TForm1 window;
    window.show();
    return application.exec();
}

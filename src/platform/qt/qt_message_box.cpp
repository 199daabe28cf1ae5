#include "platform/qt/qt_message_box.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>

namespace orvanto {

void TQtMessageBox::ShowError(const std::string& text, const std::string& caption)
{
    const bool visible = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr
        && QGuiApplication::platformName() != QLatin1String("offscreen")
        && QGuiApplication::platformName() != QLatin1String("minimal");
    if (!visible || FAlsoToStandardError)
        TConsoleMessageBox().ShowError(text, caption);
    if (!visible)
        return;
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(caption),
                    QString::fromStdString(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

} // namespace orvanto

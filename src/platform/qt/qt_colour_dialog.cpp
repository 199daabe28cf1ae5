#include "platform/qt/qt_colour_dialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QGuiApplication>

namespace orvanto {

TColourChoice TQtColourDialog::Choose(std::uint32_t initial)
{
    const TColourChoice cancelled{false, initial};
    try {
        const bool visible = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr
            && QGuiApplication::platformName() != QLatin1String("offscreen")
            && QGuiApplication::platformName() != QLatin1String("minimal");
        if (!visible)
            return cancelled;
        // Qt's own dialog rather than the desktop's: it always shows the
        // custom-colour part, the "fully opened" dialog users expect here.
        QColorDialog dialog(QColorFromWindows(initial), QApplication::activeWindow());
        dialog.setOption(QColorDialog::DontUseNativeDialog, true);
        if (dialog.exec() != QDialog::Accepted)
            return cancelled;
        return {true, WindowsFromQColor(dialog.selectedColor())};
    } catch (...) {
        return cancelled;
    }
}

} // namespace orvanto

#include "app/main_window.h"

#include <QStatusBar>

namespace orvanto {

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Orvanto"));
    setMinimumSize(430, 300);
    resize(800, 600);
    statusBar()->showMessage(QString());
}

} // namespace orvanto

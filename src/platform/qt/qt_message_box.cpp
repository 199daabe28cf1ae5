#include "platform/qt/qt_message_box.h"

#include <QApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QSpacerItem>
#include <QStyle>
#include <QTimer>

#include <algorithm>

namespace orvanto {

namespace {

// Room the window manager's title bar takes beside the title: the icon and
// the buttons at either end (three buttons of about 30 pixels, and margins).
constexpr int TitleBarExtras = 130;

// The box belongs over the program's window, also when another box or a
// dialog had the focus last, or nothing is active yet.
QWidget* OwnerWindow()
{
    if (QWidget* active = QApplication::activeWindow())
        return active;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(widget) && widget->isVisible())
            return widget;
    return nullptr;
}

} // namespace

int MessageBoxTitleWidth(const QString& title, const QWidget* box)
{
    // The desktop shows the title with the program's name after it.
    const QString shown = QGuiApplication::applicationDisplayName().isEmpty()
        ? title
        : title + QStringLiteral(" \u2014 ") + QGuiApplication::applicationDisplayName();
    QFont font = box ? box->font() : QApplication::font();
    font.setBold(true); // title bars mostly draw in bold
    return QFontMetrics(font).horizontalAdvance(shown) + TitleBarExtras;
}

void TQtMessageBox::ShowError(const std::string& text, const std::string& caption)
{
    const bool application = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    const bool visible = application
        && (FAnyPlatform
            || (QGuiApplication::platformName() != QLatin1String("offscreen")
                && QGuiApplication::platformName() != QLatin1String("minimal")));
    if (!visible || FUnattended)
        TConsoleMessageBox().ShowError(text, caption);
    if (!visible)
        return;
    const QString title = QString::fromStdString(WithPlainLineFeeds(caption));
    QMessageBox box(QMessageBox::Critical, title, QString::fromStdString(WithPlainLineFeeds(text)),
                    QMessageBox::Ok, OwnerWindow());
    // A file name is shown as written: "<b>" or "&" in it are no markup.
    box.setTextFormat(Qt::PlainText);
    if (FUnattended)
        QTimer::singleShot(FCloseAfter, &box, [&box] { box.done(QMessageBox::Ok); });
    // A short message would make a box too narrow for its own title: the
    // window manager then cuts the title ("Erro...anto"). A spacer across
    // the bottom row keeps the box at least as wide as the title needs.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(MessageBoxTitleWidth(title, &box), 0, QSizePolicy::Minimum,
                                      QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
    box.exec();
}

int TQtMessageBox::Ask(const std::string& text, const std::string& caption)
{
    const bool visible = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr
        && QGuiApplication::platformName() != QLatin1String("offscreen")
        && QGuiApplication::platformName() != QLatin1String("minimal");
    if (!visible)
        return TConsoleMessageBox().Ask(text, caption);
    QMessageBox box(QMessageBox::Question, QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No, OwnerWindow());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? 1 : 0;
}

} // namespace orvanto

#include "localisation/qt/translate_menu.h"

#include "localisation/language.h"

#include <QAction>
#include <QList>
#include <QMenu>
#include <QMenuBar>

namespace orvanto {

namespace {

void TranslateItems(const QList<QAction*>& items)
{
    try {
        for (QAction* item : items)
            TranslateMenu(item);
    } catch (...) {
        // Stop at this level; the captions already done stay translated.
    }
}

} // namespace

void TranslateMenu(QAction* item)
{
    if (!item)
        return;
    const QString caption = item->text();
    if (!item->isSeparator() && caption != QLatin1String("-"))
        item->setText(QString::fromStdString(Translate(caption.toStdString())));
    if (QMenu* menu = item->menu())
        TranslateItems(menu->actions());
}

void TranslateMenu(QMenu* menu)
{
    if (menu)
        TranslateMenu(menu->menuAction());
}

void TranslateMenu(QMenuBar* menuBar)
{
    if (menuBar)
        TranslateItems(menuBar->actions());
}

} // namespace orvanto

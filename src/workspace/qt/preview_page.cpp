#include "workspace/qt/preview_page.h"

#include <QMouseEvent>
#include <QPainter>

namespace orvanto {

TPreviewPage::TPreviewPage(QWidget* parent) : QWidget(parent)
{
    setObjectName("Page");
    // Every paint covers the whole page, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPreviewPage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (OnPaint)
        OnPaint(painter);
}

void TPreviewPage::mousePressEvent(QMouseEvent* event)
{
    if (OnMousePress)
        OnMousePress(*event);
}

void TPreviewPage::mouseMoveEvent(QMouseEvent* event)
{
    if (OnMouseMove)
        OnMouseMove(*event);
}

void TPreviewPage::mouseReleaseEvent(QMouseEvent* event)
{
    if (OnMouseRelease)
        OnMouseRelease(*event);
}

} // namespace orvanto

#include "workspace/qt/preview_page.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace orvanto {

TPreviewPage::TPreviewPage(QWidget* parent) : QWidget(parent)
{
    setObjectName("Page");
    // Every paint covers the whole page, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Reached with Tab: the arrow keys move the picture from here.
    setFocusPolicy(Qt::StrongFocus);
}

void TPreviewPage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (OnPaint)
        OnPaint(painter);
    if (hasFocus()) {
        // The focus shows as a dashed frame just inside the page's edge.
        painter.resetTransform();
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
}

void TPreviewPage::keyPressEvent(QKeyEvent* event)
{
    if (OnKeyPress && OnKeyPress(*event))
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

void TPreviewPage::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void TPreviewPage::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
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

#pragma once

// The white page of the preview: a plain surface that hands its painting and
// the mouse to the workspace window.

#include <QWidget>

#include <functional>

namespace orvanto {

class TPreviewPage final : public QWidget {
public:
    explicit TPreviewPage(QWidget* parent = nullptr);

    std::function<void(QPainter&)> OnPaint;
    std::function<void(QMouseEvent&)> OnMousePress;
    std::function<void(QMouseEvent&)> OnMouseMove;
    std::function<void(QMouseEvent&)> OnMouseRelease;
    // True when the key was used.
    std::function<bool(QKeyEvent&)> OnKeyPress;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

} // namespace orvanto

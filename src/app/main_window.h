#pragma once

#include <QMainWindow>

#include <string>

class QLabel;

namespace orvanto {

// The program's one window: menus, the status bar and, docked over the
// client area, the print workspace.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);

    const std::string& LastError() const { return FLastError; }

private:
    std::string FLastError;
};

} // namespace orvanto

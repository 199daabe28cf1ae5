// orvanto-icon-preview: shows the button icons as the program does, for
// judging the artwork.
//   orvanto-icon-preview                 a window with the bar of sixteen
//                                        entries twice, the second disabled
//   orvanto-icon-preview --sheet OUT.png the icons at 1x and enlarged 8x

#include "imaging/codecs/text_picture.h"
#include "ui/button_icons.h"
#include "ui/toolbars.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>
#include <string>

using namespace orvanto;

namespace {

// The main window's bar: three groups of buttons between separators.
void FillBar(TToolbars& bar)
{
    const struct {
        const char* Caption;
        int Icon; // -1: a separator
    } entries[] = {{"Print", 0},   {"Printer Setup...", 1}, {"Open...", 2}, {"", -1}, {"Undo", 3},
                   {"Copy", 4},    {"Paste", 5},            {"", -1},       {"Mirror", 6},
                   {"Flip", 7},    {"Rotate 90", 8},        {"Increase Scaling 25%", 9},
                   {"Decrease Scaling 25%", 10}, {"Center", 11}, {"", -1}, {"Help", 12}};
    for (const auto& entry : entries) {
        if (entry.Icon < 0)
            bar.AddButton("", "", 5);
        else
            bar.AddButton(entry.Caption, ButtonIconText(TButtonIcon(entry.Icon)), 0,
                          DoubledButtonIconText(TButtonIcon(entry.Icon)));
    }
    bar.SetAllButtonCursors(Qt::PointingHandCursor);
}

int WriteSheet(const QString& path)
{
    constexpr int Scale = 8, Cell = 20 * Scale + 8;
    QImage sheet(7 * Cell + 8, 36 + 2 * Cell, QImage::Format_RGB32);
    sheet.fill(QColor(239, 239, 239));
    QPainter painter(&sheet);
    for (int i = 0; i < ButtonIconCount; ++i) {
        QImage icon = BitmapFromText(ButtonIconText(TButtonIcon(i))).convertToFormat(QImage::Format_ARGB32);
        if (icon.isNull()) {
            std::fprintf(stderr, "icon %d does not decode\n", i);
            return 1;
        }
        // The top-left colour is the background: let the sheet show through.
        const QRgb background = icon.pixel(0, 0);
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x)
                if (icon.pixel(x, y) == background)
                    icon.setPixel(x, y, qRgba(0, 0, 0, 0));
        painter.drawImage(8 + 28 * i, 8, icon);
        const int column = i % 7, row = i / 7;
        painter.drawImage(QRect(8 + Cell * column, 36 + Cell * row, 20 * Scale, 20 * Scale), icon);
    }
    painter.end();
    return sheet.save(path) ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (argc == 3 && std::string(argv[1]) == "--sheet")
        return WriteSheet(QString::fromLocal8Bit(argv[2]));

    QWidget window;
    window.setWindowTitle("Button bar");
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    TToolbars enabled, disabled;
    FillBar(enabled);
    FillBar(disabled);
    disabled.SetBarEnabled(false);
    enabled.OnButtonClick = [](TToolbars&, int index) { std::printf("clicked %d\n", index), std::fflush(stdout); };
    layout->addWidget(enabled.Window());
    layout->addWidget(new QLabel("The same bar, disabled:"));
    layout->addWidget(disabled.Window());
    layout->addStretch();
    window.resize(460, 110);
    window.move(0, 0);
    window.show();
    return application.exec();
}

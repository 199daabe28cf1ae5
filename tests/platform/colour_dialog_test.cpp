#include "platform/colour_dialog.h"

#include <gtest/gtest.h>

using namespace orvanto;

TEST(ColourDialog, WindowsColourValuesKeepRedInTheLowByte)
{
    const struct {
        std::uint32_t Windows;
        QColor Qt;
        std::uint32_t Back; // the top byte does not survive
    } cases[] = {
        {0xFF0000, QColor(0, 0, 255), 0xFF0000},
        {0x0000FF, QColor(255, 0, 0), 0x0000FF},
        {0x00FF00, QColor(0, 255, 0), 0x00FF00},
        {0x123456, QColor(0x56, 0x34, 0x12), 0x123456},
        {0xFF808080, QColor(128, 128, 128), 0x808080},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QColorFromWindows(c.Windows), c.Qt) << std::hex << c.Windows;
        EXPECT_EQ(WindowsFromQColor(c.Qt), c.Back) << std::hex << c.Windows;
    }
}

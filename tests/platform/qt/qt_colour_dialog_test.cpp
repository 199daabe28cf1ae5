#include "platform/qt/qt_colour_dialog.h"

#include <gtest/gtest.h>

using namespace orvanto;

// Nobody could click a dialog on the offscreen platform: it must answer at
// once instead of waiting forever.
TEST(QtColourDialog, OffscreenAnswersCancelledWithTheStartingColour)
{
    TQtColourDialog dialog;
    const TColourChoice choice = dialog.Choose(0x123456);
    EXPECT_FALSE(choice.Confirmed);
    EXPECT_EQ(choice.Colour, 0x123456u);
}

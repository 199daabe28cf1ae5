#include "support/geometry/window_centring.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

TEST(WindowCentring, CenterFormUsesTheWholePrimaryScreen)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const int screenWidth = screen->geometry().width();
    const int screenHeight = screen->geometry().height();
    const struct {
        int Width, Height;
    } sizes[] = {{200, 100}, {201, 99}, {screenWidth + 301, screenHeight + 41}};
    for (const auto& size : sizes) {
        QWindow window;
        window.resize(size.Width, size.Height);
        CenterForm(&window);
        EXPECT_EQ(window.x(), (screenWidth - size.Width) / 2);
        EXPECT_EQ(window.y(), (screenHeight - size.Height) / 2);
        EXPECT_EQ(window.width(), size.Width) << "size is kept";
    }
    CenterForm(nullptr);

    int left = 0, top = 0;
    CenteredPosition(1100, 900, 1000, 800, left, top);
    EXPECT_EQ(left, -50);
    EXPECT_EQ(top, -50);
    CenteredPosition(1001, 803, 1000, 800, left, top); // div truncates toward zero
    EXPECT_EQ(left, 0);
    EXPECT_EQ(top, -1);
}

} // namespace

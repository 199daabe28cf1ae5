// Where File > New Instance puts the second window, and how the position
// reaches it.
#include "app/instance_placement.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace orvanto;

namespace {

TEST(InstancePlacement, NewWindowIsOffsetByTheTitleBarAndStaysOnTheScreen)
{
    const QRect screen(0, 0, 1280, 900);
    const struct {
        const char* Case;
        QRect Frame;
        QRect Client;
        int MinimumStep;
        QPoint Expected;
    } cases[] = {
        {"a 24-pixel title bar", {100, 50, 432, 398}, {101, 74, 430, 374}, 20, {124, 74}},
        {"no frame yet: the style's title bar", {100, 50, 430, 374}, {100, 50, 430, 374}, 20, {120, 70}},
        {"would leave the right edge", {840, 50, 432, 398}, {841, 74, 430, 374}, 20, {0, 0}},
        {"would leave the bottom edge", {100, 500, 432, 398}, {101, 524, 430, 374}, 20, {0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NewInstancePosition(c.Frame, c.Client, screen, c.MinimumStep), c.Expected) << c.Case;
}

TEST(InstancePlacement, ThePositionReachesTheNewCopyOnlyOnce)
{
    QWidget window;
    window.setGeometry(200, 100, 430, 374);
    std::optional<QPoint> seenByChild;
    EXPECT_TRUE(StartBeside(window, [&] {
        seenByChild = TakeNewWindowPlace(); // what the new copy reads at its start
        return true;
    }));
    ASSERT_TRUE(seenByChild.has_value());
    EXPECT_GT(seenByChild->x(), window.frameGeometry().x());
    EXPECT_EQ(seenByChild->x() - window.frameGeometry().x(), seenByChild->y() - window.frameGeometry().y());
    EXPECT_FALSE(TakeNewWindowPlace().has_value()) << "nothing is left for programs started later";
    qputenv(NewWindowPlaceVariable, "not a position");
    EXPECT_FALSE(TakeNewWindowPlace().has_value());
}

} // namespace

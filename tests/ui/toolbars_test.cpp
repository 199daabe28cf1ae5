#include "ui/button_icons.h"
#include "ui/toolbars.h"

#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace orvanto;

namespace {

// A 4 x 1 icon at 2 bits per pixel: background (magenta), red 200, black, white.
const std::string SmallIcon = "T2400100)3m)83000000))))~a3#";

void AddMainBar(TToolbars& bar)
{
    const int icons[] = {0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, 9, 10, 11, -1, 12};
    for (int icon : icons)
        if (icon < 0)
            bar.AddButton("", "", 5);
        else
            bar.AddButton("Entry", ButtonIconText(TButtonIcon(icon)), 0);
}

void Mouse(TToolbars& bar, QEvent::Type type, QPoint at, Qt::MouseButtons held)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, bar.Window()->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(bar.Window(), &event);
}

QPoint Centre(const TToolbars& bar, int index) { return bar.ButtonRect(index).center(); }

TEST(Toolbars, HeightsAndWidths)
{
    const struct {
        const char* Name;
        bool Entries, Top, Bottom;
        int Height;
    } cases[] = {
        {"no entries, both lines", false, true, true, 4},
        {"the main window's sixteen entries", true, true, true, 30},
        {"sixteen entries, bottom line only", true, false, true, 28},
        {"no entries, no lines", false, false, false, 0},
    };
    for (const auto& c : cases) {
        TToolbars bar;
        if (c.Entries)
            AddMainBar(bar);
        bar.SetTopLine(c.Top);
        bar.SetBottomLine(c.Bottom);
        EXPECT_EQ(bar.Window()->height(), c.Height) << c.Name;
    }
    TToolbars bar;
    AddMainBar(bar);
    EXPECT_EQ(bar.ButtonRect(0).width(), 26);
    EXPECT_EQ(bar.ButtonRect(3).width(), 6); // a separator
    EXPECT_EQ(bar.ButtonRect(4).left() - bar.ButtonRect(3).left(), 11);
    EXPECT_EQ(bar.ButtonRect(1).left() - bar.ButtonRect(0).left(), 26);
}

TEST(Toolbars, SlotsRunOutAtForty)
{
    TToolbars bar;
    for (int i = 0; i < TToolbars::SlotCount; ++i)
        ASSERT_EQ(bar.AddButton("", i % 2 ? "not a picture" : SmallIcon, 0), i);
    EXPECT_EQ(bar.AddButton("41st", SmallIcon, 0), -1);
    EXPECT_EQ(bar.ButtonRect(1).size(), QSize(6, 7)); // undecodable: margins only
    bar.ClearButtons(5, 6);
    EXPECT_EQ(bar.AddButton("again", SmallIcon, 0), 5);
}

// What a press on one entry and a release elsewhere report.
TEST(Toolbars, PressReportsTheEntryItWentDownOn)
{
    const struct {
        const char* Name;
        int Press, Release; // entry indexes; -1: right of every entry
        bool PressedDisabled, AcceptDrag;
        std::optional<int> Clicked; // none: no click at all
    } cases[] = {
        {"press and release on one entry", 2, 2, false, false, 2},
        {"dragged off and released on another", 2, 9, false, false, 2},
        {"released outside every entry", 2, -1, false, false, 2},
        {"pressed on a disabled entry", 4, 4, true, false, -1},
        {"pressed beside every entry", -1, 2, false, false, -1},
        {"an accepted drag ends without a click", 2, 9, false, true, std::nullopt},
    };
    for (const auto& c : cases) {
        TToolbars bar;
        AddMainBar(bar);
        bar.Window()->resize(500, bar.Window()->height());
        if (c.PressedDisabled)
            bar.SetButtonEnabled(c.Press, false);
        std::optional<int> clicked;
        int dragEnds = 0;
        bar.OnButtonClick = [&](TToolbars&, int index) { clicked = index; };
        if (c.AcceptDrag)
            bar.OnDragQuery = [](QWidget&, Qt::KeyboardModifiers, bool& accept, int, int) { accept = true; };
        bar.OnDragEnd = [&](QWidget&, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++dragEnds; };
        const QPoint outside(480, 10);
        const QPoint press = c.Press < 0 ? outside : Centre(bar, c.Press);
        const QPoint release = c.Release < 0 ? outside : Centre(bar, c.Release);
        Mouse(bar, QEvent::MouseButtonPress, press, Qt::LeftButton);
        Mouse(bar, QEvent::MouseMove, release, Qt::LeftButton);
        EXPECT_EQ(bar.HotButton(), c.PressedDisabled ? -1 : (c.Press < 0 ? -1 : c.Press)) << c.Name;
        Mouse(bar, QEvent::MouseButtonRelease, release, Qt::NoButton);
        Mouse(bar, QEvent::MouseButtonRelease, release, Qt::NoButton); // a second button let go
        EXPECT_EQ(clicked, c.Clicked) << c.Name;
        EXPECT_EQ(dragEnds, c.AcceptDrag ? 1 : 0) << c.Name;
    }
}

TEST(Toolbars, HoverShowsHintsAndTheHandOnlyOnEnabledEntries)
{
    TToolbars bar;
    bar.AddButton("Print", SmallIcon, 0);
    bar.AddButton("Copy", SmallIcon, 0);
    bar.SetButtonEnabled(1, false);
    bar.SetAllButtonCursors(Qt::PointingHandCursor);
    const struct {
        int Entry, Hot;
        const char* Hint;
        Qt::CursorShape Cursor;
    } cases[] = {{0, 0, "Print", Qt::PointingHandCursor}, {1, -1, "Copy", Qt::ArrowCursor}};
    for (const auto& c : cases) {
        Mouse(bar, QEvent::MouseMove, Centre(bar, c.Entry), Qt::NoButton);
        EXPECT_EQ(bar.HotButton(), c.Hot) << c.Hint;
        EXPECT_EQ(bar.Window()->toolTip().toStdString(), c.Hint);
        EXPECT_EQ(bar.Window()->cursor().shape(), c.Cursor) << c.Hint;
    }
}

// The pixels of one small entry, drawn on a background of grey 100.
TEST(Toolbars, Drawing)
{
    enum TState { Plain, Hot, Pressed, EntryDisabled, BarDisabled, WithSeparator, Doubled, DoubledDisabled };
    // The icon's pixel x lands at window (3 + x, 5) below the 2-pixel top line.
    // Doubled: the Print icon painted at two device pixels to the pixel; At
    // is in device pixels, so artwork pixel (x, y) covers 2 (3 + x), 2 (5 + y)
    // and the three device pixels right and below it.
    const struct {
        const char* Name;
        TState State;
        QPoint At;
        QRgb Expected;
    } cases[] = {
        {"outline blends the red neighbour: (100 x 8 + 200) div 9", Plain, {3, 5}, qRgb(111, 88, 88)},
        {"coloured pixel as it is", Plain, {4, 5}, qRgb(200, 0, 0)},
        {"background pixels away from the icon stay", Plain, {3, 4}, qRgb(100, 100, 100)},
        {"hot pixels brighten by 20", Hot, {4, 5}, qRgb(220, 20, 20)},
        {"hot outline blends against the light fill", Hot, {3, 5}, qRgb(146, 124, 124)},
        {"pressed shifts the icon by (1, 1)", Pressed, {5, 6}, qRgb(220, 20, 20)},
        // Disabled: grey, then halfway to the background (100).
        {"disabled entry: black shows as 50, faded to 75", EntryDisabled, {5, 5}, qRgb(75, 75, 75)},
        {"disabled entry: white shows as 240, faded to 170", EntryDisabled, {6, 5}, qRgb(170, 170, 170)},
        {"disabled bar: red 200 turns grey 66, faded to 83", BarDisabled, {4, 5}, qRgb(83, 83, 83)},
        {"disabled bar: outline grey 95, faded to 97", BarDisabled, {3, 5}, qRgb(97, 97, 97)},
        {"separator line mid-gap in the dark colour", WithSeparator, {10 + 6 + 2, 10}, qRgb(45, 45, 45)},
        {"doubled: the green light (15, 8) fills its 2 x 2 block", Doubled, {37, 27}, qRgb(0x3F, 0xA3, 0x4D)},
        {"doubled: ink (18, 14) reaches the 40 x 40 icon's edge", Doubled, {42, 38}, qRgb(0x2B, 0x2B, 0x2B)},
        {"doubled: the corner is cut, not a step, its outline (100 x 8 + 2 x 43) div 10", Doubled, {43, 39},
         qRgb(88, 88, 88)},
        {"doubled and disabled: ink 43 faded to 71", DoubledDisabled, {42, 38}, qRgb(71, 71, 71)},
    };
    for (const auto& c : cases) {
        TToolbars bar;
        QPalette palette = bar.Window()->palette();
        palette.setColor(QPalette::Window, QColor(100, 100, 100));
        bar.Window()->setPalette(palette);
        const bool doubled = c.State == Doubled || c.State == DoubledDisabled;
        if (doubled)
            bar.AddButton("Print", ButtonIconText(TButtonIcon::Print), 0, DoubledButtonIconText(TButtonIcon::Print));
        else
            bar.AddButton("Icon", SmallIcon, 0);
        if (c.State == WithSeparator) {
            bar.AddButton("", "", 5);
            bar.AddButton("Help", ButtonIconText(TButtonIcon::Help), 0);
        }
        if (c.State == Hot || c.State == Pressed)
            Mouse(bar, QEvent::MouseMove, {4, 5}, Qt::NoButton);
        if (c.State == Pressed)
            Mouse(bar, QEvent::MouseButtonPress, {4, 5}, Qt::LeftButton);
        bar.SetButtonEnabled(0, c.State != EntryDisabled && c.State != DoubledDisabled);
        bar.SetBarEnabled(c.State != BarDisabled);
        QImage shot = bar.Window()->grab().toImage();
        if (doubled) {
            shot = QImage(2 * bar.Window()->size(), QImage::Format_RGB32);
            shot.setDevicePixelRatio(2);
            bar.Window()->render(&shot);
        }
        EXPECT_EQ(shot.pixel(c.At) & 0xFFFFFF, c.Expected & 0xFFFFFF)
            << c.Name << ": " << std::hex << shot.pixel(c.At);
    }
}

TEST(Toolbars, PollFollowsThePointerAndTheColours)
{
    TToolbars bar;
    bar.AddButton("Print", SmallIcon, 0);
    bar.Window()->show();
    QCursor::setPos(bar.Window()->mapToGlobal(QPoint(4, 5)));
    bar.PollHover();
    ASSERT_EQ(bar.HotButton(), 0) << "the pointer over the entry";
    QCursor::setPos(bar.Window()->mapToGlobal(QPoint(90, 5)));
    bar.PollHover();
    EXPECT_EQ(bar.HotButton(), -1) << "the pointer left the bar";

    QPalette palette = bar.Window()->palette();
    palette.setColor(QPalette::Window, QColor(10, 20, 30));
    bar.Window()->setPalette(palette);
    bar.PollHover();
    EXPECT_EQ(bar.Window()->grab().toImage().pixel(50, 5) & 0xFFFFFF, qRgb(10, 20, 30) & 0xFFFFFF);

    int ticks = 0;
    bar.OnTick = [&](TToolbars&) { ++ticks; };
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 2; }, 5000)) << "the 500 ms tick";
}

// A screen reader hears each entry's hint and whether it can be pressed.
TEST(Toolbars, EntriesAreNamedButtonsThatSayWhetherTheyAreEnabled)
{
    TToolbars bar;
    bar.AddButton("Print", SmallIcon, 0);
    bar.AddButton("", "", 5);
    bar.AddButton("Help", SmallIcon, 0);
    bar.SetButtonEnabled(0, false);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(bar.Window());
    ASSERT_NE(face, nullptr);
    ASSERT_EQ(face->childCount(), 3);
    const struct {
        int Child;
        const char* Name;
        QAccessible::Role Role;
        bool Disabled;
    } cases[] = {{0, "Print", QAccessible::Button, true}, {1, "", QAccessible::Separator, false},
                 {2, "Help", QAccessible::Button, false}};
    for (const auto& c : cases) {
        QAccessibleInterface* entry = face->child(c.Child);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->text(QAccessible::Name).toStdString(), c.Name);
        EXPECT_EQ(entry->role(), c.Role);
        EXPECT_EQ(bool(entry->state().disabled), c.Disabled) << c.Name;
        EXPECT_EQ(face->indexOfChild(entry), c.Child);
    }
    bar.SetButtonEnabled(0, true);
    EXPECT_FALSE(face->child(0)->state().disabled) << "the state is read live";
}

} // namespace

#pragma once

// The program's own button bar: a borderless child window that draws a row
// of icon buttons itself, with a hover frame, a pressed look, grey icons
// whose outlines are smoothed into the background when an entry or the whole
// bar is disabled, hints (also for disabled entries), and separator lines.
//
// The owner parents and docks Window() (at the top of its client area), fills
// the bar with AddButton and listens to OnButtonClick and OnTick. The bar has
// 40 entry slots; indexes outside 0..39 are ignored by every setter. Icons
// are Text Picture texts; one that does not decode gives an empty 6 x 6
// entry. A separator is an entry with no caption, no icon and a gap.
//
// Where the bar is painted at more than one device pixel to the pixel (a
// screen scaled by 2, say), it draws at twice the resolution: each entry's
// doubled icon where it has one of twice the size, else its icon with every
// pixel made a 2 x 2 block, so icons stay crisp instead of being smoothed.
//
// The hover highlight is polled every 100 ms (the bar notices the pointer
// leaving and the system colours changing that way) and OnTick comes every
// 500 ms, both from the shared multi-timer, in the user-interface thread.
// Every event is called only when set; an exception from one ends that call.

#include <QImage>
#include <QPointer>
#include <QRect>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

class QWidget;

namespace orvanto {

class TToolbarWindow;

class TToolbars {
public:
    static constexpr int SlotCount = 40;
    // Space around every icon, and the left edge of the first entry's icon.
    static constexpr int Margin = 3;

    // The window starts 100 x 1 without a parent; two lines on, separator
    // lines on, no entries. Claims its two slots in the shared multi-timer.
    TToolbars();
    // Removes its timer slots and frees its window (unless its parent
    // already did).
    ~TToolbars();
    TToolbars(const TToolbars&) = delete;
    TToolbars& operator=(const TToolbars&) = delete;

    QWidget* Window() const;

    // The first free slot, or -1 when all 40 are used (nothing changes then).
    // doubledIconText: the same icon at twice the width and height, for
    // screens with two device pixels to the pixel.
    int AddButton(const std::string& caption, const std::string& iconText, int gap,
                  const std::string& doubledIconText = {});
    // Frees the used entries in first..last; a negative bound means all.
    void ClearButtons(int first = -1, int last = -1);
    void SetButtonEnabled(int index, bool enabled);
    void SetButtonVisible(int index, bool visible);
    // The hint (and accessible name) of an entry.
    void SetButtonCaption(int index, const std::string& caption);
    // The pointer shape while the entry is hot (the default arrow at first).
    void SetButtonCursor(int index, Qt::CursorShape cursor);
    // For all 40 slots, used or not, so that later entries have it too.
    void SetAllButtonCursors(Qt::CursorShape cursor);
    void SetSeparatorLines(bool on);
    void SetTopLine(bool on);
    void SetBottomLine(bool on);
    // Also enables or disables the window; a disabled bar is drawn grey.
    void SetBarEnabled(bool enabled);

    bool ButtonEnabled(int index) const;
    bool ButtonUsed(int index) const;
    std::string ButtonCaption(int index) const;
    bool BarEnabled() const { return FBarEnabled; }
    // The entry under the pointer, or the entry the pressed mouse went down
    // on until it is released; -1 when none.
    int HotButton() const { return FHotButton; }
    // The first used, visible (and enabled, unless includeDisabled) entry
    // whose rectangle holds the point in window coordinates; else -1.
    int ButtonAt(int x, int y, bool includeDisabled) const;
    // The hit rectangle of an entry in window coordinates (empty when free).
    QRect ButtonRect(int index) const;

    // Sizes the window, redraws the back buffer and schedules a repaint.
    void Relayout();
    // What the 100 ms poll does: the hot entry follows the pointer while no
    // button is down, and a changed window colour redraws the bar.
    void PollHover();

    // Events. The mouse positions are window coordinates.
    // The mouse was released without an accepted drag; index is the entry it
    // went down on (-1: none, or a disabled entry), wherever it came up.
    std::function<void(TToolbars& sender, int index)> OnButtonClick;
    // Every 500 ms.
    std::function<void(TToolbars& sender)> OnTick;
    // After the bar's own handling of a resize of its window.
    std::function<void(TToolbars& sender)> OnBarResize;
    std::function<void(QWidget& sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)>
        OnBarMouseDown, OnBarMouseUp;
    std::function<void(QWidget& sender, Qt::KeyboardModifiers shift, int x, int y)> OnBarMouseMove;
    // A pressed mouse left its entry for the first time; clearing accept
    // (true on entry) keeps it a click. Accepted: OnDragMove, then OnDragEnd
    // instead of OnButtonClick.
    std::function<void(QWidget& sender, Qt::KeyboardModifiers shift, bool& accept, int x, int y)> OnDragQuery;
    std::function<void(QWidget& sender, Qt::KeyboardModifiers shift, int x, int y)> OnDragMove;
    std::function<void(QWidget& sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)>
        OnDragEnd;

private:
    friend class TToolbarWindow;

    struct TEntry {
        bool Used = false;
        QRect Rect;
        // The icon's size plus the margins; the rectangle takes the bar's
        // inner height, this stays what the icon needs.
        int Width = 0;
        int Height = 0;
        int Gap = 0;
        QImage Icon;
        // Twice Icon's size: the doubled icon, or Icon with its pixels doubled.
        QImage DoubledIcon;
        bool Visible = true;
        bool Enabled = true;
        std::string Caption;
        std::string IconText;
        Qt::CursorShape Cursor = Qt::ArrowCursor;
    };
    enum class TDrag { None, Dragging, Refused };

    bool Valid(int index) const { return index >= 0 && index < SlotCount; }
    void SetHint(const std::string& text);
    void Paint();
    // Redraws the back buffer at scale (1 or 2) device pixels per pixel.
    void Draw(int scale);
    void DrawEntry(int index, int x, int y, int& separatorTracker);
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void MouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void Resized();

    QPointer<TToolbarWindow> FWindow;
    std::array<TEntry, SlotCount> FEntries;
    bool FTopLine = true;
    bool FBottomLine = true;
    bool FSeparatorLines = true;
    bool FBarEnabled = true;
    bool FMouseDown = false;
    bool FHintsOn = true;
    TDrag FDrag = TDrag::None;
    int FHotButton = -1;
    // The device pixels per pixel of the back buffer (1 or 2), and its
    // height in pixels.
    int FScale = 1;
    int FInner = 0;
    std::uint32_t FBase = 0;
    std::uint32_t FLight = 0;
    std::uint32_t FDark = 0;
    QImage FBackBuffer;
};

} // namespace orvanto

#include "ui/toolbars.h"

#include "imaging/codecs/text_picture.h"
#include "ui/multi_timer.h"

#include <QCursor>
#include <QEvent>
#include <QMouseEvent>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <QToolTip>
#include <QWidget>

#include <algorithm>

namespace orvanto {

namespace {

constexpr int HoverPollInterval = 100;
constexpr int TickInterval = 500;
constexpr int LineHeight = 2;

int Channel(std::uint32_t colour, int shift) { return int(colour >> shift) & 0xFF; }

std::uint32_t Colour(int red, int green, int blue)
{
    return std::uint32_t(std::clamp(red, 0, 255)) << 16 | std::uint32_t(std::clamp(green, 0, 255)) << 8
           | std::uint32_t(std::clamp(blue, 0, 255));
}

std::uint32_t Shifted(std::uint32_t colour, int by)
{
    return Colour(Channel(colour, 16) + by, Channel(colour, 8) + by, Channel(colour, 0) + by);
}

// Disabled pixels lose their colour; the ends of the scale move inwards so
// that black and white icon parts stay apart from the frame and background.
std::uint32_t Greyed(std::uint32_t colour)
{
    int value = (Channel(colour, 16) + Channel(colour, 8) + Channel(colour, 0)) / 3;
    if (value == 0)
        value = 50;
    else if (value == 255)
        value = 240;
    return Colour(value, value, value);
}

// A disabled icon also gives up half its contrast to the background, so it
// reads as plainly grey even where its colours were grey already.
std::uint32_t Faded(std::uint32_t colour, std::uint32_t background)
{
    return Colour((Channel(colour, 16) + Channel(background, 16)) / 2, (Channel(colour, 8) + Channel(background, 8)) / 2,
                  (Channel(colour, 0) + Channel(background, 0)) / 2);
}

// x and y are device pixels.
void PutPixel(QImage& image, int x, int y, std::uint32_t colour)
{
    uchar* pixel = image.scanLine(y) + 3 * x;
    pixel[0] = uchar(Channel(colour, 0));
    pixel[1] = uchar(Channel(colour, 8));
    pixel[2] = uchar(Channel(colour, 16));
}

// The scale x scale device pixels of the pixel at (x, y).
void PutBlock(QImage& image, int x, int y, int scale, std::uint32_t colour)
{
    for (int dy = 0; dy < scale; ++dy)
        for (int dx = 0; dx < scale; ++dx)
            PutPixel(image, x * scale + dx, y * scale + dy, colour);
}

// More than one device pixel to the pixel draws at two: a doubled icon
// stays crisp there, and at 1.5 Qt's plain downscaling of it still is.
int ScaleFor(qreal devicePixelRatio) { return devicePixelRatio > 1 ? 2 : 1; }

template <typename TEvent, typename... TArguments>
void Fire(const TEvent& event, TArguments&&... arguments)
{
    if (!event)
        return;
    try {
        event(std::forward<TArguments>(arguments)...);
    } catch (...) {
        // An owner's failing handler ends that call only.
    }
}

} // namespace

// The bar's window: forwards its input to the bar and paints its back buffer.
class TToolbarWindow final : public QWidget {
public:
    const TToolbars& Bar() const { return FBar; }
    explicit TToolbarWindow(TToolbars& bar) : FBar(bar)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMouseTracking(true);
        resize(100, 1);
    }

protected:
    bool event(QEvent* event) override
    {
        // During an accepted drag the hints would only be in the way.
        if (event->type() == QEvent::ToolTip && !FBar.FHintsOn)
            return true;
        return QWidget::event(event);
    }
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        // The ratio of what is painted on, which is also right for a window
        // moved to another screen and for rendering into a picture.
        const int scale = ScaleFor(painter.deviceTransform().m11());
        if (scale != FBar.FScale)
            FBar.Draw(scale);
        const int top = FBar.FTopLine ? LineHeight : 0;
        painter.drawImage(0, top, FBar.FBackBuffer);
        const int right = width() - 1;
        // Sunken lines: shadow above highlight.
        auto line = [&](int y) {
            painter.setPen(palette().color(QPalette::Mid));
            painter.drawLine(0, y, right, y);
            painter.setPen(palette().color(QPalette::Light));
            painter.drawLine(0, y + 1, right, y + 1);
        };
        if (FBar.FTopLine)
            line(0);
        if (FBar.FBottomLine)
            line(height() - LineHeight);
    }
    void resizeEvent(QResizeEvent*) override { FBar.Resized(); }
    void mousePressEvent(QMouseEvent* event) override
    {
        const QPoint at = event->position().toPoint();
        FBar.MouseDown(event->button(), event->modifiers(), at.x(), at.y());
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        const QPoint at = event->position().toPoint();
        FBar.MouseMove(event->modifiers(), at.x(), at.y());
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        const QPoint at = event->position().toPoint();
        FBar.MouseUp(event->button(), event->modifiers(), at.x(), at.y());
    }

private:
    TToolbars& FBar;
};

// What assistive technology sees of the bar: a tool bar whose children are
// its entries, each a button named by its hint that says whether it is
// enabled, or a separator.
class TEntryAccessible final : public QAccessibleInterface {
public:
    TEntryAccessible(TToolbarWindow* window, const TToolbars& bar, int slot)
        : FWindow(window), FBar(bar), FSlot(slot) {}
    bool isValid() const override { return FWindow && FBar.ButtonUsed(FSlot); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return FWindow ? FWindow->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(FWindow.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name && t != QAccessible::Description)
            return {};
        return QString::fromStdString(FBar.ButtonCaption(FSlot)).replace(QLatin1Char('\n'), QLatin1String(": "));
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        const QRect local = FBar.ButtonRect(FSlot);
        return FWindow ? QRect(FWindow->mapToGlobal(local.topLeft()), local.size()) : QRect();
    }
    QAccessible::Role role() const override
    {
        return FBar.ButtonCaption(FSlot).empty() ? QAccessible::Separator : QAccessible::Button;
    }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.disabled = !FBar.ButtonEnabled(FSlot) || !FBar.BarEnabled();
        state.invisible = !FWindow || !FWindow->isVisible();
        return state;
    }

private:
    QPointer<TToolbarWindow> FWindow;
    const TToolbars& FBar;
    int FSlot;
};

class TBarAccessible final : public QAccessibleWidget {
public:
    TBarAccessible(TToolbarWindow* window, const TToolbars& bar)
        : QAccessibleWidget(window, QAccessible::ToolBar), FBar(bar)
    {
        FIds.fill(0);
    }
    ~TBarAccessible() override
    {
        for (const QAccessible::Id id : FIds)
            if (id)
                QAccessible::deleteAccessibleInterface(id);
    }
    int childCount() const override
    {
        int count = 0;
        for (int slot = 0; slot < TToolbars::SlotCount; ++slot)
            count += FBar.ButtonUsed(slot);
        return count;
    }
    QAccessibleInterface* child(int index) const override
    {
        const int slot = Slot(index);
        if (slot < 0)
            return nullptr;
        if (!FIds[std::size_t(slot)])
            FIds[std::size_t(slot)] = QAccessible::registerAccessibleInterface(
                new TEntryAccessible(static_cast<TToolbarWindow*>(widget()), FBar, slot));
        return QAccessible::accessibleInterface(FIds[std::size_t(slot)]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (int i = 0; i < childCount(); ++i)
            if (this->child(i) == child)
                return i;
        return -1;
    }

private:
    // The slot of the index-th used entry; -1 past the last.
    int Slot(int index) const
    {
        for (int slot = 0; slot < TToolbars::SlotCount; ++slot)
            if (FBar.ButtonUsed(slot) && index-- == 0)
                return slot;
        return -1;
    }
    const TToolbars& FBar;
    mutable std::array<QAccessible::Id, TToolbars::SlotCount> FIds;
};

QAccessibleInterface* BarAccessibleFactory(const QString&, QObject* object)
{
    if (auto* window = dynamic_cast<TToolbarWindow*>(object))
        return new TBarAccessible(window, window->Bar());
    return nullptr;
}

TToolbars::TToolbars() : FWindow(new TToolbarWindow(*this))
{
    static const bool factory = (QAccessible::installFactory(BarAccessibleFactory), true);
    (void)factory;
    FBarEnabled = FWindow->isEnabled();
    FBackBuffer = QImage(1, 1, QImage::Format_BGR888);
    TMultiTimer& timers = MultiTimer();
    timers.AddTimer(this, HoverPollInterval, true, [this](TMultiTimer&) { PollHover(); });
    timers.AddTimer(this, TickInterval, true, [this](TMultiTimer&) { Fire(OnTick, *this); });
    Relayout();
}

TToolbars::~TToolbars()
{
    MultiTimer().RemoveTimersOf(this, true);
    if (FWindow) {
        FWindow->hide();
        FWindow->setParent(nullptr);
        delete FWindow.data();
    }
}

QWidget* TToolbars::Window() const { return FWindow.data(); }

int TToolbars::AddButton(const std::string& caption, const std::string& iconText, int gap,
                         const std::string& doubledIconText)
{
    const auto free = std::find_if(FEntries.begin(), FEntries.end(), [](const TEntry& e) { return !e.Used; });
    if (free == FEntries.end())
        return -1;
    TEntry& entry = *free;
    // The slot keeps a cursor that SetAllButtonCursors gave it while free.
    const Qt::CursorShape cursor = entry.Cursor;
    entry = TEntry{};
    entry.Cursor = cursor;
    entry.Used = true;
    entry.Caption = caption;
    entry.IconText = iconText;
    entry.Gap = gap;
    const QImage icon = iconText.empty() ? QImage() : BitmapFromText(iconText);
    entry.Icon = icon.isNull() ? QImage() : icon.convertToFormat(QImage::Format_RGB32);
    const QImage doubled = doubledIconText.empty() ? QImage() : BitmapFromText(doubledIconText);
    if (!entry.Icon.isNull())
        entry.DoubledIcon = doubled.size() == 2 * entry.Icon.size()
            ? doubled.convertToFormat(QImage::Format_RGB32)
            : entry.Icon.scaled(2 * entry.Icon.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    entry.Width = entry.Icon.width() + 2 * Margin;
    entry.Height = entry.Icon.height() + 2 * Margin;
    Relayout();
    return int(free - FEntries.begin());
}

void TToolbars::ClearButtons(int first, int last)
{
    if (first < 0 || last < 0) {
        first = 0;
        last = SlotCount - 1;
    }
    bool freed = false;
    for (int index = std::max(first, 0); index <= std::min(last, SlotCount - 1); ++index) {
        if (!FEntries[index].Used)
            continue;
        FEntries[index] = TEntry{};
        if (FHotButton == index)
            FHotButton = -1;
        freed = true;
    }
    if (freed)
        Relayout();
}

void TToolbars::SetButtonEnabled(int index, bool enabled)
{
    if (!Valid(index) || FEntries[index].Enabled == enabled)
        return;
    FEntries[index].Enabled = enabled;
    Relayout();
    if (FWindow && FEntries[index].Used && QAccessible::isActive()) {
        int child = 0;
        for (int slot = 0; slot < index; ++slot)
            child += FEntries[slot].Used;
        QAccessible::State changed;
        changed.disabled = true;
        QAccessibleStateChangeEvent notice(FWindow.data(), changed);
        notice.setChild(child);
        QAccessible::updateAccessibility(&notice);
    }
}

bool TToolbars::ButtonUsed(int index) const { return Valid(index) && FEntries[index].Used; }

std::string TToolbars::ButtonCaption(int index) const { return Valid(index) ? FEntries[index].Caption : std::string(); }

void TToolbars::SetButtonCaption(int index, const std::string& caption)
{
    if (!Valid(index) || FEntries[index].Caption == caption)
        return;
    FEntries[index].Caption = caption;
    Relayout();
}

void TToolbars::SetButtonVisible(int index, bool visible)
{
    if (!Valid(index) || FEntries[index].Visible == visible)
        return;
    FEntries[index].Visible = visible;
    Relayout();
}

void TToolbars::SetButtonCursor(int index, Qt::CursorShape cursor)
{
    if (Valid(index))
        FEntries[index].Cursor = cursor;
}

void TToolbars::SetAllButtonCursors(Qt::CursorShape cursor)
{
    for (int index = 0; index < SlotCount; ++index)
        SetButtonCursor(index, cursor);
}

void TToolbars::SetSeparatorLines(bool on)
{
    if (FSeparatorLines == on)
        return;
    FSeparatorLines = on;
    Relayout();
}

void TToolbars::SetTopLine(bool on)
{
    if (FTopLine == on)
        return;
    FTopLine = on;
    Relayout();
}

void TToolbars::SetBottomLine(bool on)
{
    if (FBottomLine == on)
        return;
    FBottomLine = on;
    Relayout();
}

void TToolbars::SetBarEnabled(bool enabled)
{
    if (FBarEnabled == enabled)
        return;
    FBarEnabled = enabled;
    if (FWindow)
        FWindow->setEnabled(enabled);
    Relayout();
}

bool TToolbars::ButtonEnabled(int index) const { return Valid(index) && FEntries[index].Enabled; }

QRect TToolbars::ButtonRect(int index) const { return Valid(index) ? FEntries[index].Rect : QRect(); }

int TToolbars::ButtonAt(int x, int y, bool includeDisabled) const
{
    for (int index = 0; index < SlotCount; ++index) {
        const TEntry& entry = FEntries[index];
        if (entry.Used && entry.Visible && (entry.Enabled || includeDisabled) && entry.Rect.contains(x, y))
            return index;
    }
    return -1;
}

void TToolbars::SetHint(const std::string& text)
{
    const QString hint = QString::fromStdString(text);
    if (!FWindow || FWindow->toolTip() == hint)
        return;
    QToolTip::hideText();
    FWindow->setToolTip(hint);
}

void TToolbars::Relayout()
{
    if (!FWindow)
        return;
    const bool hotEnabled = Valid(FHotButton) && FEntries[FHotButton].Enabled;
    const Qt::CursorShape cursor = hotEnabled ? FEntries[FHotButton].Cursor : Qt::ArrowCursor;
    if (FWindow->cursor().shape() != cursor)
        FWindow->setCursor(cursor);
    SetHint(Valid(FHotButton) ? FEntries[FHotButton].Caption : std::string());

    int tallest = 0;
    for (const TEntry& entry : FEntries)
        if (entry.Used && entry.Visible)
            tallest = std::max(tallest, entry.Height);
    const int lines = (FTopLine ? LineHeight : 0) + (FBottomLine ? LineHeight : 0);
    if (FWindow->height() != tallest + lines || FWindow->minimumHeight() != tallest + lines)
        FWindow->setFixedHeight(tallest + lines);
    FInner = tallest;

    int x = Margin;
    for (TEntry& entry : FEntries) {
        if (!entry.Used || !entry.Visible)
            continue;
        entry.Rect = QRect(x - Margin, Margin, entry.Width, FInner);
        x += entry.Width + entry.Gap;
    }
    Draw(ScaleFor(FWindow->devicePixelRatio()));
    Paint();
}

void TToolbars::Draw(int scale)
{
    if (!FWindow)
        return;
    FScale = scale;
    FBackBuffer = QImage(std::max(FWindow->width(), 1) * scale, std::max(FInner, 1) * scale, QImage::Format_BGR888);
    if (FBackBuffer.isNull())
        return;
    FBackBuffer.setDevicePixelRatio(scale);
    FBase = FWindow->palette().color(QPalette::Window).rgb() & 0xFFFFFF;
    FDark = Shifted(FBase, -55);
    FLight = Shifted(FBase, 40);
    for (int y = 0; y < FBackBuffer.height(); ++y)
        for (int x = 0; x < FBackBuffer.width(); ++x)
            PutPixel(FBackBuffer, x, y, FBase);

    int separatorTracker = 0;
    for (int index = 0; index < SlotCount; ++index) {
        const TEntry& entry = FEntries[index];
        if (entry.Used && entry.Visible)
            DrawEntry(index, entry.Rect.left() + Margin, Margin, separatorTracker);
    }
}

void TToolbars::Paint()
{
    if (FWindow)
        FWindow->update();
}

void TToolbars::DrawEntry(int index, int x, int y, int& separatorTracker)
{
    const TEntry& entry = FEntries[index];
    const bool hot = FBarEnabled && entry.Enabled && index == FHotButton;
    const bool pressed = hot && FMouseDown;
    const bool grey = !FBarEnabled || !entry.Enabled;
    const int left = pressed ? x + 1 : x;
    const int top = pressed ? y + 1 : y;
    const int scale = FScale;
    const int height = FInner;
    if (hot) {
        QPainter painter(&FBackBuffer);
        painter.setPen(QColor::fromRgb(FDark));
        painter.setBrush(QColor::fromRgb(FLight));
        // The corners are ellipses 10 wide and 14 high; right and bottom end
        // one pixel before (x + width - 4, y + height - 4).
        painter.drawRoundedRect(QRect(left - 2, top - 2, entry.Width - 4, height - 4), 5, 7);
    }
    const std::uint32_t fill = hot ? FLight : FBase;
    const QImage& icon = scale == 2 ? entry.DoubledIcon : entry.Icon;
    if (!icon.isNull()) {
        // The icon's pixels are device pixels; the right-most pixel column
        // of the bar stays free.
        const int deviceLeft = left * scale, deviceTop = top * scale;
        const int deviceRight = FBackBuffer.width() - scale, deviceBottom = FBackBuffer.height();
        const std::uint32_t transparent = icon.pixel(0, 0) & 0xFFFFFF;
        auto at = [&icon](int ix, int iy) { return std::uint32_t(icon.pixel(ix, iy)) & 0xFFFFFF; };
        for (int dy = 0; dy < icon.height() && deviceTop + dy < deviceBottom; ++dy) {
            for (int dx = 0; dx < icon.width() && deviceLeft + dx < deviceRight; ++dx) {
                std::uint32_t colour = at(dx, dy);
                if (colour == transparent) {
                    // An outline pixel takes in its coloured neighbours, so
                    // the icon's edge blends into the background.
                    int sum[3] = {0, 0, 0}, count = 0;
                    const int near[4][2] = {{dx - 1, dy}, {dx + 1, dy}, {dx, dy - 1}, {dx, dy + 1}};
                    for (const auto& n : near) {
                        if (n[0] < 0 || n[1] < 0 || n[0] >= icon.width() || n[1] >= icon.height())
                            continue;
                        const std::uint32_t neighbour = at(n[0], n[1]);
                        if (neighbour == transparent)
                            continue;
                        for (int c = 0; c < 3; ++c)
                            sum[c] += Channel(neighbour, 16 - 8 * c);
                        ++count;
                    }
                    if (count == 0)
                        continue;
                    colour = Colour((Channel(fill, 16) * 8 + sum[0]) / (8 + count),
                                    (Channel(fill, 8) * 8 + sum[1]) / (8 + count),
                                    (Channel(fill, 0) * 8 + sum[2]) / (8 + count));
                } else if (hot) {
                    colour = Shifted(colour, 20);
                }
                PutPixel(FBackBuffer, deviceLeft + dx, deviceTop + dy, grey ? Faded(Greyed(colour), fill) : colour);
            }
        }
    }
    if (FSeparatorLines && entry.Gap > 0 && separatorTracker == -1) {
        const int lineX = x - Margin + entry.Width + entry.Gap / 2;
        if (lineX >= 0 && lineX < FBackBuffer.width() / scale)
            for (int lineY = y + 1; lineY < std::min(y + height - 7, height); ++lineY)
                PutBlock(FBackBuffer, lineX, lineY, scale, FDark);
        separatorTracker = index;
    } else if (!entry.IconText.empty()) {
        separatorTracker = -1;
    }
}

void TToolbars::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    if (FMouseDown)
        return;
    FMouseDown = true;
    FDrag = TDrag::None;
    Fire(OnBarMouseDown, *FWindow, button, shift, x, y);
    FHotButton = ButtonAt(x, y, false);
    Relayout();
}

void TToolbars::MouseMove(Qt::KeyboardModifiers shift, int x, int y)
{
    if (!FMouseDown) {
        const int hot = ButtonAt(x, y, false);
        if (hot != FHotButton) {
            FHotButton = hot;
            Relayout();
        }
        const int under = ButtonAt(x, y, true);
        SetHint(under >= 0 ? FEntries[under].Caption : std::string());
    }
    Fire(OnBarMouseMove, *FWindow, shift, x, y);
    if (!FMouseDown)
        return;
    if (FDrag == TDrag::None && ButtonAt(x, y, false) != FHotButton) {
        FDrag = TDrag::Refused;
        if (OnDragQuery) {
            QToolTip::hideText();
            bool accept = true;
            Fire(OnDragQuery, *FWindow, shift, accept, x, y);
            if (accept)
                FDrag = TDrag::Dragging;
        }
    }
    if (FDrag == TDrag::Dragging) {
        FHintsOn = false;
        Fire(OnDragMove, *FWindow, shift, x, y);
    }
}

void TToolbars::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    // Only the release that ends a press on the bar counts, so a second
    // button let go after the first cannot click twice.
    if (!FMouseDown)
        return;
    FMouseDown = false;
    Relayout();
    Fire(OnBarMouseUp, *FWindow, button, shift, x, y);
    if (FDrag == TDrag::Dragging) {
        FHintsOn = true;
        Fire(OnDragEnd, *FWindow, button, shift, x, y);
    } else {
        Fire(OnButtonClick, *this, FHotButton);
    }
}

void TToolbars::Resized()
{
    Relayout();
    Fire(OnBarResize, *this);
}

void TToolbars::PollHover()
{
    if (!FWindow)
        return;
    if (!FMouseDown) {
        // A hidden bar has nothing under the pointer.
        const QPoint at = FWindow->mapFromGlobal(QCursor::pos());
        const int hot = FWindow->isVisible() ? ButtonAt(at.x(), at.y(), false) : -1;
        if (hot != FHotButton) {
            FHotButton = hot;
            Relayout();
        }
    }
    if ((FWindow->palette().color(QPalette::Window).rgb() & 0xFFFFFF) != FBase)
        Relayout();
}

} // namespace orvanto

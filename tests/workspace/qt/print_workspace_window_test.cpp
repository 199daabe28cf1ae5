// The workspace window on the offscreen platform: where the page goes, what
// dragging does to the Custom offsets, the zoom bars' pull-back, the red
// labels of a page that cannot be drawn, and the background colour.
#include "workspace/qt/print_workspace_window.h"

#include "platform/platform.h"
#include "platform/recording_colour_dialog.h"
#include "platform/recording_printer.h"
#include "support/memory/memory_limit.h"
#include "tests/test_support.h"
#include "workspace/print_workspace.h"

#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <tuple>

#include <cmath>
#include <memory>

using namespace orvanto;

namespace {

// A workspace on a recording printer with a portrait page of the given size,
// its window shown at the given size.
class TShownWindow {
public:
    TShownWindow(int pageWidth, int pageHeight, QSize size, int dpiY = 600)
    {
        auto printer = std::make_unique<TRecordingPrinter>();
        printer->PortraitWidth = pageWidth;
        printer->PortraitHeight = pageHeight;
        printer->ResolutionY = dpiY;
        FPrevious = Platform().SetPrinter(std::move(printer));
        Window = std::make_unique<TPrintWorkspaceWindow>(Workspace);
        Window->resize(size);
        Window->show();
        Settle();
    }
    ~TShownWindow()
    {
        Window.reset();
        Platform().SetPrinter(std::move(FPrevious));
    }
    template <class T>
    T* Child(const char* name) const
    {
        return Window->findChild<T*>(QString::fromLatin1(name));
    }
    QWidget* Page() const { return Child<QWidget>("Page"); }
    void Settle() const
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    void Load(int width, int height)
    {
        const std::string file = MakeTempFolder("window") + "picture.bmp";
        QImage picture(width, height, QImage::Format_RGB32);
        picture.fill(QColor(30, 120, 200));
        ASSERT_TRUE(picture.save(QString::fromStdString(file), "BMP"));
        ASSERT_TRUE(Workspace.LoadFile(file)) << Workspace.LastError();
        Settle();
    }
    void SetPreviewSize(int size)
    {
        TPrintWorkspaceInfo info = Workspace.Info();
        info.PreviewSize = size;
        Workspace.ApplyInfo(info);
    }
    void Apply(int scale, int position, std::int32_t zoomX, std::int32_t zoomY, std::int32_t zoomXY)
    {
        TPrintWorkspaceInfo info = Workspace.Info();
        info.Scale = TPrintScale(scale);
        info.Position = TPrintPosition(position);
        info.ZoomX = zoomX;
        info.ZoomY = zoomY;
        info.ZoomXY = zoomXY;
        Workspace.ApplyInfo(info);
        Settle();
    }

    TPrintWorkspace Workspace;
    std::unique_ptr<TPrintWorkspaceWindow> Window;

private:
    std::unique_ptr<IPrinter> FPrevious;
};

// Counts the paints a widget receives.
class TPaintCounter : public QObject {
public:
    int Paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        Paints += event->type() == QEvent::Paint;
        return false;
    }
};

void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

TEST(WorkspaceWindow, PageFitsTheBoxAndCloseUpDoublesIt)
{
    enum TFills { Width, Height };
    const struct {
        const char* Name;
        int PageWidth, PageHeight;
        QSize Window;
        TFills Fills;
        bool Scrolls; // in Close Up
    } cases[] = {
        {"landscape page in a wide box fills the width", 3000, 1500, {900, 900}, Width, true},
        {"portrait page fills the height", 2400, 3000, {900, 700}, Height, true},
        {"portrait page in a narrow box fills the height and scrolls", 2400, 3000, {250, 700}, Height, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TShownWindow shown(c.PageWidth, c.PageHeight, c.Window);
        const QWidget* page = shown.Page();
        const auto* box = shown.Child<QScrollArea>("PreviewBox");
        const QSize overall = page->size();
        for (int previewSize : {1, 0}) {
            shown.SetPreviewSize(previewSize);
            shown.Settle();
            const QSize client = box->viewport()->size();
            const int times = previewSize + 1;
            const long double aspect = static_cast<long double>(c.PageHeight) / c.PageWidth;
            if (c.Fills == Width) {
                EXPECT_EQ(page->width(), (client.width() - 20) * times);
                EXPECT_EQ(page->height(), std::lround((client.width() - 20) * aspect) * times);
            } else {
                EXPECT_EQ(page->height(), (client.height() - 20) * times);
                EXPECT_EQ(page->width(), std::lround((client.height() - 20) / aspect) * times);
            }
            const QWidget* frame = shown.Child<QWidget>("PageFrame");
            EXPECT_EQ(frame->size(), page->size() + QSize(20, 20));
            EXPECT_EQ(shown.Child<QWidget>("PageShadow")->geometry(), page->geometry().adjusted(-2, -2, 2, 2));
            if (frame->width() < client.width()) {
                EXPECT_EQ(frame->x(), (client.width() - frame->width()) / 2);
            }
            EXPECT_EQ(shown.Workspace.Layout().PreviewFactorX(),
                      static_cast<long double>(page->width()) / c.PageWidth);
            if (previewSize == 1) {
                EXPECT_EQ(box->verticalScrollBar()->isVisible(), c.Scrolls);
            }
        }
        EXPECT_EQ(page->size(), overall) << "back to Overall";
    }
}

TEST(WorkspaceWindow, DraggingMovesTheCustomOffsetsByPagePixels)
{
    // A 2400-pixel page shown 600 preview pixels wide: one preview pixel is 4.
    const struct {
        const char* Name;
        int Position;
        Qt::MouseButton Button;
        QPoint Move;
        QPoint Moved;
        Qt::CursorShape Cursor;
        int Key = 0; // an arrow key pressed on the page instead of the mouse (600 dpi: 1 mm is 23.6 pixels)
        Qt::KeyboardModifiers Modifiers = Qt::NoModifier;
        double TypedLeftMm = -1; // typed into the Left box instead
        double TypedTopMm = -1;  // typed into the Top box instead
        int DpiY = 600;          // the printer's resolution down; the page is 2 inches high all the same
    } cases[] = {
        {"left button, 10 to the right", ppCustom, Qt::LeftButton, {10, 0}, {40, 0}, Qt::PointingHandCursor},
        {"right button moves a fifth", ppCustom, Qt::RightButton, {10, 0}, {8, 0}, Qt::PointingHandCursor},
        {"left button, 10 up", ppCustom, Qt::LeftButton, {0, -10}, {0, -40}, Qt::PointingHandCursor},
        {"a fifth truncates toward zero", ppCustom, Qt::RightButton, {3, -3}, {2, -2}, Qt::PointingHandCursor},
        {"no drag unless the position is Custom", ppCenter, Qt::LeftButton, {10, 10}, {0, 0}, Qt::ArrowCursor},
        {"Shift+Right moves 10 mm", ppCustom, Qt::NoButton, {}, {236, 0}, Qt::PointingHandCursor, Qt::Key_Right,
         Qt::ShiftModifier},
        {"Up moves 1 mm", ppCustom, Qt::NoButton, {}, {0, -24}, Qt::PointingHandCursor, Qt::Key_Up},
        {"Left moves 1 mm", ppCustom, Qt::NoButton, {}, {-24, 0}, Qt::PointingHandCursor, Qt::Key_Left},
        {"Down moves 1 mm: 12 pixels at 300 dpi down", ppCustom, Qt::NoButton, {}, {0, 12}, Qt::PointingHandCursor,
         Qt::Key_Down, Qt::NoModifier, -1, -1, 300},
        {"Shift+Up moves 10 mm at 300 dpi down", ppCustom, Qt::NoButton, {}, {0, -118}, Qt::PointingHandCursor,
         Qt::Key_Up, Qt::ShiftModifier, -1, -1, 300},
        {"no key moves unless the position is Custom", ppCenter, Qt::NoButton, {}, {0, 0}, Qt::ArrowCursor,
         Qt::Key_Left},
        // The box measures from the paper's edge: the printer's 150-pixel
        // margin comes off what is typed.
        {"an inch typed into the Left box", ppCustom, Qt::NoButton, {}, {450, 0}, Qt::PointingHandCursor, 0,
         Qt::NoModifier, 25.4},
        {"an inch typed into the Left box is 450 pixels across, at 300 dpi down too", ppCustom, Qt::NoButton, {},
         {450, 0}, Qt::PointingHandCursor, 0, Qt::NoModifier, 25.4, -1, 300},
        {"an inch typed into the Top box is 180 pixels past the margin at 300 dpi down", ppCustom, Qt::NoButton, {},
         {0, 180}, Qt::PointingHandCursor, 0, Qt::NoModifier, -1, 25.4, 300},
        {"20 mm typed: 472 pixels from the paper's edge", ppCustom, Qt::NoButton, {}, {322, 0},
         Qt::PointingHandCursor, 0, Qt::NoModifier, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TShownWindow shown(2400, 1200 * c.DpiY / 600, {622, 600}, c.DpiY);
        shown.Apply(psFitToPage, c.Position, 0, 0, 0);
        QWidget* page = shown.Page();
        ASSERT_EQ(page->width(), 600);
        EXPECT_EQ(page->cursor().shape(), c.Cursor);
        const TPrintWorkspaceInfo before = shown.Workspace.Info();
        const QPoint start(100, 100);
        auto* left = shown.Child<QDoubleSpinBox>("LeftEdgeBox");
        ASSERT_NE(left, nullptr);
        EXPECT_EQ(left->isVisible(), c.Position == ppCustom) << "the edges are offered for Custom only";
        if (c.Key) {
            shown.Load(100, 100);
            QTest::keyClick(page, Qt::Key(c.Key), c.Modifiers);
        } else if (c.TypedLeftMm >= 0) {
            left->setValue(c.TypedLeftMm);
        } else if (c.TypedTopMm >= 0) {
            shown.Child<QDoubleSpinBox>("TopEdgeBox")->setValue(c.TypedTopMm);
        } else {
            SendMouse(page, QEvent::MouseButtonPress, start, c.Button);
            SendMouse(page, QEvent::MouseMove, start + c.Move, c.Button);
            SendMouse(page, QEvent::MouseButtonRelease, start + c.Move, c.Button);
        }
        EXPECT_EQ(shown.Workspace.Info().X - before.X, c.Moved.x());
        EXPECT_EQ(shown.Workspace.Info().Y - before.Y, c.Moved.y());
        // Each box adds the printer's margin on its side (150 and 120 pixels).
        EXPECT_NEAR(left->value(), (shown.Workspace.Info().X + 150) * 25.4 / 600, 0.05) << "the Left box follows";
        EXPECT_NEAR(shown.Child<QDoubleSpinBox>("TopEdgeBox")->value(),
                    (shown.Workspace.Info().Y + 120) * 25.4 / c.DpiY,
                    0.05);
    }
}

TEST(WorkspaceWindow, ZoomBarsShowTheZoomAndPullBackWhatIsBeyondTheirRange)
{
    const struct {
        const char* Name;
        int Scale;
        std::int32_t Before; // ZoomXY already applied (with its pull-back)
        std::int32_t X, Y, XY;
        std::int32_t KeptX, KeptY, KeptXY;
        const char* Label1;
        const char* Label2;
    } cases[] = {
        {"Custom shows both zooms with their signs", psCustom, 0, 50, -25, 0, 50, -25, 0,
         "Horizontal +50%", "Vertical -25%"},
        {"Custom beyond the range is pulled back", psCustom, 0, 5000, -7000, 0, 3200, -3200, 0,
         "Horizontal +3200%", "Vertical -3200%"},
        {"Custom Fixed beyond the range is pulled back", psCustomFixed, 0, 0, 0, 4000, 0, 0, 3200,
         "Fixed +3200%", ""},
        {"a bar already at its end does not move, the zoom stays", psCustomFixed, 3200, 0, 0, 4000, 0, 0,
         4000, "Fixed +4000%", ""},
        {"other scales hide the zoom row", psScaleToPage, 0, 10, 10, 10, 10, 10, 10, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TShownWindow shown(2400, 3000, {700, 600});
        shown.Load(300, 200);
        shown.Apply(c.Scale, ppCenter, 0, 0, c.Before);
        shown.Apply(c.Scale, ppCenter, c.X, c.Y, c.XY);
        const TPrintWorkspaceInfo info = shown.Workspace.Info();
        EXPECT_EQ(info.ZoomX, c.KeptX);
        EXPECT_EQ(info.ZoomY, c.KeptY);
        EXPECT_EQ(info.ZoomXY, c.KeptXY);
        const auto* label1 = shown.Child<QLabel>("ZoomLabel1");
        const auto* label2 = shown.Child<QLabel>("ZoomLabel2");
        EXPECT_EQ(label1->isVisible() ? label1->text().toStdString() : "", c.Label1);
        EXPECT_EQ(label2->isVisible() ? label2->text().toStdString() : "", c.Label2);
        // The settings bar fits the lowest visible control.
        const QWidget* lowest = label2->isVisible() ? label2 : label1->isVisible() ? label1
                                                                                 : shown.Child<QWidget>("ScaleList");
        // A picture zoomed beyond the page offers the Poster box under the row.
        if (const QWidget* sizeRow = shown.Child<QWidget>("SizeRow"); sizeRow->isVisible())
            lowest = sizeRow;
        EXPECT_EQ(shown.Child<QWidget>("SettingsBar")->height(),
                  2 * shown.Child<QWidget>("ScaleLabel")->y() + lowest->geometry().bottom() + 1);
    }
}

// The keyboard moves a zoom bar the way its own arrow button on that side
// does: Left as the left arrow, Right as the right one.
TEST(WorkspaceWindow, ArrowKeysMoveTheZoomBarsAsTheirArrowButtons)
{
    const struct {
        const char* Bar;
        int Scale;
        std::int32_t TPrintWorkspaceInfo::*Zoom;
        Qt::Key Key;
        QStyle::SubControl Button;
        int Sign;
    } cases[] = {
        {"HorizontalZoomBar", psCustom, &TPrintWorkspaceInfo::ZoomX, Qt::Key_Left, QStyle::SC_ScrollBarSubLine, -1},
        {"HorizontalZoomBar", psCustom, &TPrintWorkspaceInfo::ZoomX, Qt::Key_Right, QStyle::SC_ScrollBarAddLine, 1},
        {"VerticalZoomBar", psCustom, &TPrintWorkspaceInfo::ZoomY, Qt::Key_Left, QStyle::SC_ScrollBarSubLine, -1},
        {"VerticalZoomBar", psCustom, &TPrintWorkspaceInfo::ZoomY, Qt::Key_Right, QStyle::SC_ScrollBarAddLine, 1},
        {"FixedZoomBar", psCustomFixed, &TPrintWorkspaceInfo::ZoomXY, Qt::Key_Left, QStyle::SC_ScrollBarSubLine, -1},
        {"FixedZoomBar", psCustomFixed, &TPrintWorkspaceInfo::ZoomXY, Qt::Key_Right, QStyle::SC_ScrollBarAddLine, 1},
    };
    TShownWindow shown(2400, 3000, {700, 600});
    shown.Load(300, 200);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Bar) + (c.Key == Qt::Key_Left ? " Left" : " Right"));
        shown.Apply(c.Scale, ppCenter, 0, 0, 0);
        auto* bar = shown.Child<QScrollBar>(c.Bar);
        ASSERT_TRUE(bar && bar->isVisible());
        QStyleOptionSlider option;
        option.initFrom(bar);
        option.orientation = bar->orientation();
        option.minimum = bar->minimum();
        option.maximum = bar->maximum();
        option.sliderPosition = bar->sliderPosition();
        option.sliderValue = bar->value();
        option.singleStep = bar->singleStep();
        option.pageStep = bar->pageStep();
        const QRect button = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, c.Button, bar);
        QTest::mouseClick(bar, Qt::LeftButton, {}, button.center());
        shown.Settle();
        const std::int32_t clicked = shown.Workspace.Info().*c.Zoom;
        EXPECT_EQ(clicked > 0 ? 1 : clicked < 0 ? -1 : 0, c.Sign) << "the arrow button";
        shown.Apply(c.Scale, ppCenter, 0, 0, 0);
        bar->setFocus();
        QTest::keyClick(bar, c.Key);
        shown.Settle();
        EXPECT_EQ(shown.Workspace.Info().*c.Zoom, clicked) << "the key";
    }
}

TEST(WorkspaceWindow, LabelsTurnRedWhileThePageCannotBeDrawn)
{
    // Applied in order to one window showing a 2000 x 1500 picture.
    const struct {
        const char* Name;
        std::int64_t Ceiling; // bytes one picture may take; 0 restores
        int Scale;
        std::int32_t Zoom;
        int PreviewSize;
        bool Red;
    } cases[] = {
        {"drawn", 0, psFitToPage, 0, 0, false},
        // A new size on the page asks for a new scaled copy.
        {"a scaled copy that cannot be made", 1000, psCustom, 10, 0, true},
        {"a later paint that succeeds", 0, psFitToPage, 0, 0, false},
        // Scaling the whole picture would take about 2 gigabytes here.
        {"+3200% in Close Up scales only what shows", 32 << 20, psCustom, 3200, 1, false},
    };
    TShownWindow shown(2400, 3000, {900, 700});
    shown.Load(2000, 1500);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        SetAllocationCeilingForTesting(c.Ceiling);
        shown.SetPreviewSize(c.PreviewSize);
        shown.Apply(c.Scale, ppCenter, c.Zoom, c.Zoom, 0);
        shown.Window->PaintPreview();
        shown.Settle();
        EXPECT_EQ(shown.Window->PaintFailed(), c.Red);
        const QColor red(255, 0, 0);
        const QColor normal = shown.Child<QLabel>("PositionLabel")->palette().color(QPalette::WindowText);
        for (const char* label : {"ScaleLabel", "ZoomLabel1", "ZoomLabel2"})
            EXPECT_EQ(shown.Child<QLabel>(label)->palette().color(QPalette::WindowText), c.Red ? red : normal)
                << label;
    }
    SetAllocationCeilingForTesting(0);
}

TEST(WorkspaceWindow, BackgroundColourRepaintsOnlyWhenItChanges)
{
    // Applied in order to one window without a picture; colours are in the
    // Windows order, red in the low byte.
    enum TAction { Set, Choose, Cancel };
    const struct {
        const char* Name;
        TAction Action;
        std::uint32_t Colour;
        int Mode;
        bool Repaints;
        QColor Page;
    } cases[] = {
        {"a new colour", Set, 0x00FF00, 1, true, QColor(0, 255, 0)},
        // The core tells of every applied setting; the window asks it only
        // for a colour that differs.
        {"the same colour again", Choose, 0x00FF00, 1, false, QColor(0, 255, 0)},
        {"the same colour chosen in the dialog", Choose, 0x00FF00, 1, false, QColor(0, 255, 0)},
        {"0xFF0000 chosen in the dialog is blue", Choose, 0xFF0000, 1, true, QColor(0, 0, 255)},
        {"a cancelled dialog", Cancel, 0x0000FF, 1, false, QColor(0, 0, 255)},
        {"the colour switched off shows white", Set, 0xFF0000, 0, true, QColor(255, 255, 255)},
    };
    auto dialog = std::make_unique<TRecordingColourDialog>();
    TRecordingColourDialog* dialogs = dialog.get();
    auto previous = Platform().SetColourDialog(std::move(dialog));
    TShownWindow shown(2400, 3000, {500, 500});
    TPaintCounter counter;
    shown.Page()->installEventFilter(&counter);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        counter.Paints = 0;
        if (c.Action == Set) {
            TPrintWorkspaceInfo info = shown.Workspace.Info();
            std::tie(info.BkColor, info.UseBkColor) = std::tuple(c.Colour, c.Mode);
            shown.Workspace.ApplyInfo(info);
        } else {
            const std::uint32_t preset = shown.Workspace.Info().BkColor;
            c.Action == Choose ? dialogs->Answer(c.Colour) : dialogs->Cancel();
            shown.Window->ChooseBackground();
            EXPECT_EQ(dialogs->Requests.back(), preset);
        }
        shown.Settle();
        EXPECT_EQ(counter.Paints > 0, c.Repaints);
        EXPECT_EQ(shown.Page()->grab().toImage().pixelColor(5, 5), c.Page);
    }
    Platform().SetColourDialog(std::move(previous));
}

TEST(WorkspaceWindow, SettingsBarSitsAtTheChosenEdgeWithThePanelCentred)
{
    // A window too narrow for the four groups in one row wraps them; the
    // bar grows to hold the rows and the panel still fits its width.
    const struct {
        bool OnTop;
        int Width;
        bool OneRow;
    } cases[] = {{true, 900, true}, {false, 900, true}, {false, 300, false}, {true, 300, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.Width) + (c.OnTop ? " top" : " bottom"));
        TShownWindow shown(2400, 3000, {800, 600});
        shown.Window->SetPanelOnTop(c.OnTop);
        shown.Window->resize(c.Width, 600);
        shown.Settle();
        const QWidget* bar = shown.Child<QWidget>("SettingsBar");
        const auto* panel = shown.Child<TSettingsPanel>("SettingsPanel");
        EXPECT_EQ(shown.Window->PanelOnTop(), c.OnTop);
        EXPECT_EQ(bar->y() < shown.Child<QWidget>("PreviewBox")->y(), c.OnTop);
        EXPECT_EQ(panel->x(), (bar->width() - panel->width()) / 2);
        EXPECT_EQ(panel->height(), bar->height());
        EXPECT_LE(panel->width(), bar->width());
        EXPECT_EQ(panel->Columns() == 4, c.OneRow);
        const QWidget* quality = shown.Child<QWidget>("QualityList");
        EXPECT_EQ(quality->y() > shown.Child<QWidget>("ScaleList")->y(), !c.OneRow);
        EXPECT_LE(quality->geometry().bottom(), panel->height());
    }
}

// An edit that keeps the picture's size leaves the page geometry alone, yet
// the page shows the edited pixels, not the scaled copy of the old ones.
TEST(WorkspaceWindow, EditsThatKeepTheSizeShowAtOnce)
{
    const struct {
        const char* Name;
        bool (*Edit)(TPrintWorkspace&);
        QColor Left; // the page's left edge after the edit; red before
    } cases[] = {
        {"mirror", [](TPrintWorkspace& w) { return w.Mirror(); }, QColor(0, 0, 255)},
        {"half turn", [](TPrintWorkspace& w) { return w.Rotate(180); }, QColor(0, 0, 255)},
        {"invert", [](TPrintWorkspace& w) { return w.Invert(); }, QColor(0, 255, 255)},
    };
    const std::string file = MakeTempFolder("window-edits") + "halves.bmp";
    QImage halves(300, 200, QImage::Format_RGB32);
    halves.fill(Qt::blue);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 150; ++x)
            halves.setPixelColor(x, y, Qt::red);
    ASSERT_TRUE(halves.save(QString::fromStdString(file), "BMP"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TShownWindow shown(2400, 3000, {700, 600});
        ASSERT_TRUE(shown.Workspace.LoadFile(file));
        shown.Settle();
        const QPoint left(5, shown.Page()->height() / 2);
        EXPECT_EQ(shown.Page()->grab().toImage().pixelColor(left), QColor(255, 0, 0));
        ASSERT_TRUE(c.Edit(shown.Workspace));
        shown.Settle();
        EXPECT_EQ(shown.Page()->grab().toImage().pixelColor(left), c.Left);
    }
}

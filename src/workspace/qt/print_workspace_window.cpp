#include "workspace/qt/print_workspace_window.h"

#include "platform/platform.h"
#include "support/diagnostics/startup_timeline.h"
#include "workspace/page_layout.h"
#include "workspace/print_workspace.h"
#include "workspace/qt/preview_page.h"
#include "workspace/qt/preview_placement.h"
#include "workspace/qt/workspace_display_names.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace orvanto {

namespace {

constexpr std::uint32_t BoxColour = 0x808080;
constexpr std::uint32_t ShadowColour = 0x000000;
constexpr int ShadowWidth = 2;
constexpr int SettingsBarHeight = 65;
constexpr int FineDragDivisor = 5;

void Fill(QWidget* widget, std::uint32_t colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, QColorFromWindows(colour));
    widget->setPalette(palette);
    widget->setBackgroundRole(QPalette::Window);
    widget->setAutoFillBackground(true);
}

QString Signed(std::int32_t value)
{
    return (value > 0 ? QStringLiteral("+") : QString()) + QString::number(value) + QLatin1Char('%');
}

} // namespace

TPrintWorkspaceWindow::TPrintWorkspaceWindow(TPrintWorkspace& workspace, QWidget* parent)
    : QWidget(parent), FWorkspace(workspace)
{
    setObjectName("WorkspaceWindow");
    FLayout = new QVBoxLayout(this);
    FLayout->setContentsMargins(0, 0, 0, 0);
    FLayout->setSpacing(0);
    BuildPreviewBox();
    BuildSettingsBar();
    FWorkspace.SetView(this);
    FWorkspace.Refresh();
}

TPrintWorkspaceWindow::~TPrintWorkspaceWindow()
{
    if (FWorkspace.View() == this)
        FWorkspace.SetView(nullptr);
}

void TPrintWorkspaceWindow::BuildPreviewBox()
{
    FPreviewBox = new QScrollArea(this);
    FPreviewBox->setObjectName("PreviewBox");
    // The single border of the desktop's style, as its other scrolling views have.
    FPreviewBox->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    FPreviewBox->setWidgetResizable(false);
    FPreviewBox->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Fill(FPreviewBox->viewport(), BoxColour);
    FLayout->addWidget(FPreviewBox, 1);

    FPageFrame = new QWidget;
    FPageFrame->setObjectName("PageFrame");
    Fill(FPageFrame, BoxColour);
    FPageShadow = new QWidget(FPageFrame);
    FPageShadow->setObjectName("PageShadow");
    Fill(FPageShadow, ShadowColour);
    FPage = new TPreviewPage(FPageFrame);
    FPage->OnPaint = [this](QPainter& painter) { DrawPage(painter); };
    FPage->OnMousePress = [this](QMouseEvent& event) { StartDrag(event); };
    FPage->OnMouseMove = [this](QMouseEvent& event) { Drag(event); };
    FPage->OnMouseRelease = [this](QMouseEvent&) { EndDrag(); };
    FPage->OnKeyPress = [this](QKeyEvent& event) { return MoveByKey(event.key(), event.modifiers()); };
    FPreviewBox->setWidget(FPageFrame);
    FPreviewBox->installEventFilter(this);
}

void TPrintWorkspaceWindow::BuildSettingsBar()
{
    FSettingsBar = new QWidget(this);
    FSettingsBar->setObjectName("SettingsBar");
    FSettingsBar->setFixedHeight(SettingsBarHeight);
    FPanel = new TSettingsPanel(FSettingsBar);
    connect(FPanel, &TSettingsPanel::ControlChanged, this,
            [this](TPanelControl control) { PanelChanged(control); });
    connect(FPanel, &TSettingsPanel::SizeChanged, this, [this](TSizeControl control) { SizeChanged(control); });
    FLayout->addWidget(FSettingsBar);
    FSettingsBar->installEventFilter(this);
}

bool TPrintWorkspaceWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && (watched == FPreviewBox || watched == FSettingsBar))
        ControlResized(watched);
    return QWidget::eventFilter(watched, event);
}

void TPrintWorkspaceWindow::ControlResized(QObject* control)
{
    if (control == FPreviewBox) {
        // The page geometry is the printer's; only its place in the box changes.
        PlacePreview();
    } else if (control == FSettingsBar) {
        // The groups wrap onto more rows when the bar is too narrow for one;
        // the bar then grows to hold them.
        if (FPanel->Arrange(FSettingsBar->width()))
            FSettingsBar->setFixedHeight(FPanel->HeightFor(FPanel->ZoomRow()));
        const int width = FPanel->width();
        FPanel->setGeometry(std::max(0, int(Halve(FSettingsBar->width() - width))), 0, width,
                            FSettingsBar->height());
    }
}

void TPrintWorkspaceWindow::PlacePreview()
{
    // The box's client size is worked out here rather than read from its
    // viewport: the scroll bars come and go only after this returns.
    const QSize inner = FPreviewBox->contentsRect().size();
    const int barExtent = FPreviewBox->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                            FPreviewBox);
    const QSize client = ClientForFrame(FPageFrame->size(), inner, barExtent);
    const TPreviewPlacement placement = PlacePreviewPage(
        client, inner, barExtent, FWorkspace.Layout().PageAspect(), FWorkspace.Info().PreviewSize);
    const int m = PreviewMargin;
    // The scroll area positions the frame itself (centred while it fits,
    // else at minus the scroll offset), so only its size is set here.
    FPageFrame->resize(placement.Frame);
    FPageShadow->setGeometry(m - ShadowWidth, m - ShadowWidth,
                             placement.Page.width() + 2 * ShadowWidth,
                             placement.Page.height() + 2 * ShadowWidth);
    FPage->setGeometry(m, m, placement.Page.width(), placement.Page.height());
    FWorkspace.SetPreviewGeometry(placement.Page.width(), placement.Page.height());
}

void TPrintWorkspaceWindow::WorkspaceChanged(TWorkspaceChanges changes)
{
    if (changes & wcPicture)
        FCacheStale = true;
    if (changes & wcLayout) {
        PlacePreview();
        SetPageCursor(FWorkspace.Info().Position == ppCustom);
        SyncPanel();
    }
    if (changes & (wcPicture | wcLayout))
        FPage->update();
}

void TPrintWorkspaceWindow::UpdatePanel()
{
    const TPrintWorkspaceInfo info = FWorkspace.Info();
    const TWorkspaceDisplayNames& names = WorkspaceDisplayNames();
    TZoomRow row = TZoomRow::None;
    QString first;
    QString second;
    if (info.Scale == psCustom) {
        row = TZoomRow::Custom;
        first = names.Horizontal + QLatin1Char(' ') + Signed(info.ZoomX);
        second = names.Vertical + QLatin1Char(' ') + Signed(info.ZoomY);
    } else if (info.Scale == psCustomFixed) {
        row = TZoomRow::Fixed;
        first = names.Fixed + QLatin1Char(' ') + Signed(info.ZoomXY);
    }
    FPanel->ShowZoomRow(row, first, second);
    FPanel->ShowEdgeRow(info.Position == ppCustom);
    ShowEdges();
    ShowSize();
    FSettingsBar->setFixedHeight(FPanel->HeightFor(row));
    // The size row may have made the panel wider or taller.
    ControlResized(FSettingsBar);
    FPanel->SetWarning(FPaintFailed);
}

void TPrintWorkspaceWindow::SyncPanel()
{
    try {
        const TPrintWorkspaceInfo info = FWorkspace.Info();
        FPanel->SetListIndex(TPanelControl::QualityList, info.Quality);
        FPanel->SetListIndex(TPanelControl::ScaleList, info.Scale);
        FPanel->SetListIndex(TPanelControl::PositionList, info.Position);
        FPanel->SetListIndex(TPanelControl::OrientationList, info.Orientation);
        // A bar stands at most at its range's end. One that had to move
        // there pulls the zoom back to it, as if the user had moved it; one
        // that already stood there leaves the zoom beyond it alone. The
        // pulled-back settings come round here once more, and then no bar
        // moves.
        const struct {
            TPanelControl Bar;
            std::int32_t TPrintWorkspaceInfo::*Zoom;
        } bars[] = {{TPanelControl::HorizontalBar, &TPrintWorkspaceInfo::ZoomX},
                    {TPanelControl::VerticalBar, &TPrintWorkspaceInfo::ZoomY},
                    {TPanelControl::FixedBar, &TPrintWorkspaceInfo::ZoomXY}};
        TPrintWorkspaceInfo pulled = info;
        bool pullBack = false;
        for (const auto& bar : bars) {
            const std::int32_t before = FPanel->BarPosition(bar.Bar);
            FPanel->SetBarPosition(bar.Bar, info.*bar.Zoom);
            const std::int32_t after = FPanel->BarPosition(bar.Bar);
            if (after != before && after != info.*bar.Zoom) {
                pulled.*bar.Zoom = after;
                pullBack = true;
            }
        }
        UpdatePanel();
        if (pullBack)
            FWorkspace.ApplyInfo(pulled);
    } catch (...) {
        // A control that fails ends the synchronisation; the next one mends it.
    }
}

void TPrintWorkspaceWindow::PanelChanged(TPanelControl control)
{
    TPrintWorkspaceInfo info = FWorkspace.Info();
    const int index = FPanel->ListIndex(control);
    const std::int32_t position = FPanel->BarPosition(control);
    switch (control) {
    case TPanelControl::QualityList: info.Quality = TPrintQuality(index); break;
    case TPanelControl::ScaleList: info.Scale = TPrintScale(index); break;
    case TPanelControl::PositionList: info.Position = TPrintPosition(index); break;
    case TPanelControl::OrientationList: info.Orientation = TPrintOrientation(index); break;
    case TPanelControl::HorizontalBar: info.ZoomX = position; break;
    case TPanelControl::VerticalBar: info.ZoomY = position; break;
    case TPanelControl::FixedBar: info.ZoomXY = position; break;
    case TPanelControl::HorizontalReset: info.ZoomX = 0; break;
    case TPanelControl::VerticalReset: info.ZoomY = 0; break;
    case TPanelControl::FixedReset: info.ZoomXY = 0; break;
    // The boxes measure from the paper's edge; the offsets from the
    // printable area's.
    case TPanelControl::LeftEdge:
        info.X = FWorkspace.Layout().PagePixels(TAxis::Across, FPanel->Edge(control))
                 - FWorkspace.Layout().PrintableLeft();
        break;
    case TPanelControl::TopEdge:
        info.Y = FWorkspace.Layout().PagePixels(TAxis::Down, FPanel->Edge(control))
                 - FWorkspace.Layout().PrintableTop();
        break;
    default: return;
    }
    FWorkspace.ApplyInfo(info);
}

void TPrintWorkspaceWindow::PaintPreview()
{
    if (FPage->isVisible())
        FPage->repaint();
    else
        FPage->update();
}

QRect TPrintWorkspaceWindow::VisiblePage() const
{
    const QWidget* viewport = FPreviewBox->viewport();
    return QRect(FPage->mapFrom(viewport, QPoint(0, 0)), viewport->size()) & FPage->rect();
}

void TPrintWorkspaceWindow::DrawPage(QPainter& painter)
{
    // Drawn in device pixels: the scaled copy then matches the screen's
    // pixels one to one, also on a screen of high density.
    const qreal ratio = FPage->devicePixelRatioF();
    painter.scale(1 / ratio, 1 / ratio);
    TPreviewFrame frame;
    frame.Page = QSize(qRound(FPage->width() * ratio), qRound(FPage->height() * ratio));
    frame.Visible = QRectF(QRectF(VisiblePage()).topLeft() * ratio,
                           QRectF(VisiblePage()).size() * ratio).toAlignedRect();
    frame.Background = QColorFromWindows(FWorkspace.Info().EffectiveBackground());
    bool drawn = false;
    try {
        // While a picture loads, its quick reduced copy is drawn where the
        // whole picture will be: the layout takes the full size.
        const TWorkspacePicture& shownPicture = FWorkspace.Picture();
        const bool shown = shownPicture.HasQuickCopy() || !shownPicture.Empty();
        const QImage* picture = shown ? &shownPicture.Shown() : nullptr;
        bool poster = false;
        TPlacement at;
        if (picture) {
            bool cut = false;
            picture = PreviewSource(*picture, cut);
            if (cut)
                FCacheStale = true;
            TPlacementRequest request;
            request.FactorX = FWorkspace.Layout().PreviewFactorX() * ratio;
            request.FactorY = FWorkspace.Layout().PreviewFactorY() * ratio;
            request.PictureWidth = shownPicture.Size().width();
            request.PictureHeight = shownPicture.Size().height();
            request.SurfaceWidth = frame.Page.width();
            request.SurfaceHeight = frame.Page.height();
            at = PreviewPlacement(request, poster);
            frame.Left = at.Left;
            frame.Top = at.Top;
            frame.Width = at.Width;
            frame.Height = at.Height;
        }
        drawn = FCache.Paint(painter, picture, frame, FCacheStale);
        MarkStartup(picture ? "page painted with picture" : "page painted");
        FCacheStale = false;
        if (poster)
            DrawPosterGrid(painter, at);
    } catch (...) {
        FCache.Clear();
        painter.fillRect(QRect(QPoint(0, 0), frame.Page), frame.Background);
    }
    if (FPaintFailed != !drawn) {
        FPaintFailed = !drawn;
        UpdatePanel();
    }
}

void TPrintWorkspaceWindow::StartDrag(const QMouseEvent& event)
{
    FLastMouse = event.position().toPoint();
    FDragButton = event.button();
    FDragging = FWorkspace.Info().Position == ppCustom;
    if (FDragging)
        Drag(event);
}

void TPrintWorkspaceWindow::Drag(const QMouseEvent& event)
{
    if (!FDragging || FPage->width() < 1)
        return;
    const QPoint at = event.position().toPoint();
    // Preview pixels to page pixels, both directions with the horizontal
    // factor (the preview keeps the page's aspect).
    const long double factor = static_cast<long double>(FWorkspace.Info().Geometry.PageWidth) / FPage->width();
    std::int32_t dx = Round((at.x() - FLastMouse.x()) * factor);
    std::int32_t dy = Round((at.y() - FLastMouse.y()) * factor);
    FLastMouse = at;
    if (FDragButton == Qt::RightButton) {
        // Fine positioning; integer division truncates toward zero.
        dx /= FineDragDivisor;
        dy /= FineDragDivisor;
    }
    FWorkspace.MoveCustomOffset(dx, dy);
    ShowEdges();
    FPage->update();
}

void TPrintWorkspaceWindow::ShowEdges()
{
    const TPrintWorkspaceInfo info = FWorkspace.Info();
    const TPageLayout& layout = FWorkspace.Layout();
    FPanel->SetEdges(double(layout.Millimetres(TAxis::Across, (long double)info.X + layout.PrintableLeft())),
                     double(layout.Millimetres(TAxis::Down, (long double)info.Y + layout.PrintableTop())));
}

// Arrow keys move the picture in position Custom: 1 mm a press, 10 with
// Shift. Like the drag, no notice follows; the edge boxes follow at once.
bool TPrintWorkspaceWindow::MoveByKey(int key, Qt::KeyboardModifiers modifiers)
{
    if (FWorkspace.Picture().Empty() || FWorkspace.Info().Position != ppCustom)
        return false;
    int across = 0, down = 0;
    switch (key) {
    case Qt::Key_Left: across = -1; break;
    case Qt::Key_Right: across = 1; break;
    case Qt::Key_Up: down = -1; break;
    case Qt::Key_Down: down = 1; break;
    default: return false;
    }
    const double mm = modifiers & Qt::ShiftModifier ? 10 : 1;
    const TPageLayout& layout = FWorkspace.Layout();
    FWorkspace.MoveCustomOffset(layout.PagePixels(TAxis::Across, across * mm),
                                layout.PagePixels(TAxis::Down, down * mm));
    ShowEdges();
    FPage->update();
    return true;
}

void TPrintWorkspaceWindow::EndDrag()
{
    if (!FDragging)
        return;
    FDragging = false;
    FPage->update();
}

void TPrintWorkspaceWindow::SetPageCursor(bool hand)
{
    if (hand)
        FPage->setCursor(Qt::PointingHandCursor);
    else
        FPage->unsetCursor();
}

void TPrintWorkspaceWindow::SetPanelOnTop(bool onTop)
{
    FPanelOnTop = onTop;
    FLayout->removeWidget(FSettingsBar);
    FLayout->insertWidget(onTop ? 0 : 1, FSettingsBar);
}

void TPrintWorkspaceWindow::ChooseBackground()
{
    TPrintWorkspaceInfo info = FWorkspace.Info();
    const TColourChoice choice = Platform().ColourDialog().Choose(info.BkColor);
    // Choosing the colour already shown changes nothing and sends no notice.
    if (!choice.Confirmed || (choice.Colour == info.BkColor && info.UseBkColor == 1))
        return;
    info.BkColor = choice.Colour;
    info.UseBkColor = 1;
    FWorkspace.ApplyInfo(info);
}

void TPrintWorkspaceWindow::Detach()
{
    hide();
    setParent(nullptr);
}

} // namespace orvanto

#pragma once

// The workspace window: the visible face of a TPrintWorkspace. A borderless
// container holding
//   - the preview box, a grey scrolling box with the page frame in it: the
//     white page (the picture drawn where it will print) inside a 2-pixel
//     black shadow and a 10-pixel grey margin;
//   - the settings bar (at the bottom, or at the top) with the centred
//     settings panel: the Scale, Position, Orientation and Quality lists and
//     the zoom bars.
//
// The window implements IWorkspaceView: after each change the workspace
// says what changed, and the window places the page, shows the settings and
// repaints what that touches; it hands the user's input (list choices, zoom
// bars, reset buttons, dragging the picture while the position is Custom)
// back to the workspace. The settings live in the workspace; the window
// keeps what only it needs: the scaled copy of the picture and whether it
// is current, whether the last paint failed, where the settings bar sits,
// and the drag in progress.
//
// Use from the main window:
//   TPrintWorkspace workspace;                  // outlives the window
//   auto* window = new TPrintWorkspaceWindow(workspace, centralArea);
//   layout->addWidget(window); window->show(); workspace.Refresh();
//   ... window->ChooseBackground();             // the "background colour" command
//   ... window->Detach(); delete window;        // at shutdown, before the workspace
// Settings that the main window stores are read and set on the workspace
// (preview size, background colour) or on the window (settings bar on top).
//
// Painting never reports an error to the user: a page that cannot be drawn
// (its scaled copy refused for memory) turns the Scale and zoom labels red
// until a later paint succeeds.

#include "workspace/qt/preview_cache.h"
#include "workspace/page_layout.h"
#include "workspace/qt/settings_panel.h"
#include "workspace/workspace_view.h"

#include <QWidget>

class QMouseEvent;
class QScrollArea;
class QVBoxLayout;

namespace orvanto {

class TPreviewPage;
class TPrintWorkspace;

class TPrintWorkspaceWindow final : public QWidget, public IWorkspaceView {
    Q_OBJECT
public:
    // Builds the controls, attaches itself as the workspace's view and
    // refreshes. The workspace must outlive the window.
    explicit TPrintWorkspaceWindow(TPrintWorkspace& workspace, QWidget* parent = nullptr);
    // Detaches from the workspace.
    ~TPrintWorkspaceWindow() override;

    // The colour dialog, preset to the workspace's background colour; on OK
    // the chosen colour becomes the page background. Cancelling changes
    // nothing.
    void ChooseBackground();
    // Hides the window and takes it out of its parent.
    void Detach();
    // Draws the page at once when it is on screen (else at its next paint).
    void PaintPreview();
    // Whether the last paint could not draw the picture (the labels are red).
    bool PaintFailed() const { return FPaintFailed; }
    // The settings bar at the top (true) or the bottom.
    void SetPanelOnTop(bool onTop);
    bool PanelOnTop() const { return FPanelOnTop; }

    // IWorkspaceView.
    void WorkspaceChanged(TWorkspaceChanges changes) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildPreviewBox();
    void BuildSettingsBar();
    // Places the preview page for the page aspect and preview size and
    // hands the geometry to the workspace.
    void PlacePreview();
    // Zoom labels, zoom controls, settings-bar height, label colours.
    void UpdatePanel();
    // The lists and zoom bars from the current settings.
    void SyncPanel();
    // The hand pointer over the page while the position is Custom.
    void SetPageCursor(bool hand);
    void PanelChanged(TPanelControl control);
    void ControlResized(QObject* control);
    void DrawPage(QPainter& painter);
    QRect VisiblePage() const;
    void StartDrag(const QMouseEvent& event);
    void Drag(const QMouseEvent& event);
    void EndDrag();
    // The edge boxes from the Custom offsets, measured from the paper's edge.
    void ShowEdges();
    // The size row: the unit, the values and which controls show.
    void ShowSize();
    TSizeUnit SizeUnit() const;
    void SizeChanged(TSizeControl control);
    // Where the preview shows the picture, and for a poster its sheet grid
    // over it: the whole poster fitted to the page.
    TPlacement PreviewPlacement(const TPlacementRequest& request, bool& poster) const;
    void DrawPosterGrid(QPainter& painter, const TPlacement& at) const;
    // The part of the shown picture that prints (Fill cuts its edges).
    const QImage* PreviewSource(const QImage& shown, bool& changed);

public:
    // An arrow key over the page: true when it moved the picture.
    bool MoveByKey(int key, Qt::KeyboardModifiers modifiers);

private:

    TPrintWorkspace& FWorkspace;
    QVBoxLayout* FLayout = nullptr;
    QScrollArea* FPreviewBox = nullptr;
    QWidget* FPageFrame = nullptr;
    QWidget* FPageShadow = nullptr;
    TPreviewPage* FPage = nullptr;
    QWidget* FSettingsBar = nullptr;
    TSettingsPanel* FPanel = nullptr;
    TPreviewCache FCache;
    QImage FCropped;       // the part of the shown picture Fill prints
    QRect FCroppedPart;
    qint64 FCroppedFrom = 0; // the cacheKey of the picture it was cut from
    bool FCacheStale = true;  // the picture's pixels changed since the copy was made
    bool FPaintFailed = false;
    bool FPanelOnTop = false;
    bool FDragging = false;
    Qt::MouseButton FDragButton = Qt::NoButton;
    QPoint FLastMouse;
};

} // namespace orvanto

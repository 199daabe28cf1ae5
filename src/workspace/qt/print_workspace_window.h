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
// The window implements IWorkspaceView: the workspace asks it to place the
// page, repaint, and show the settings; the window hands the user's input
// (list choices, zoom bars, reset buttons, dragging the picture while the
// position is Custom) back to the workspace. All settings and state live in
// the workspace; the window keeps only what drawing needs (the scaled copy
// of the picture) and the drag in progress.
//
// Use from the main window:
//   TPrintWorkspace workspace;                  // outlives the window
//   auto* window = new TPrintWorkspaceWindow(workspace, centralArea);
//   layout->addWidget(window); window->show(); workspace.Refresh();
//   ... window->ChooseBackground();             // the "background colour" command
//   ... window->Detach(); delete window;        // at shutdown, before the workspace
// Settings that the main window stores (preview size, settings bar on top,
// background colour) are read and set on the workspace, which reaches the
// window through the view interface.
//
// Painting never reports an error to the user: a page that cannot be drawn
// (its scaled copy refused for memory) turns the Scale and zoom labels red
// until a later paint succeeds.

#include "workspace/qt/preview_cache.h"
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

    // IWorkspaceView.
    void PlacePreview() override;
    void UpdatePanel() override;
    void SyncPanel() override;
    void RepaintPreview() override;
    void PageColourChanged() override;
    void SetPageCursor(bool hand) override;
    void SetPanelOnTop(bool onTop) override;
    bool PanelOnTop() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildPreviewBox();
    void BuildSettingsBar();
    void PanelChanged(TPanelControl control);
    void ControlResized(QObject* control);
    void DrawPage(QPainter& painter);
    QRect VisiblePage() const;
    void StartDrag(const QMouseEvent& event);
    void Drag(const QMouseEvent& event);
    void EndDrag();

    TPrintWorkspace& FWorkspace;
    QVBoxLayout* FLayout = nullptr;
    QScrollArea* FPreviewBox = nullptr;
    QWidget* FPageFrame = nullptr;
    QWidget* FPageShadow = nullptr;
    TPreviewPage* FPage = nullptr;
    QWidget* FSettingsBar = nullptr;
    TSettingsPanel* FPanel = nullptr;
    TPreviewCache FCache;
    bool FPanelOnTop = false;
    int FSyncDepth = 0;
    bool FDragging = false;
    Qt::MouseButton FDragButton = Qt::NoButton;
    QPoint FLastMouse;
};

} // namespace orvanto

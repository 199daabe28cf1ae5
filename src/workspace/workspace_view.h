#pragma once

// What the print workspace asks of its window. The core owns the picture,
// the settings and every command; the window (preview box, page, settings
// bar) draws them and forwards the user's input. Without a window
// (unattended printing, tests) the core runs alone and these steps are
// simply not taken.

namespace orvanto {

class TPrintWorkspace;

class IWorkspaceView {
public:
    virtual ~IWorkspaceView() = default;

    // Places the preview page for the current page aspect and preview size
    // (Overall or Close Up) and hands the geometry back through
    // TPrintWorkspace::SetPreviewGeometry. Called inside Relayout.
    virtual void PlacePreview() = 0;
    // Zoom labels, visibility of the zoom controls, settings-bar height and
    // the label colours (red while the last paint failed).
    virtual void UpdatePanel() = 0;
    // Sets the lists and zoom bars from the current settings.
    virtual void SyncPanel() = 0;
    // Asks for a repaint of the page; the preview cache is rebuilt when the
    // workspace reports it dirty.
    virtual void RepaintPreview() = 0;
    // The page's colour changed (background or a new picture): fill it anew.
    virtual void PageColourChanged() = 0;
    // The hand pointer over the page while the position is Custom.
    virtual void SetPageCursor(bool hand) = 0;
    // Settings bar at the top (true) or the bottom.
    virtual void SetPanelOnTop(bool onTop) = 0;
    virtual bool PanelOnTop() const = 0;
};

} // namespace orvanto

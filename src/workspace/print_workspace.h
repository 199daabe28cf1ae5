#pragma once

// The print workspace: one picture, its page settings, printing, edits with
// a one-step undo, titles and status texts, and the command line. It holds
// no widgets; its window implements IWorkspaceView and is attached with
// SetView. Every public operation catches its own failures: it stores the
// message of the step that can fail in LastError before the step and
// reports failure by its result.
//
// This header is the contract between the core, its window and the main
// window. Operations marked (view) reach the window when one is attached.

#include "workspace/page_layout.h"
#include "workspace/print_workspace_info.h"
#include "workspace/workspace_view.h"

#include <QImage>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvanto {

class TPrintWorkspace {
public:
    TPrintWorkspace();
    ~TPrintWorkspace();
    TPrintWorkspace(const TPrintWorkspace&) = delete;
    TPrintWorkspace& operator=(const TPrintWorkspace&) = delete;

    // Null detaches. The view must outlive its attachment.
    void SetView(IWorkspaceView* view);
    IWorkspaceView* View() const;

    const std::string& LastError() const;

    // --- Settings and layout ---
    // The settings a new workspace starts with (page colour included), and
    // no picture.
    void SetDefaults();
    TPrintWorkspaceInfo Info() const;            // a copy of the current settings
    void ApplyInfo(const TPrintWorkspaceInfo& info);
    void Relayout();
    // Printer resolution, screen density and page aspect from the devices;
    // the page cursor (view).
    void ReadDeviceMetrics();
    void Refresh();                              // page colour, Relayout, repaint, SyncPanel (view)
    void SetMemoryBudget(std::int64_t bytes);
    std::int32_t MemoryBudget() const;
    bool CanZoom() const;
    std::int32_t CurrentZoom() const;
    void ZoomCommand(int mode, std::int32_t percent);
    bool CanCenter() const;
    void CenterPicture();
    // Read-only access for the window: factors, device metrics, page aspect.
    const TPageLayout& Layout() const;
    // Called by the view from PlacePreview: the preview page (pageWidth x
    // pageHeight screen pixels) and its outer frame.
    void SetPreviewGeometry(int pageWidth, int pageHeight, int frameWidth, int frameHeight);
    bool PreviewCacheDirty() const;
    void SetPreviewCacheDirty(bool dirty);
    // The drag writes the Custom offsets directly: no ApplyInfo, no Changed.
    void MoveCustomOffset(std::int32_t dx, std::int32_t dy);

    // --- Window-side state kept by the core (stored by the main window) ---
    int PreviewSize() const;                     // 0 Overall, 1 Close Up
    void SetPreviewSize(int size);               // Clamp 0..1, Changed, Refresh
    bool PanelOnTop() const;
    void SetPanelOnTop(bool onTop);              // (view), then Changed
    std::uint32_t BkColor() const;               // Windows order: red in the low byte
    int UseBkColor() const;
    std::uint32_t EffectiveBackground() const;   // 0xFFFFFF unless UseBkColor is 1
    void SetBackground(std::uint32_t colour, int mode); // nothing when unchanged
    bool PaintFailed() const;
    void SetPaintFailed(bool failed);            // UpdatePanel (view) when it changes

    // --- The picture ---
    bool Empty() const;
    const QImage& Picture() const;               // 1 x 1 when Empty
    bool LoadFile(const std::string& fileName);
    void Clear();
    bool CopyToClipboard();
    bool PasteFromClipboard();
    bool Flip();
    bool Mirror();
    bool Invert();
    bool Rotate(int angle);
    bool Undo();
    std::string UndoCaption() const;
    bool CanFlip() const;
    bool CanMirror() const;
    bool CanInvert() const;
    bool CanRotate() const;
    bool CanCopy() const;
    bool CanPaste() const;
    bool CanUndo() const;

    // --- Printing ---
    bool Print();
    bool CanPrint();
    bool PrinterPresent();
    bool Printing() const;
    void SetCopies(int copies);
    int GetCopies();
    bool PrinterSetup();
    bool GetAutoPrint() const;
    void SetAutoPrint(bool on);
    bool GetAutoClose() const;
    void SetAutoClose(bool on);
    void Changed();
    void UpdateStatusInfo();
    void UpdateTitles();
    void ShowLastError();

    // The program's arguments after the executable's name, as the system
    // handed them over. True when nothing failed (an empty line included).
    bool ProcessCommandLine(const std::vector<std::string>& arguments);

    // Fired by Changed, and after the command-line print with its outcome.
    std::function<void(TPrintWorkspace&)> OnChange;
    std::function<void(TPrintWorkspace&, bool printed)> OnAutoPrinted;
    // Progress of long work (loading, printing), 0..100; may be unset.
    std::function<void(int percent)> OnProgress;

private:
    struct TState;
    TState* FState;

    TDeviceMetrics DeviceMetrics();
    void ForgetEdit();
    // One edit command by its undo name ("FLIP", "ROTATE", ...).
    bool RunEdit(const std::string& name, int parameter);
    // A new picture replaces the old one whole, or not at all.
    void TakePicture(QImage picture);
    // The attempts of one print job; budget ends as the last one used.
    bool PrintPage(std::int64_t& budget);
    QImage RenderPageBitmap(int width, int height);
    void Progress(int percent);
};

} // namespace orvanto

#pragma once

// The print workspace: one picture, its page settings, printing, edits with
// a one-step undo, titles and status texts, and the command line. It holds
// no widgets; its window implements IWorkspaceView and is attached with
// SetView. Every public operation catches its own failures: it stores the
// message of the step that can fail in LastError before the step and
// reports failure by its result.
//
// Every operation that changes what a window shows ends in one notice of
// what changed (TWorkspaceChange): to the attached view, then to OnChange.

#include "workspace/command_line.h"
#include "workspace/page_layout.h"
#include "workspace/print_workspace_info.h"
#include "workspace/workspace_view.h"

#include <QImage>
#include <QSize>

#include <memory>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvanto {

class TEarlyPreview;

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
    // New page geometry from the printer and the picture, then the notice.
    void Relayout();
    void Refresh();                              // Relayout, and the picture redrawn
    void SetMemoryBudget(std::int64_t bytes);
    std::int32_t MemoryBudget() const;
    bool CanZoom() const;
    std::int32_t CurrentZoom() const;
    // Mode 0 sets, mode 1 adds (saturating); under Custom to both ZoomX and
    // ZoomY, under Custom Fixed to ZoomXY. Nothing unless CanZoom.
    void ZoomCommand(int mode, std::int32_t percent);
    bool CanCenter() const;
    // Moves the Custom offsets to where Center would put the picture.
    void CenterPicture();
    // Read-only access for the window: factors, device metrics, page aspect.
    const TPageLayout& Layout() const;
    // Handed over by the window whenever it places the preview: the preview
    // page (pageWidth x pageHeight screen pixels) and its outer frame. Only
    // stored; no notice follows.
    void SetPreviewGeometry(int pageWidth, int pageHeight, int frameWidth, int frameHeight);
    // The drag writes the Custom offsets directly: no ApplyInfo, no notice.
    void MoveCustomOffset(std::int32_t dx, std::int32_t dy);

    // --- Shown by the window, stored by the main window ---
    int PreviewSize() const;                     // 0 Overall, 1 Close Up
    void SetPreviewSize(int size);               // Clamp 0..1
    std::uint32_t BkColor() const;               // Windows order: red in the low byte
    int UseBkColor() const;
    std::uint32_t EffectiveBackground() const;   // 0xFFFFFF unless UseBkColor is 1
    void SetBackground(std::uint32_t colour, int mode); // nothing when unchanged

    // --- The picture ---
    // The four edits; each is undone by one of them (see Undo).
    enum class TEdit { Flip, Mirror, Invert, Rotate };
    bool Empty() const;
    const QImage& Picture() const;               // 1 x 1 when Empty
    // With background loading on (the program's window turns it on), a
    // format that offers a quick reduced copy shows that copy at once and
    // decodes the whole picture in a worker thread; LoadFile then returns
    // true as soon as the copy is shown, and a failure of the full decode
    // is shown when it comes, with the old picture (or none) back. Every
    // operation that works on the pixels waits for the full picture first.
    void SetBackgroundLoading(bool on);
    // A quick copy already being read for the picture the program was
    // started with; the next background load takes it when it fits instead
    // of reading its own, and drops it otherwise.
    void SetEarlyPreview(std::unique_ptr<TEarlyPreview> early);
    bool LoadFile(const std::string& fileName);
    // True while a picture decodes in the background.
    bool Loading() const;
    // Waits for a background load, telling OnProgress how far it has come,
    // and takes its picture. False, with LastError, when it failed; true
    // when nothing was loading.
    bool FinishLoading();
    // The size the layout uses: the full size of a picture still loading.
    QSize PictureSize() const;
    // What the preview shows: the reduced copy while loading, else Picture.
    const QImage& ShownPicture() const;
    // The last loaded file ended before its picture did (the rest is white).
    bool LastLoadPartial() const;
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
    // The error box; after a failed load its second line names the file.
    void ShowLastError();

    // Opens the line's picture, takes its name for the titles and prints
    // when asked (the switch or a stored Auto Print), marking the settings
    // not to be saved. True when nothing failed before the print (an empty
    // line included); the print's own outcome goes to OnAutoPrinted.
    bool ProcessCommandLine(const TCommandLine& line);

    // The notice of what changed, after the view's; and the outcome of the
    // command-line print.
    std::function<void(TPrintWorkspace&, TWorkspaceChanges)> OnChange;
    std::function<void(TPrintWorkspace&, bool printed)> OnAutoPrinted;
    // Progress of long work (loading, printing), 0..100; may be unset.
    std::function<void(int percent)> OnProgress;

private:
    struct TState;
    TState* FState;

    // Asks the printer and the screen, once per relayout.
    TDeviceMetrics ReadDeviceMetrics();
    // The page geometry for the current printer, orientation and picture.
    void UpdatePageGeometry();
    // The derived texts of the record, then the view and OnChange.
    void Changed(TWorkspaceChanges changes);
    void UpdateStatusInfo();
    void UpdateTitles();
    void ForgetEdit();
    bool RunEdit(TEdit edit, int parameter);
    // A new picture replaces the old one whole, or not at all.
    void TakePicture(QImage picture);
    // The background path of LoadFile; false when it does not apply, else
    // loaded tells what LoadFile answers.
    bool StartLoading(const std::string& fileName, bool& loaded);
    // The smallest reduced copy that gives the preview all its pixels.
    QSize PreviewNeed(QSize fullSize) const;
    // Takes the finished background load; reportFailure shows its error.
    bool CompleteLoading(bool reportFailure);
    // Cancels a background load and forgets it; the old picture stays.
    void DropLoading();
    // The attempts of one print job; budget ends as the last one used.
    bool PrintPage(std::int64_t& budget);
    QImage RenderPageBitmap(int width, int height);
    void Progress(int percent);
};

} // namespace orvanto

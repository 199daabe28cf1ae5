#pragma once

// The print workspace: one picture, its print settings, printing, edits
// with a one-step undo, titles and status texts, and the command line. It
// holds no widgets; its window implements IWorkspaceView and is attached
// with SetView. It is a facade over parts with one job each: the picture
// (TWorkspacePicture), the settings and their placement on the page
// (TPageLayout, holding the TPrintWorkspaceInfo) and the print job
// (TPrintJob); callers read the parts and change them only through it.
// Every public operation catches its own failures: it stores the message of
// the step that can fail in LastError before the step and reports failure
// by its result.
//
// Every operation that changes what a window shows ends in one notice of
// what changed (TWorkspaceChange): to the attached view, then to OnChange.

#include "workspace/command_line.h"
#include "workspace/page_layout.h"
#include "workspace/print_workspace_info.h"
#include "workspace/workspace_picture.h"
#include "workspace/workspace_view.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace orvanto {

class TEarlyPreview;
class TPrintJob;

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
    // The error box; after a failed load its second line names the file.
    void ShowLastError();

    // --- Settings and layout ---
    // A copy of the current settings, the printer's copy count included.
    TPrintWorkspaceInfo Info() const;
    // Validates info and makes it the current settings: the layout, the
    // printer's copies, the page colour, the options, the preview size.
    void ApplyInfo(const TPrintWorkspaceInfo& info);
    // New page geometry from the printer and the picture, then the notice.
    void Relayout();
    void Refresh(); // Relayout, and the picture redrawn
    void SetMemoryBudget(std::int64_t bytes);
    // Sets or adds (saturating); under Custom to both ZoomX and ZoomY, under
    // Custom Fixed to ZoomXY. Nothing unless the layout's CanZoom.
    void ZoomCommand(TZoomMode mode, std::int32_t percent);
    // Moves the Custom offsets to where Center would put the picture.
    void CenterPicture();
    // The placement: factors, device metrics, page aspect, CanZoom, CanCenter.
    const TPageLayout& Layout() const;
    // Handed over by the window whenever it places the preview page (screen
    // pixels). Only stored; no notice follows.
    void SetPreviewGeometry(int pageWidth, int pageHeight);
    // The drag writes the Custom offsets directly: no ApplyInfo, no notice.
    void MoveCustomOffset(std::int32_t dx, std::int32_t dy);

    // --- The picture ---
    // Empty, the bitmap, what the preview shows, and what may be done to it.
    const TWorkspacePicture& Picture() const;
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
    // Waits for a background load, telling OnProgress how far it has come,
    // and takes its picture. False, with LastError, when it failed; true
    // when nothing was loading.
    bool FinishLoading();
    void Clear();
    bool CopyToClipboard();
    bool PasteFromClipboard();
    // The four edits; each is undone by one of them (see Undo).
    bool Flip();
    bool Mirror();
    bool Invert();
    bool Rotate(int angle);
    bool Undo();

    // --- Printing ---
    // Draws the page and hands it to the printer in a worker thread, and
    // returns once it is done; meanwhile OnPrintWait runs in this thread
    // and OnProgress follows the job. The job works on copies of the
    // picture and the settings taken at its start.
    bool Print();
    bool Printing() const;
    // Esc during a print: a page still being drawn is dropped at the next
    // block of rows and its job abandoned, so nothing of it prints; a job
    // the worker has just handed over is called back from the print system.
    // Nothing when no print is running.
    void CancelPrint();
    // The last Print was cancelled (LastError is then empty).
    bool PrintCancelled() const;
    bool PrinterSetup();
    // A printer is listed and one is current; else LastError says so.
    bool PrinterPresent();
    bool CanPrint();

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
    // Called again and again, in Print's thread, while the job's worker
    // draws and hands over the page; each call should return within some
    // tens of milliseconds. The window turns its event loop here, so it
    // repaints and takes Esc. Unset: Print just waits.
    std::function<void()> OnPrintWait;

private:
    struct TState;
    std::unique_ptr<TState> FState;

    // The settings a new workspace starts with (page colour included), and
    // no picture.
    void SetDefaults();
    int Copies() const;
    // Asks the printer and the screen, once per relayout.
    TDeviceMetrics ReadDeviceMetrics();
    // The page geometry for the current printer, orientation and picture.
    void UpdatePageGeometry();
    // The derived texts of the record, then the view and OnChange.
    void Changed(TWorkspaceChanges changes);
    void UpdateTexts();
    bool RunEdit(TEdit edit, int parameter);
    // The background path of LoadFile; false when it does not apply, else
    // loaded tells what LoadFile answers.
    bool StartLoading(const std::string& fileName, bool& loaded);
    // The smallest reduced copy that gives the preview all its pixels.
    QSize PreviewNeed(QSize fullSize) const;
    // Takes the finished background load; reportFailure shows its error.
    bool CompleteLoading(bool reportFailure);
    // Cancels a background load and forgets it; the old picture stays.
    void DropLoading();
    void Progress(int percent);
    // Runs the job in its worker until it ends, passing its progress on.
    bool RunJob(TPrintJob& job, std::int64_t& budget);
    void CancelHandedOverJob();
    // False when a poster of many sheets is not to be printed (LastError
    // says why, or is empty when the user said no).
    bool PosterAgreed();
    static constexpr std::size_t SheetsWithoutAsking = 100;
};

} // namespace orvanto

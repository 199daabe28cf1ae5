#pragma once

// The picture of the workspace: the 24-bit bitmap on the page, the four
// edits with their one-step undo, the clipboard, and the quick reduced copy
// shown while a picture decodes in the background. It sends no notices and
// never reports to the user: its callers (the workspace) do both. An edit
// that fails leaves the picture as it was and answers with its message.

#include <QImage>
#include <QSize>

#include <string>

namespace orvanto {

// The four edits; each is undone by one of them.
enum class TEdit { Flip, Mirror, Invert, Rotate };

class TWorkspacePicture {
public:
    TWorkspacePicture();

    bool Empty() const { return FEmpty; }
    const QImage& Bitmap() const { return FPicture; } // 1 x 1 when Empty
    // The size the layout uses: the full size of a picture still loading.
    QSize Size() const;
    // What the preview shows: the reduced copy while loading, else Bitmap.
    const QImage& Shown() const;
    // True while a picture decodes in the background.
    bool Loading() const { return FLoading; }
    // The last loaded file ended before its picture did (the rest is white).
    bool LastLoadPartial() const { return FPartial && !FEmpty; }

    bool CanFlip() const { return !FEmpty; }
    bool CanMirror() const { return !FEmpty; }
    bool CanInvert() const { return !FEmpty; }
    bool CanRotate() const { return !FEmpty; }
    bool CanCopy() const { return !FEmpty; }
    bool CanPaste() const; // the clipboard holds a bitmap
    bool CanUndo() const { return !FEmpty && FUndoAvailable; }
    std::string UndoCaption() const; // empty when nothing can be undone
    bool Allowed(TEdit edit) const;

    // A new picture replaces the old one whole; the edit is forgotten.
    void Take(QImage picture, bool partial);
    void Clear();
    void ForgetEdit() { FUndoAvailable = false; }
    // Runs the edit in place. False with error set when it failed; keepsSize
    // tells whether the picture kept its size (a repaint is then enough).
    bool Edit(TEdit edit, int parameter, std::string& error, bool& keepsSize);
    // The edit and parameter that undo the last one; false when there is none.
    bool UndoStep(TEdit& edit, int& parameter) const;

    // The background load, and the reduced copy shown meanwhile with the
    // full size the layout takes.
    void StartLoading() { FLoading = true; }
    void ShowQuickCopy(QSize fullSize, QImage copy);
    bool HasQuickCopy() const { return !FPendingPreview.isNull(); }
    void StopLoading();

private:
    QImage FPicture;
    bool FEmpty = true;
    bool FPartial = false;
    bool FUndoAvailable = false;
    TEdit FUndoEdit = TEdit::Flip;
    int FUndoParameter = 0;
    bool FLoading = false;
    QImage FPendingPreview;
    QSize FPendingSize;
};

} // namespace orvanto

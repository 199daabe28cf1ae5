#include "workspace/workspace_picture.h"

#include "platform/platform.h"
#include "raster/raster_transforms.h"

namespace orvanto {

namespace {

// Each edit with what undoes it and whether the picture keeps its size (a
// picture that keeps it needs only a repaint, one that does not a new page
// geometry).
struct TEditCommand {
    TEdit Edit;
    const char* Caption; // what Undo names
    bool (*Run)(TManipulationInfo& info, int parameter);
    bool (TWorkspacePicture::*Allowed)() const;
    TEdit Inverse;
    int (*InverseParameter)(int parameter);
    bool (*KeepsSize)(int parameter);
};

int NoParameter(int)
{
    return 0;
}

bool Always(int)
{
    return true;
}

const TEditCommand EditCommands[] = {
    {TEdit::Flip, "Flip", [](TManipulationInfo& info, int) { return FlipVertical(info); },
     &TWorkspacePicture::CanFlip, TEdit::Flip, NoParameter, Always},
    {TEdit::Mirror, "Mirror", [](TManipulationInfo& info, int) { return MirrorHorizontal(info); },
     &TWorkspacePicture::CanMirror, TEdit::Mirror, NoParameter, Always},
    {TEdit::Invert, "Invert", [](TManipulationInfo& info, int) { return InvertColors(info); },
     &TWorkspacePicture::CanInvert, TEdit::Invert, NoParameter, Always},
    // A turn is undone by the opposite turn; a half turn keeps the size,
    // every other turn swaps the sides.
    {TEdit::Rotate, "Rotate", [](TManipulationInfo& info, int angle) { return RotateBy(info, angle); },
     &TWorkspacePicture::CanRotate, TEdit::Rotate, [](int angle) { return -angle; },
     [](int angle) { return angle == 180 || angle == -180; }},
};

const TEditCommand& Command(TEdit edit)
{
    for (const TEditCommand& command : EditCommands)
        if (command.Edit == edit)
            return command;
    return EditCommands[0];
}

QImage Blank()
{
    QImage blank(1, 1, QImage::Format_BGR888);
    blank.fill(Qt::white);
    return blank;
}

} // namespace

TWorkspacePicture::TWorkspacePicture() : FPicture(Blank())
{
}

QSize TWorkspacePicture::Size() const
{
    return FPendingPreview.isNull() ? FPicture.size() : FPendingSize;
}

const QImage& TWorkspacePicture::Shown() const
{
    return FPendingPreview.isNull() ? FPicture : FPendingPreview;
}

bool TWorkspacePicture::CanPaste() const
{
    try {
        return Platform().Clipboard().HasBitmap();
    } catch (...) {
        return false; // a clipboard that cannot be asked has nothing to paste
    }
}

std::string TWorkspacePicture::UndoCaption() const
{
    return CanUndo() ? Command(FUndoEdit).Caption : std::string();
}

bool TWorkspacePicture::Allowed(TEdit edit) const
{
    return (this->*Command(edit).Allowed)();
}

void TWorkspacePicture::Take(QImage picture, bool partial)
{
    FPicture = std::move(picture);
    FEmpty = false;
    FPartial = partial;
}

void TWorkspacePicture::Clear()
{
    FEmpty = true;
    FPicture = Blank();
}

bool TWorkspacePicture::Edit(TEdit edit, int parameter, std::string& error, bool& keepsSize)
{
    const TEditCommand& command = Command(edit);
    keepsSize = command.KeepsSize(parameter);
    TManipulationInfo info;
    info.Bitmap = &FPicture;
    info.Rect = PictureRect(&FPicture);
    info.Exclusive = true;
    if (!command.Run(info, parameter)) {
        error = info.ErrorText;
        return false;
    }
    FUndoEdit = edit;
    FUndoParameter = parameter;
    FUndoAvailable = true;
    return true;
}

bool TWorkspacePicture::UndoStep(TEdit& edit, int& parameter) const
{
    if (!CanUndo())
        return false;
    const TEditCommand& command = Command(FUndoEdit);
    edit = command.Inverse;
    parameter = command.InverseParameter(FUndoParameter);
    return true;
}

void TWorkspacePicture::ShowQuickCopy(QSize fullSize, QImage copy)
{
    FPendingSize = fullSize;
    FPendingPreview = std::move(copy);
}

void TWorkspacePicture::StopLoading()
{
    FLoading = false;
    FPendingPreview = QImage();
    FPendingSize = QSize();
}

} // namespace orvanto

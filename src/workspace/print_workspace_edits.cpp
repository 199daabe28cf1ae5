// The picture of the print workspace: loading, the clipboard, the four edit
// commands and their one-step undo.
#include "workspace/print_workspace.h"

#include "imaging/open_image.h"
#include "platform/platform.h"
#include "raster/raster_transforms.h"
#include "support/files/file_listing.h"
#include "support/messages/general.h"
#include "support/messages/messages.h"
#include "support/text/text_conversion.h"
#include "workspace/print_workspace_state.h"

#include <QGuiApplication>

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>

namespace orvanto {

namespace {

constexpr std::int64_t White = 0xFFFFFF;

using TEdit = TPrintWorkspace::TEdit;

// Each edit with what undoes it and whether the picture keeps its size (a
// picture that keeps it needs only a repaint, one that does not a new page
// geometry).
struct TEditCommand {
    TEdit Edit;
    const char* Caption; // what Undo names
    bool (*Run)(TManipulationInfo& info, int parameter);
    bool (TPrintWorkspace::*Allowed)() const;
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
     &TPrintWorkspace::CanFlip, TEdit::Flip, NoParameter, Always},
    {TEdit::Mirror, "Mirror", [](TManipulationInfo& info, int) { return MirrorHorizontal(info); },
     &TPrintWorkspace::CanMirror, TEdit::Mirror, NoParameter, Always},
    {TEdit::Invert, "Invert", [](TManipulationInfo& info, int) { return InvertColors(info); },
     &TPrintWorkspace::CanInvert, TEdit::Invert, NoParameter, Always},
    // A turn is undone by the opposite turn; a half turn keeps the size,
    // every other turn swaps the sides.
    {TEdit::Rotate, "Rotate", [](TManipulationInfo& info, int angle) { return RotateBy(info, angle); },
     &TPrintWorkspace::CanRotate, TEdit::Rotate, [](int angle) { return -angle; },
     [](int angle) { return angle == 180 || angle == -180; }},
};

const TEditCommand& Command(TEdit edit)
{
    for (const TEditCommand& command : EditCommands)
        if (command.Edit == edit)
            return command;
    return EditCommands[0];
}

} // namespace

bool TPrintWorkspace::Empty() const
{
    return FState->Empty;
}

const QImage& TPrintWorkspace::Picture() const
{
    return FState->Picture;
}

void TPrintWorkspace::TakePicture(QImage picture)
{
    FState->Picture = std::move(picture);
    FState->Empty = false;
    FState->PartialLoad = false;
}

void TPrintWorkspace::ForgetEdit()
{
    FState->UndoAvailable = false;
}

void TPrintWorkspace::SetBackgroundLoading(bool on)
{
    FState->BackgroundLoading = on;
}

bool TPrintWorkspace::Loading() const
{
    return FState->LoadPending;
}

QSize TPrintWorkspace::PictureSize() const
{
    return FState->PendingPreview.isNull() ? FState->Picture.size() : FState->PendingSize;
}

const QImage& TPrintWorkspace::ShownPicture() const
{
    return FState->PendingPreview.isNull() ? FState->Picture : FState->PendingPreview;
}

QSize TPrintWorkspace::PreviewNeed(QSize fullSize) const
{
    // The copy is drawn in device pixels, as the window paints.
    qreal ratio = 1;
    if (const auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        ratio = application->devicePixelRatio();
    TPrintWorkspaceInfo info = Info();
    info.FactorX = FState->Layout.PreviewFactorX() * ratio;
    info.FactorY = FState->Layout.PreviewFactorY() * ratio;
    info.PictureWidth = fullSize.width();
    info.PictureHeight = fullSize.height();
    FState->Layout.Layout(info, int(info.PageWidth * info.FactorX), int(info.PageHeight * info.FactorY));
    const auto side = [](std::int64_t v) { return int(std::clamp<std::int64_t>(v, 1, 1 << 30)); };
    return QSize(side(info.OutWidth), side(info.OutHeight));
}

bool TPrintWorkspace::StartLoading(const std::string& fileName, bool& loaded)
{
    if (!FState->BackgroundLoading || !FState->View)
        return false;
    const TOpenImage* registry = OpenImage();
    if (!registry)
        return false;
    // The worker touches nothing of ours: it gets the file name and the
    // registry, whose table no longer changes, and hands back a picture.
    // Whether the file ended early; written by the worker before it reports
    // done, read here only after the loader has handed the picture over.
    auto partial = std::make_shared<std::atomic<bool>>(false);
    FState->PendingPartial = partial;
    auto decode = [registry, fileName, partial](QImage& picture, std::string& error,
                                                const TLoadProgress& progress) {
        TImageInfoRec request;
        request.FileName = fileName;
        request.BackgroundColor = White;
        request.Bitmap = &picture;
        request.OnProgress = progress;
        if (!registry->Open(request)) {
            error = request.ErrorText.empty() ? Messages::UnknownFormat : request.ErrorText;
            return false;
        }
        partial->store(request.Partial);
        error = Messages::OutOfMemory;
        if (picture.format() != QImage::Format_BGR888)
            picture = picture.convertToFormat(QImage::Format_BGR888);
        return !picture.isNull();
    };
    const std::uint64_t generation = ++FState->LoadGeneration;
    QObject* wakeup = FState->Wakeup.get();
    auto finished = [this, wakeup, generation] {
        QMetaObject::invokeMethod(
            wakeup,
            [this, generation] {
                if (FState->LoadPending && FState->LoadGeneration == generation)
                    CompleteLoading(true);
            },
            Qt::QueuedConnection);
    };
    // The whole picture starts decoding first; the quick copy is read beside
    // it, so the whole picture comes no later than without the copy.
    if (!FState->Loader.Start(decode, finished))
        return false;
    FState->LoadPending = true;
    QImage preview;
    QSize fullSize;
    if (registry->OpenPreview(fileName, [this](QSize full) { return PreviewNeed(full); }, preview, fullSize)
        && !preview.isNull() && !fullSize.isEmpty()) {
        if (preview.format() != QImage::Format_BGR888)
            preview = preview.convertToFormat(QImage::Format_BGR888);
        FState->PendingSize = fullSize;
        FState->PendingPreview = std::move(preview);
    }
    if (FState->PendingPreview.isNull()) {
        // Nothing to show meanwhile: wait, as a load always did.
        loaded = FinishLoading();
        return true;
    }
    loaded = true;
    Refresh();
    return true;
}

void TPrintWorkspace::DropLoading()
{
    if (!FState->LoadPending)
        return;
    FState->Loader.Cancel();
    FState->Loader.Take();
    FState->LoadPending = false;
    FState->PendingPreview = QImage();
    FState->PendingSize = QSize();
    ++FState->LoadGeneration;
}

bool TPrintWorkspace::FinishLoading()
{
    if (!FState->LoadPending)
        return true;
    int shown = -1;
    while (!FState->Loader.WaitFor(40)) {
        const int percent = FState->Loader.Percent();
        if (percent != shown)
            Progress(shown = percent);
    }
    return CompleteLoading(false);
}

bool TPrintWorkspace::CompleteLoading(bool reportFailure)
{
    if (!FState->LoadPending)
        return true;
    TPictureLoader::TResult result = FState->Loader.Take();
    FState->LoadPending = false;
    FState->PendingPreview = QImage();
    FState->PendingSize = QSize();
    ++FState->LoadGeneration;
    if (result.Fatal)
        General()->FatalOutOfMemory();
    const bool loaded = result.Loaded && !result.Picture.isNull();
    if (loaded) {
        TakePicture(std::move(result.Picture));
        FState->PartialLoad = FState->PendingPartial && FState->PendingPartial->load();
    } else {
        FState->LastError = result.Error.empty() ? Messages::UnknownFormat : result.Error;
    }
    FState->PendingPartial.reset();
    Refresh();
    ForgetEdit();
    if (!loaded && reportFailure)
        ShowLastError();
    return loaded;
}

bool TPrintWorkspace::LoadFile(const std::string& fileName)
{
    FState->ErrorFileName = fileName;
    FState->LastError = Messages::FileNotFound;
    if (!IsFile(fileName))
        return false;
    // A load still running is overtaken by this one.
    DropLoading();
    try {
        bool loaded = false;
        if (StartLoading(fileName, loaded))
            return loaded;
    } catch (...) {
    }
    bool loaded = false;
    try {
        FState->LastError = Messages::UnknownFormat;
        // The registry empties its target before it decodes; decoding into a
        // picture of our own keeps the one on the page until the new one is
        // complete.
        QImage picture;
        TImageInfoRec request;
        request.FileName = fileName;
        request.BackgroundColor = White;
        request.Bitmap = &picture;
        request.OnProgress = [this](int percent) { Progress(percent); };
        const TOpenImage* registry = OpenImage();
        if (!registry) {
            FState->LastError = Messages::OutOfMemory;
        } else if (registry->Open(request)) {
            FState->LastError = Messages::OutOfMemory;
            if (picture.format() != QImage::Format_BGR888)
                picture = picture.convertToFormat(QImage::Format_BGR888);
            if (!picture.isNull()) {
                TakePicture(std::move(picture));
                FState->PartialLoad = request.Partial;
                FState->ErrorFileName.clear();
                loaded = true;
            }
        } else {
            FState->LastError = request.ErrorText.empty() ? Messages::UnknownFormat : request.ErrorText;
        }
    } catch (...) {
        loaded = false;
    }
    Refresh();
    ForgetEdit();
    return loaded;
}

bool TPrintWorkspace::LastLoadPartial() const
{
    return FState->PartialLoad && !FState->Empty;
}

void TPrintWorkspace::Clear()
{
    DropLoading();
    FState->Empty = true;
    try {
        QImage blank(1, 1, QImage::Format_BGR888);
        blank.fill(Qt::white);
        FState->Picture = std::move(blank);
    } catch (...) {
    }
    Refresh();
}

bool TPrintWorkspace::CopyToClipboard()
{
    if (!FinishLoading())
        return false;
    FState->LastError = Messages::TaskFailed;
    if (!CanCopy())
        return false;
    try {
        return Platform().Clipboard().SetBitmap(FState->Picture);
    } catch (...) {
        return false;
    }
}

bool TPrintWorkspace::PasteFromClipboard()
{
    if (!FinishLoading())
        return false;
    FState->LastError = Messages::TaskFailed;
    if (!CanPaste())
        return false;
    bool pasted = false;
    try {
        // What cannot be taken or converted leaves the old picture in place.
        QImage picture = PictureOverWhite(Platform().Clipboard().Bitmap());
        if (!picture.isNull()) {
            TakePicture(std::move(picture));
            pasted = true;
        }
    } catch (...) {
        pasted = false;
    }
    Refresh();
    ForgetEdit();
    return pasted;
}

bool TPrintWorkspace::RunEdit(TEdit edit, int parameter)
{
    if (!FinishLoading())
        return false;
    FState->LastError = Messages::UnexpectedError;
    const TEditCommand& command = Command(edit);
    if (!(this->*command.Allowed)())
        return false;
    bool done = false;
    bool repaint = true;
    try {
        TManipulationInfo info;
        info.Bitmap = &FState->Picture;
        info.Rect = PictureRect(&FState->Picture);
        info.Exclusive = true;
        if (command.Run(info, parameter)) {
            FState->UndoEdit = edit;
            FState->UndoParameter = parameter;
            FState->UndoAvailable = true;
            done = true;
        } else {
            FState->LastError = info.ErrorText;
            repaint = false;
        }
    } catch (...) {
        done = false;
    }
    if (!repaint)
        return false;
    if (command.KeepsSize(parameter)) {
        Changed(wcPicture);
    } else {
        Refresh();
    }
    return done;
}

bool TPrintWorkspace::Flip()
{
    return RunEdit(TEdit::Flip, 0);
}

bool TPrintWorkspace::Mirror()
{
    return RunEdit(TEdit::Mirror, 0);
}

bool TPrintWorkspace::Invert()
{
    return RunEdit(TEdit::Invert, 0);
}

bool TPrintWorkspace::Rotate(int angle)
{
    return RunEdit(TEdit::Rotate, angle);
}

bool TPrintWorkspace::Undo()
{
    if (!FinishLoading())
        return false;
    FState->LastError = Messages::OutOfMemory;
    if (!CanUndo())
        return true;
    const TEditCommand& command = Command(FState->UndoEdit);
    // Replaying the inverse records it as the last edit, so a second Undo
    // redoes the edit.
    return RunEdit(command.Inverse, command.InverseParameter(FState->UndoParameter));
}

std::string TPrintWorkspace::UndoCaption() const
{
    return CanUndo() ? Command(FState->UndoEdit).Caption : std::string();
}

bool TPrintWorkspace::CanFlip() const
{
    return !FState->Empty;
}

bool TPrintWorkspace::CanMirror() const
{
    return !FState->Empty;
}

bool TPrintWorkspace::CanInvert() const
{
    return !FState->Empty;
}

bool TPrintWorkspace::CanRotate() const
{
    return !FState->Empty;
}

bool TPrintWorkspace::CanCopy() const
{
    return !FState->Empty;
}

bool TPrintWorkspace::CanPaste() const
{
    try {
        return Platform().Clipboard().HasBitmap();
    } catch (...) {
        return false;
    }
}

bool TPrintWorkspace::CanUndo() const
{
    return !FState->Empty && FState->UndoAvailable;
}

} // namespace orvanto

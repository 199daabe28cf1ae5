// The picture of the print workspace: loading, the clipboard, the four edit
#include "support/messages.h"
// commands and their one-step undo.
#include "workspace/print_workspace.h"

#include "imaging/open_image.h"
#include "platform/platform.h"
#include "raster/raster_transforms.h"
#include "support/string_helpers.h"
#include "support/general.h"
#include "workspace/print_workspace_state.h"

#include <QGuiApplication>

#include <algorithm>
#include <new>

namespace orvanto {

namespace {

constexpr std::int64_t White = 0xFFFFFF;

struct TEditCommand {
    const char* Name;
    bool (*Run)(TManipulationInfo& info, int parameter);
    bool (TPrintWorkspace::*Allowed)() const;
};

const TEditCommand EditCommands[] = {
    {"FLIP", [](TManipulationInfo& info, int) { return FlipVertical(info); },
     &TPrintWorkspace::CanFlip},
    {"MIRROR", [](TManipulationInfo& info, int) { return MirrorHorizontal(info); },
     &TPrintWorkspace::CanMirror},
    {"INVERT", [](TManipulationInfo& info, int) { return InvertColors(info); },
     &TPrintWorkspace::CanInvert},
    {"ROTATE", [](TManipulationInfo& info, int angle) { return RotateBy(info, angle); },
     &TPrintWorkspace::CanRotate},
};

const TEditCommand* FindEdit(const std::string& name)
{
    const std::string upper = UpperAscii(name);
    for (const TEditCommand& command : EditCommands)
        if (upper == command.Name)
            return &command;
    return nullptr;
}

// A half turn keeps the picture's size; every other turn swaps its sides.
bool KeepsSize(const std::string& name, int parameter)
{
    return name != "ROTATE" || parameter == 180 || parameter == -180;
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
    auto decode = [registry, fileName](QImage& picture, std::string& error, const TLoadProgress& progress) {
        TImageInfoRec request;
        request.FileName = fileName;
        request.BackgroundColor = White;
        request.Bitmap = &picture;
        request.OnProgress = progress;
        if (!registry->Open(request)) {
            error = request.ErrorText.empty() ? Messages::UnknownFormat : request.ErrorText;
            return false;
        }
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
    if (loaded)
        TakePicture(std::move(result.Picture));
    else
        FState->LastError = result.Error.empty() ? Messages::UnknownFormat : result.Error;
    Refresh();
    ForgetEdit();
    if (!loaded && reportFailure)
        ShowLastError();
    return loaded;
}

bool TPrintWorkspace::LoadFile(const std::string& fileName)
{
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

bool TPrintWorkspace::RunEdit(const std::string& name, int parameter)
{
    if (!FinishLoading())
        return false;
    FState->LastError = Messages::UnexpectedError;
    const TEditCommand* command = FindEdit(name);
    if (!command || !(this->*command->Allowed)())
        return false;
    bool done = false;
    bool repaint = true;
    try {
        TManipulationInfo info;
        info.Bitmap = &FState->Picture;
        info.Rect = PictureRect(&FState->Picture);
        info.Exclusive = true;
        if (command->Run(info, parameter)) {
            FState->UndoCommand = command->Name;
            FState->UndoParameter = std::string(command->Name) == "ROTATE" ? parameter : 0;
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
    if (KeepsSize(command->Name, parameter)) {
        Changed(wcPicture);
    } else {
        Refresh();
    }
    return done;
}

bool TPrintWorkspace::Flip()
{
    return RunEdit("FLIP", 0);
}

bool TPrintWorkspace::Mirror()
{
    return RunEdit("MIRROR", 0);
}

bool TPrintWorkspace::Invert()
{
    return RunEdit("INVERT", 0);
}

bool TPrintWorkspace::Rotate(int angle)
{
    return RunEdit("ROTATE", angle);
}

bool TPrintWorkspace::Undo()
{
    if (!FinishLoading())
        return false;
    FState->LastError = Messages::OutOfMemory;
    if (!CanUndo())
        return true;
    const TEditCommand* command = FindEdit(FState->UndoCommand);
    if (!command)
        return true;
    const bool rotation = std::string(command->Name) == "ROTATE";
    // Replaying the inverse records it as the last edit, so a second Undo
    // redoes the edit.
    return RunEdit(command->Name, rotation ? -FState->UndoParameter : 0);
}

std::string TPrintWorkspace::UndoCaption() const
{
    if (!CanUndo() || FState->UndoCommand.empty())
        return std::string();
    std::string caption = FState->UndoCommand;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        char& c = caption[i];
        if (i == 0 && c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        else if (i > 0 && c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return caption;
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

// The picture side of the print workspace: loading (in the background when
// asked), the clipboard, and the edits run on its picture part.
#include "workspace/print_workspace.h"

#include "imaging/open_image.h"
#include "platform/platform.h"
#include "support/diagnostics/startup_timeline.h"
#include "support/files/file_listing.h"
#include "support/messages/general.h"
#include "support/messages/messages.h"
#include "support/text/text_conversion.h"
#include "workspace/print_workspace_state.h"

#include <QGuiApplication>

#include <algorithm>
#include <atomic>
#include <memory>

namespace orvanto {

namespace {

constexpr std::int64_t White = 0xFFFFFF;

} // namespace

const TWorkspacePicture& TPrintWorkspace::Picture() const
{
    return FState->Picture;
}

void TPrintWorkspace::SetBackgroundLoading(bool on)
{
    FState->BackgroundLoading = on;
}

void TPrintWorkspace::SetEarlyPreview(std::unique_ptr<TEarlyPreview> early)
{
    FState->EarlyPreview = std::move(early);
}

QSize TPrintWorkspace::PreviewNeed(QSize fullSize) const
{
    // The copy is drawn in device pixels, as the window paints.
    qreal ratio = 1;
    if (const auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        ratio = application->devicePixelRatio();
    const TPageLayout& layout = FState->Layout;
    TPlacementRequest request;
    request.FactorX = layout.PreviewFactorX() * ratio;
    request.FactorY = layout.PreviewFactorY() * ratio;
    request.PictureWidth = fullSize.width();
    request.PictureHeight = fullSize.height();
    request.SurfaceWidth = int(layout.Info().Geometry.PageWidth * request.FactorX);
    request.SurfaceHeight = int(layout.Info().Geometry.PageHeight * request.FactorY);
    const TPlacement at = layout.Place(request);
    const auto side = [](std::int64_t v) { return int(std::clamp<std::int64_t>(v, 1, 1 << 30)); };
    return QSize(side(at.Width), side(at.Height));
}

namespace {

// The copy read while the window was built, when it is for this file from
// the reader the registry would use and gives the preview all its pixels.
// Taken once: a later load reads its own.
bool TakeEarlyPreview(std::unique_ptr<TEarlyPreview>& early, const TOpenImage& registry,
                      const std::string& fileName, const TPreviewNeed& need, QImage& preview, QSize& fullSize)
{
    if (!early)
        return false;
    const int index = registry.Formats().FindByFileName(fileName);
    const TGraphicClass* graphicClass =
        registry.Formats().IsValidIndex(index) ? registry.Formats().Item(index).GraphicClass : nullptr;
    MarkStartup("waiting for the quick copy");
    TEarlyPreview::TCopy copy = early->Take(fileName, graphicClass);
    MarkStartup("quick copy taken");
    early.reset();
    if (copy.Preview.isNull())
        return false;
    // The reader was asked for at least this much, or its copy has it anyway.
    const QSize wanted = need(copy.FullSize);
    const auto reaches = [&wanted](QSize size) {
        return size.width() >= wanted.width() && size.height() >= wanted.height();
    };
    if (!reaches(copy.Asked) && !reaches(copy.Preview.size()))
        return false;
    preview = std::move(copy.Preview);
    fullSize = copy.FullSize;
    return true;
}

} // namespace

bool TPrintWorkspace::StartLoading(const std::string& fileName, bool& loaded)
{
    if (!FState->BackgroundLoading || !FState->View)
        return false;
    const TOpenImage* registry = OpenImage();
    if (!registry)
        return false;
    // The worker is handed all it needs here, in the window's thread: the
    // file name, the registry (its table no longer changes) and the screen's
    // density for metafiles; it touches no window or screen state and hands
    // back a picture (picture_loader.h).
    const int screenDensity = Platform().Screen().PixelsPerInch();
    // Whether the file ended early; written by the worker before it reports
    // done, read here only after the loader has handed the picture over.
    auto partial = std::make_shared<std::atomic<bool>>(false);
    FState->PendingPartial = partial;
    auto decode = [registry, fileName, partial, screenDensity](QImage& picture, std::string& error,
                                                               const TLoadProgress& progress) {
        TImageInfoRec request;
        request.FileName = fileName;
        request.BackgroundColor = White;
        request.Bitmap = &picture;
        request.OnProgress = progress;
        request.ScreenPixelsPerInch = screenDensity;
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
                if (FState->Picture.Loading() && FState->LoadGeneration == generation)
                    CompleteLoading(true);
            },
            Qt::QueuedConnection);
    };
    // The whole picture starts decoding first; the quick copy is read beside
    // it, so the whole picture comes no later than without the copy.
    if (!FState->Loader.Start(decode, finished))
        return false;
    FState->Picture.StartLoading();
    QImage preview;
    QSize fullSize;
    const TPreviewNeed need = [this](QSize full) { return PreviewNeed(full); };
    if ((TakeEarlyPreview(FState->EarlyPreview, *registry, fileName, need, preview, fullSize)
         || registry->OpenPreview(fileName, need, preview, fullSize))
        && !preview.isNull() && !fullSize.isEmpty()) {
        if (preview.format() != QImage::Format_BGR888)
            preview = preview.convertToFormat(QImage::Format_BGR888);
        FState->Picture.ShowQuickCopy(fullSize, std::move(preview));
        MarkStartup("quick copy handed to the view");
    }
    if (!FState->Picture.HasQuickCopy()) {
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
    if (!FState->Picture.Loading())
        return;
    FState->Loader.Cancel();
    FState->Loader.Take();
    FState->Picture.StopLoading();
    ++FState->LoadGeneration;
}

bool TPrintWorkspace::FinishLoading()
{
    if (!FState->Picture.Loading())
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
    if (!FState->Picture.Loading())
        return true;
    TPictureLoader::TResult result = FState->Loader.Take();
    FState->Picture.StopLoading();
    ++FState->LoadGeneration;
    const bool loaded = result.Loaded && !result.Picture.isNull();
    if (loaded) {
        FState->Picture.Take(std::move(result.Picture), FState->PendingPartial && FState->PendingPartial->load());
        // The load is done: a later failure (a Paste, a refused print) is
        // not about this file.
        FState->ErrorFileName = std::string();
    } else {
        FState->LastError = result.Error.empty() ? Messages::UnknownFormat : result.Error;
    }
    FState->PendingPartial.reset();
    Refresh();
    FState->Picture.ForgetEdit();
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
        // No worker could be set up: the picture loads here instead, below.
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
                FState->Picture.Take(std::move(picture), request.Partial);
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
    FState->Picture.ForgetEdit();
    return loaded;
}

void TPrintWorkspace::Clear()
{
    DropLoading();
    try {
        FState->Picture.Clear();
    } catch (...) {
        // Without memory for the blank the old pixels stay, marked empty.
    }
    Refresh();
}

bool TPrintWorkspace::CopyToClipboard()
{
    if (!FinishLoading())
        return false;
    FState->LastError = Messages::TaskFailed;
    if (!FState->Picture.CanCopy())
        return false;
    try {
        return Platform().Clipboard().SetBitmap(FState->Picture.Bitmap());
    } catch (...) {
        return false;
    }
}

bool TPrintWorkspace::PasteFromClipboard()
{
    if (!FinishLoading())
        return false;
    FState->LastError = Messages::TaskFailed;
    if (!FState->Picture.CanPaste())
        return false;
    bool pasted = false;
    try {
        // What cannot be taken or converted leaves the old picture in place.
        QImage picture = PictureOverWhite(Platform().Clipboard().Bitmap());
        if (!picture.isNull()) {
            FState->Picture.Take(std::move(picture), false);
            pasted = true;
        }
    } catch (...) {
        pasted = false;
    }
    Refresh();
    FState->Picture.ForgetEdit();
    return pasted;
}

bool TPrintWorkspace::RunEdit(TEdit edit, int parameter)
{
    if (!FinishLoading())
        return false;
    FState->LastError = Messages::UnexpectedError;
    if (!FState->Picture.Allowed(edit))
        return false;
    bool done = false;
    bool keepsSize = false;
    try {
        done = FState->Picture.Edit(edit, parameter, FState->LastError, keepsSize);
        if (!done)
            return false; // the picture is as it was: nothing to repaint
    } catch (...) {
        done = false;
    }
    if (keepsSize) {
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
    TEdit edit = TEdit::Flip;
    int parameter = 0;
    if (!FState->Picture.UndoStep(edit, parameter))
        return true;
    // Replaying the inverse records it as the last edit, so a second Undo
    // redoes the edit.
    return RunEdit(edit, parameter);
}

} // namespace orvanto

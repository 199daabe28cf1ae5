// The picture of the print workspace: loading, the clipboard, the four edit
#include "support/messages.h"
// commands and their one-step undo.
#include "workspace/print_workspace.h"

#include "imaging/open_image.h"
#include "platform/platform.h"
#include "raster/raster_transforms.h"
#include "support/string_helpers.h"
#include "workspace/print_workspace_state.h"

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
    FState->PartialLoad = false;
}

void TPrintWorkspace::ForgetEdit()
{
    FState->UndoAvailable = false;
}

bool TPrintWorkspace::LoadFile(const std::string& fileName)
{
    FState->ErrorFileName = fileName;
    FState->LastError = Messages::FileNotFound;
    if (!IsFile(fileName))
        return false;
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

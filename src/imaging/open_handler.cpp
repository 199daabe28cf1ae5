#include "imaging/open_handler.h"

#include "imaging/open_image.h"
#include "platform/platform.h"
#include "support/messages/messages.h"
#include "support/files/paths.h"
#include "support/services.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <memory>

namespace orvanto {

namespace {

std::string FolderPart(const std::string& fileName)
{
    const auto slash = fileName.rfind('/');
    return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

std::string NamePart(const std::string& fileName)
{
    const auto slash = fileName.rfind('/');
    return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

bool IsPreviewKind(TFileDialogKind kind)
{
    return kind == TFileDialogKind::OpenWithPreview || kind == TFileDialogKind::SaveWithPreview;
}

bool IsSaveKind(TFileDialogKind kind)
{
    return kind == TFileDialogKind::Save || kind == TFileDialogKind::SaveWithPreview;
}

TFileDialogKind PlainKind(TFileDialogKind kind)
{
    return IsSaveKind(kind) ? TFileDialogKind::Save : TFileDialogKind::Open;
}

bool RenderPreview(const std::string& fileName, QImage& picture, std::string& error)
{
    TOpenImage* registry = OpenImage();
    if (!registry) {
        error = Messages::OutOfMemory;
        return false;
    }
    TImageInfoRec request;
    request.FileName = fileName;
    request.BackgroundColor = 16777215; // white, as the workspace opens pictures
    request.Bitmap = &picture;
    const bool opened = registry->Open(request);
    error = request.ErrorText;
    return opened;
}

} // namespace

std::string PicturesFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder.toStdString();
}

std::string DialogStartFolder(const std::string& startFolder, const std::string& fileName)
{
    std::string folder = startFolder.empty() ? FolderPart(fileName) : startFolder;
    if (!FolderExists(folder))
        folder = PicturesFolder();
    return folder;
}

bool TOpenHandler::Execute(TOpenInfo& info, TFileDialogKind kind, const std::string& startFolder,
                           std::string& chosen)
{
    chosen.clear();
    try {
        TFileDialogRequest request;
        request.Kind = kind;
        request.FileName = IsSaveKind(kind) ? NamePart(info.FileName) : std::string();
        request.InitialFolder = DialogStartFolder(startFolder, info.FileName);
        request.DefaultExt = info.DefaultExt;
        request.Options = info.Options;
        request.Filter = info.Filter;
        request.FilterIndex = info.FilterIndex;
        if (IsPreviewKind(kind))
            request.Preview = &RenderPreview;

        const TFileDialogResult result = Platform().FileDialogs().Run(request);
        chosen = result.FileName;
        info.FilterIndex = result.FilterIndex;
        return result.Confirmed;
    } catch (...) {
        if (IsPreviewKind(kind))
            return Execute(info, PlainKind(kind), startFolder, chosen);
        return false;
    }
}

using TOpenHandlerSlot = TServiceSlot<TOpenHandler, TService::OpenHandler>;

TOpenHandler* OpenHandler() { return TOpenHandlerSlot::Get(); }
void FreeOpenHandler() { TOpenHandlerSlot::Free(); }

} // namespace orvanto

#include "app/main_commands.h"

#include "app/instance_placement.h"

#include "imaging/open_image.h"
#include "localisation/language.h"
#include "localisation/print_status_text.h"
#include "platform/platform.h"
#include "support/messages/general.h"
#include "support/messages/messages.h"
#include "workspace/print_workspace.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QWidget>

namespace orvanto {

namespace {

// A menu's setting goes the way every setting goes: a copy of the current
// ones, changed, applied.
template <typename TEditSettings>
void Change(TPrintWorkspace& workspace, TEditSettings edit)
{
    TPrintWorkspaceInfo info = workspace.Info();
    edit(info);
    workspace.ApplyInfo(info);
}

} // namespace

TMainCommands::TMainCommands(TPrintWorkspace& workspace, ICommandHost& host)
    : FWorkspace(workspace), FHost(host)
{
    FOpenInfo.Options = FileDialogHideReadOnly | FileDialogFileMustExist;
    if (TOpenImage* formats = OpenImage()) {
        FOpenInfo.Filter = formats->Formats().BuildFilter(-2, false);
        FOpenInfo.DefaultExt = formats->Formats().BuildFilter(1, true);
    }
    FOpenInfo.FilterIndex = 1;
}

std::string TMainCommands::LibraryFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (folder.isEmpty())
        return {};
    QDir().mkpath(folder);
    if (!folder.endsWith('/'))
        folder += '/';
    return folder.toStdString();
}

bool TMainCommands::PrintServerAwaited()
{
    try {
        const TServerState server = Platform().Printer().Facts().Server;
        return server == TServerState::Asking || server == TServerState::Silent;
    } catch (...) {
        // A printer that cannot be asked is not one to wait for.
        return false;
    }
}

bool TMainCommands::RuleHolds(TEnabledRule rule)
{
    const TWorkspacePicture& picture = FWorkspace.Picture();
    const TPageLayout& layout = FWorkspace.Layout();
    switch (rule) {
    case TEnabledRule::Always: return true;
    case TEnabledRule::CanPrint: return FWorkspace.CanPrint();
    case TEnabledRule::PrinterPresent: return FWorkspace.PrinterPresent();
    case TEnabledRule::PrinterPresentOrAwaited: return FWorkspace.PrinterPresent() || PrintServerAwaited();
    case TEnabledRule::CanCopy: return picture.CanCopy();
    case TEnabledRule::CanPaste: return picture.CanPaste();
    case TEnabledRule::CanUndo: return picture.CanUndo();
    case TEnabledRule::CanMirror: return picture.CanMirror();
    case TEnabledRule::CanFlip: return picture.CanFlip();
    case TEnabledRule::CanRotate: return picture.CanRotate();
    case TEnabledRule::CanInvert: return picture.CanInvert();
    case TEnabledRule::CanZoom: return layout.CanZoom(!picture.Empty());
    case TEnabledRule::CanClearZoom: return layout.CanZoom(!picture.Empty()) && layout.CurrentZoom() != 0;
    case TEnabledRule::CanCenter: return layout.CanCenter(!picture.Empty());
    }
    return false;
}

bool TMainCommands::Enabled(int entry)
{
    const auto entries = MenuEntries();
    for (int i = entry; i >= 0; i = ParentEntry(i))
        if (i >= int(entries.size()) || !RuleHolds(entries[i].Enabled))
            return false;
    return entry >= 0;
}

bool TMainCommands::Checked(int entry)
{
    const auto entries = MenuEntries();
    if (entry < 0 || entry >= int(entries.size()))
        return false;
    switch (entries[entry].Checked) {
    case TCheckRule::None: return false;
    case TCheckRule::AutoClose: return FWorkspace.Info().AutoClose;
    case TCheckRule::AutoPrint: return FWorkspace.Info().AutoPrint;
    case TCheckRule::Poster: return FWorkspace.Info().Poster;
    case TCheckRule::ButtonBar: return FHost.ButtonBarVisible();
    case TCheckRule::PanelTop: return FHost.PanelOnTop();
    case TCheckRule::PanelBottom: return !FHost.PanelOnTop();
    case TCheckRule::Overall: return FWorkspace.Info().PreviewSize == 0;
    case TCheckRule::CloseUp: return FWorkspace.Info().PreviewSize == 1;
    case TCheckRule::UseBackground: return FWorkspace.Info().UseBkColor == 1;
    }
    return false;
}

std::string TMainCommands::UndoCaption() const
{
    const std::string edit = FWorkspace.Picture().UndoCaption();
    if (edit.empty())
        return Translate("&Undo");
    // A language puts the verb where its grammar wants it ("Drehen
    // rückgängig machen"), so the whole phrase is looked up first; only a
    // table without it gets the two words side by side.
    const std::string phrase = "&Undo " + edit;
    bool found = false;
    if (const TLanguage* language = Language()) {
        const std::string whole = language->TranslateText(phrase, &found);
        if (found)
            return whole;
    }
    return Translate("&Undo") + " " + Translate(edit);
}

bool TMainCommands::Dispatch(int entry)
{
    const auto entries = MenuEntries();
    if (FHost.IsBusy() || entry < 0 || entry >= int(entries.size())
        || entries[entry].Command == TCommand::None || !Enabled(entry))
        return false;
    // A failure the command did not report itself must not escape into the
    // event loop; busy mode has been left by then.
    try {
        Execute(entries[entry]);
    } catch (...) {
        ShowCaughtFailure();
    }
    return true;
}

bool TMainCommands::Guarded(const std::function<bool()>& operation, bool showError)
{
    try {
        FHost.SetBusy(true);
    } catch (...) {
        ShowCaughtFailure();
        return false;
    }
    bool done = false;
    try {
        done = operation();
        if (!done && showError)
            FWorkspace.ShowLastError();
    } catch (...) {
        ShowCaughtFailure();
    }
    try {
        FHost.SetBusy(false);
    } catch (...) {
        ShowCaughtFailure();
    }
    return done;
}

void TMainCommands::OpenPicture(const std::string& initialFolder)
{
    std::string chosen;
    TOpenHandler* handler = OpenHandler();
    if (!handler || !handler->Execute(FOpenInfo, TFileDialogKind::OpenWithPreview, initialFolder, chosen))
        return;
    FOpenInfo.FileName = chosen;
    LoadPicture(chosen);
}

bool TMainCommands::LoadPicture(const std::string& fileName)
{
    const bool loaded = Guarded([&] { return FWorkspace.LoadFile(fileName); });
    // Shown as the desktop's viewers show it: what could be read, and a word
    // that the rest is missing.
    if (loaded && FWorkspace.Picture().LastLoadPartial())
        FHost.ShowStatusText(Translate(Messages::PartlyRead), Translate(Messages::PartlyReadShort));
    return loaded;
}

void TMainCommands::ChangeScaling(TZoomMode mode, int percent)
{
    Guarded([&] {
        FWorkspace.ZoomCommand(mode, percent);
        return true;
    });
}

void TMainCommands::RotateBy(int angle)
{
    Guarded([&] { return FWorkspace.Rotate(angle); });
}

void TMainCommands::OpenWebPage(int index)
{
    Guarded(
        [&] {
            Platform().Shell().OpenDocument(WebPageAddress(index), {}, {});
            return true;
        },
        false);
}

void TMainCommands::Execute(const TMenuEntry& entry)
{
    TPrintWorkspace& ws = FWorkspace;
    switch (entry.Command) {
    case TCommand::None:
        break;
    case TCommand::NewInstance:
        // A second, independent copy of this program that reads the same
        // settings file.
        Guarded(
            [this] {
                const auto start = [] {
                    return Platform().Shell().StartProgram(
                        QCoreApplication::applicationFilePath().toStdString(), {}, {});
                };
                // The new window opens beside this one, not on top of it.
                if (const auto* window = dynamic_cast<const QWidget*>(&FHost))
                    StartBeside(*window, start);
                else
                    start();
                return true;
            },
            false);
        break;
    case TCommand::Open: OpenPicture({}); break;
    case TCommand::OpenFromLibrary: OpenPicture(LibraryFolder()); break;
    case TCommand::Print:
        // The job goes on in the background; the window's refresh follows
        // it to its end in the status bar.
        if (Guarded([&] { return ws.Print(); }) && !ws.PrintCancelled())
            FHost.ShowStatusText(JobStatusText(Platform().Printer().JobStatus()), Translate("Sent"));
        else if (ws.PrintCancelled())
            FHost.ShowStatusText(Translate(Messages::JobCancelled));
        // Auto Close ends the program after printing, whether or not the
        // print succeeded; the window defers the teardown itself.
        if (ws.Info().AutoClose)
            FHost.Shutdown();
        break;
    case TCommand::PrinterSetup:
        // The print dialog asks the print system in this thread: it opens
        // only once the server answers, or the window would hang with it.
        if (PrintServerAwaited())
            ShowError(ServerStatusText(Platform().Printer().Facts()));
        else
            ws.PrinterSetup();
        break;
    case TCommand::WebPage: OpenWebPage(entry.Argument); break;
    case TCommand::Exit: FHost.Shutdown(); break;
    case TCommand::Copy: Guarded([&] { return ws.CopyToClipboard(); }); break;
    case TCommand::Paste: Guarded([&] { return ws.PasteFromClipboard(); }); break;
    case TCommand::Undo: Guarded([&] { return ws.Undo(); }); break;
    case TCommand::Mirror: Guarded([&] { return ws.Mirror(); }); break;
    case TCommand::Flip: Guarded([&] { return ws.Flip(); }); break;
    case TCommand::Rotate: RotateBy(entry.Argument); break;
    case TCommand::Invert: Guarded([&] { return ws.Invert(); }); break;
    case TCommand::SetScaling: ChangeScaling(TZoomMode::Set, entry.Argument); break;
    case TCommand::AddScaling: ChangeScaling(TZoomMode::Add, entry.Argument); break;
    case TCommand::AutoClose: Change(ws, [](TPrintSettings& s) { s.AutoClose = !s.AutoClose; }); break;
    case TCommand::AutoPrint: Change(ws, [](TPrintSettings& s) { s.AutoPrint = !s.AutoPrint; }); break;
    case TCommand::Poster: Change(ws, [](TPrintSettings& s) { s.Poster = !s.Poster; }); break;
    case TCommand::Center:
        Guarded(
            [&] {
                ws.CenterPicture();
                return true;
            },
            false);
        break;
    case TCommand::ButtonBar: FHost.SetButtonBarVisible(!FHost.ButtonBarVisible()); break;
    case TCommand::PanelTop: FHost.SetPanelOnTop(true); break;
    case TCommand::PanelBottom: FHost.SetPanelOnTop(false); break;
    case TCommand::Overall: Change(ws, [](TPrintSettings& s) { s.PreviewSize = 0; }); break;
    case TCommand::CloseUp: Change(ws, [](TPrintSettings& s) { s.PreviewSize = 1; }); break;
    case TCommand::BackgroundColor: FHost.ChooseBackground(); break;
    case TCommand::UseBackgroundColor:
        Change(ws, [](TPrintSettings& s) { s.UseBkColor = s.UseBkColor == 1 ? 0 : 1; });
        break;
    case TCommand::Help: FHost.ShowHelp(); break;
    case TCommand::About: FHost.ShowAbout(); break;
    }
}

} // namespace orvanto

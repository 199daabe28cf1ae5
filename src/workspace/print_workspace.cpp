#include "workspace/print_workspace.h"

#include "localisation/language.h"
#include "platform/platform.h"
#include "support/messages/general.h"
#include "support/messages/messages.h"
#include "support/files/paths.h"
#include "support/messages/program_name.h"
#include "support/text/text_conversion.h"
#include "workspace/print_workspace_state.h"

#include <limits>

namespace orvanto {

namespace {

std::int32_t SaturatingAdd(std::int32_t a, std::int32_t b)
{
    const std::int64_t sum = std::int64_t(a) + b;
    constexpr std::int64_t high = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t low = std::numeric_limits<std::int32_t>::min();
    return std::int32_t(sum > high ? high : sum < low ? low : sum);
}

} // namespace

TPrintWorkspace::TPrintWorkspace() : FState(std::make_unique<TState>())
{
    SetMemoryBudget(DefaultMemoryBudget);
    SetDefaults();
}

TPrintWorkspace::~TPrintWorkspace() = default;

void TPrintWorkspace::SetView(IWorkspaceView* view)
{
    FState->View = view;
}

IWorkspaceView* TPrintWorkspace::View() const
{
    return FState->View;
}

const std::string& TPrintWorkspace::LastError() const
{
    return FState->LastError;
}

void TPrintWorkspace::SetDefaults()
{
    FState->Layout.ResetSettings();
    Clear();
}

// --- Settings and layout ---

TPrintWorkspaceInfo TPrintWorkspace::Info() const
{
    TPrintWorkspaceInfo info = FState->Layout.Info();
    info.Copies = Copies();
    return info;
}

void TPrintWorkspace::ApplyInfo(const TPrintWorkspaceInfo& info)
{
    try {
        const int copies = info.Validated().Copies;
        if (copies != Copies()) {
            try {
                Platform().Printer().SetCopies(copies);
            } catch (...) {
                // The printer keeps its count; Info reads it back from there.
            }
        }
        // The printer and paper Printer Setup chose, when they are still
        // there; a printer that is gone leaves the current one (the default).
        bool newPrinter = false;
        try {
            IPrinter& printer = Platform().Printer();
            if (!info.Printer.empty() && info.Printer != printer.CurrentPrinterName())
                newPrinter = printer.SelectPrinter(info.Printer);
            if (!info.Paper.empty() && info.Paper != printer.PaperName())
                newPrinter = printer.SetPaper(info.Paper) || newPrinter;
        } catch (...) {
            // The printer stays as it was; the page follows what it reports.
        }
        const TApplyResult result = FState->Layout.ApplyInfo(info);
        if (result.NewPageGeometry || newPrinter)
            UpdatePageGeometry();
        Changed(wcLayout | wcTitles | wcStatus);
    } catch (...) {
        // The previous values stay for whatever was not yet written.
    }
}

TDeviceMetrics TPrintWorkspace::ReadDeviceMetrics()
{
    TDeviceMetrics device;
    try {
        IPrinter& printer = Platform().Printer();
        device.PrinterDpiX = printer.DpiX();
        device.PrinterDpiY = printer.DpiY();
        device.PageWidth = printer.PageWidth();
        device.PageHeight = printer.PageHeight();
        device.PrintableLeft = printer.PrintableLeft();
        device.PrintableTop = printer.PrintableTop();
    } catch (...) {
        // Values not read stay unknown: the layout takes its fallbacks.
    }
    try {
        device.ScreenPpi = Platform().Screen().PixelsPerInch();
    } catch (...) {
        // Unknown: the layout takes the common 96 pixels per inch.
    }
    return device;
}

void TPrintWorkspace::UpdatePageGeometry()
{
    try {
        Platform().Printer().SetOrientation(FState->Layout.Info().Orientation);
    } catch (...) {
        // The page then keeps the printer's orientation; the layout reads it.
    }
    try {
        // Page size, picture size, device metrics and the page bitmap that
        // fits the budget, in that order, from one reading of the devices.
        const QSize picture = FState->Picture.Size();
        FState->Layout.UpdatePageGeometry(ReadDeviceMetrics(), picture.width(), picture.height());
    } catch (...) {
        // The previous geometry stays.
    }
}

void TPrintWorkspace::Relayout()
{
    UpdatePageGeometry();
    Changed(wcLayout | wcStatus);
}

void TPrintWorkspace::Refresh()
{
    UpdatePageGeometry();
    Changed(wcEverything);
}

void TPrintWorkspace::SetMemoryBudget(std::int64_t bytes)
{
    if (FState->Layout.SetMemoryBudget(bytes))
        Relayout();
}

void TPrintWorkspace::ZoomCommand(TZoomMode mode, std::int32_t percent)
{
    if (!FState->Layout.CanZoom(!FState->Picture.Empty()))
        return;
    // The menu adds without a limit; adding saturates rather than wrapping
    // a large zoom round to a negative one.
    TPrintWorkspaceInfo info = Info();
    if (info.Scale == psCustom) {
        info.ZoomX = mode == TZoomMode::Add ? SaturatingAdd(info.ZoomX, percent) : percent;
        info.ZoomY = mode == TZoomMode::Add ? SaturatingAdd(info.ZoomY, percent) : percent;
    } else {
        info.ZoomXY = mode == TZoomMode::Add ? SaturatingAdd(info.ZoomXY, percent) : percent;
    }
    ApplyInfo(info);
}

void TPrintWorkspace::CenterPicture()
{
    if (!FState->Layout.CanCenter(!FState->Picture.Empty()))
        return;
    TPlacementRequest centred;
    centred.Position = ppCenter;
    centred.PictureWidth = FState->Picture.Size().width();
    centred.PictureHeight = FState->Picture.Size().height();
    const TPlacement at = FState->Layout.Place(centred);
    TPrintWorkspaceInfo info = Info();
    info.X = at.Left;
    info.Y = at.Top;
    ApplyInfo(info);
}

const TPageLayout& TPrintWorkspace::Layout() const
{
    return FState->Layout;
}

void TPrintWorkspace::SetPreviewGeometry(int pageWidth, int pageHeight)
{
    FState->Layout.SetPreviewGeometry(pageWidth, pageHeight);
}

void TPrintWorkspace::MoveCustomOffset(std::int32_t dx, std::int32_t dy)
{
    FState->Layout.MoveCustomOffset(dx, dy);
}

// --- Titles and status texts ---

// The one way out of the core: the derived texts first, so that whoever
// is told reads them current. A window or owner that throws must not take
// the core's operation down with it.
void TPrintWorkspace::Changed(TWorkspaceChanges changes)
{
    try {
        if (changes & (wcLayout | wcStatus | wcTitles))
            UpdateTexts();
    } catch (...) {
        // The texts stay as they were; the notice still goes out.
    }
    if (FState->View) {
        try {
            FState->View->WorkspaceChanged(changes);
        } catch (...) {
            // See above: the window's failure is its own.
        }
    }
    if (OnChange) {
        try {
            OnChange(*this, changes);
        } catch (...) {
            // See above: the owner's failure is its own.
        }
    }
}

void TPrintWorkspace::UpdateTexts()
{
    FState->Layout.UpdateMillimetres();
    const int copies = Copies();
    const TPrintWorkspaceInfo& info = FState->Layout.Info();
    TWorkspaceTexts texts;
    texts.CopiesText = IntToText(copies) + " " + Translate(copies > 1 ? "copies" : "copy");
    texts.Caption = info.PrinterName.empty() ? std::string(ProgramName)
                                             : info.PrinterName + " - " + ProgramName;
    texts.JobTitle = texts.Caption + " [" + Translate(PrintQualityName(info.Quality)) + ", "
        + texts.CopiesText + "]";
    FState->Layout.SetTexts(std::move(texts));
}

void TPrintWorkspace::ShowLastError()
{
    try {
        // Our own words first, then which file they are about, as written.
        std::string file;
        file.swap(FState->ErrorFileName);
        // A step the user called off leaves nothing to report.
        if (FState->LastError.empty())
            return;
        if (file.empty())
            ShowError(FState->LastError);
        else
            ShowError(FState->LastError, file);
    } catch (...) {
        // The error box itself failed; there is nowhere left to report it.
    }
}

// --- The command line ---

bool TPrintWorkspace::ProcessCommandLine(const TCommandLine& line)
{
    try {
        FState->LastError = Messages::OutOfMemory;
        if (line.Picture.empty())
            return true;
        if (!LoadFile(line.Picture))
            return false;
        if (!line.PrinterName.empty()) {
            TPrintWorkspaceInfo info = Info();
            info.PrinterName = line.PrinterName;
            ApplyInfo(info);
        }
        if (line.AutoPrint && !Info().AutoPrint) {
            TPrintWorkspaceInfo info = Info();
            info.AutoPrint = true;
            ApplyInfo(info);
        }
        if (Info().AutoPrint) {
            // An unattended print takes the whole picture, never the quick copy.
            if (!FinishLoading())
                return false;
            TPrintWorkspaceInfo info = Info();
            info.NoSave = true;
            ApplyInfo(info);
            const bool printed = Print();
            if (!printed)
                ShowLastError();
            if (OnAutoPrinted)
                OnAutoPrinted(*this, printed);
        }
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace orvanto

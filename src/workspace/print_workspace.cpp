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
#include <new>

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

TPrintWorkspace::TPrintWorkspace() : FState(new TState)
{
    FState->Picture = QImage(1, 1, QImage::Format_BGR888);
    FState->Picture.fill(Qt::white);
    SetMemoryBudget(DefaultMemoryBudget);
    FState->PreviewSize = 0;
    SetDefaults();
}

TPrintWorkspace::~TPrintWorkspace()
{
    delete FState;
}

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
    FState->BkColor = 0xFF0000;
    FState->UseBkColor = 0;
    FState->Layout.ResetSettings();
    Clear();
}

// --- Settings and layout ---

TPrintWorkspaceInfo TPrintWorkspace::Info() const
{
    return FState->Layout.Info();
}

void TPrintWorkspace::ApplyInfo(const TPrintWorkspaceInfo& info)
{
    try {
        const TApplyResult result = FState->Layout.ApplyInfo(info);
        if (result.NewPageGeometry)
            UpdatePageGeometry();
        Changed(wcLayout | wcTitles | wcStatus);
    } catch (...) {
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
    } catch (...) {
    }
    try {
        device.ScreenPpi = Platform().Screen().PixelsPerInch();
    } catch (...) {
    }
    return device;
}

void TPrintWorkspace::UpdatePageGeometry()
{
    try {
        Platform().Printer().SetOrientation(FState->Layout.Info().Orientation);
    } catch (...) {
    }
    try {
        // Page size, picture size, device metrics and the page bitmap that
        // fits the budget, in that order, from one reading of the devices.
        const QSize picture = PictureSize();
        FState->Layout.UpdatePageGeometry(ReadDeviceMetrics(), picture.width(), picture.height());
    } catch (...) {
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

std::int32_t TPrintWorkspace::MemoryBudget() const
{
    return FState->Layout.MemoryBudget();
}

bool TPrintWorkspace::CanZoom() const
{
    return FState->Layout.CanZoom(!FState->Empty);
}

std::int32_t TPrintWorkspace::CurrentZoom() const
{
    return FState->Layout.CurrentZoom();
}

void TPrintWorkspace::ZoomCommand(int mode, std::int32_t percent)
{
    if (!CanZoom())
        return;
    // The menu adds without a limit; adding saturates rather than wrapping
    // a large zoom round to a negative one.
    TPrintWorkspaceInfo info = Info();
    if (info.Scale == psCustom) {
        info.ZoomX = mode == 1 ? SaturatingAdd(info.ZoomX, percent) : percent;
        info.ZoomY = mode == 1 ? SaturatingAdd(info.ZoomY, percent) : percent;
    } else {
        info.ZoomXY = mode == 1 ? SaturatingAdd(info.ZoomXY, percent) : percent;
    }
    ApplyInfo(info);
}

bool TPrintWorkspace::CanCenter() const
{
    return FState->Layout.CanCenter(!FState->Empty);
}

void TPrintWorkspace::CenterPicture()
{
    if (!CanCenter())
        return;
    TPrintWorkspaceInfo centred = Info();
    centred.Position = ppCenter;
    centred.FactorX = 1;
    centred.FactorY = 1;
    centred.PictureWidth = PictureSize().width();
    centred.PictureHeight = PictureSize().height();
    FState->Layout.Layout(centred, 0, 0);
    TPrintWorkspaceInfo info = Info();
    info.X = centred.OutLeft;
    info.Y = centred.OutTop;
    ApplyInfo(info);
}

const TPageLayout& TPrintWorkspace::Layout() const
{
    return FState->Layout;
}

void TPrintWorkspace::SetPreviewGeometry(int pageWidth, int pageHeight, int frameWidth,
                                         int frameHeight)
{
    FState->Layout.SetPreviewGeometry(pageWidth, pageHeight, frameWidth, frameHeight);
}

void TPrintWorkspace::MoveCustomOffset(std::int32_t dx, std::int32_t dy)
{
    FState->Layout.MoveCustomOffset(dx, dy);
}

// --- Shown by the window ---

int TPrintWorkspace::PreviewSize() const
{
    return FState->PreviewSize;
}

void TPrintWorkspace::SetPreviewSize(int size)
{
    FState->PreviewSize = Clamp(size, 0, 1);
    Changed(wcLayout);
}

std::uint32_t TPrintWorkspace::BkColor() const
{
    return FState->BkColor;
}

int TPrintWorkspace::UseBkColor() const
{
    return FState->UseBkColor;
}

std::uint32_t TPrintWorkspace::EffectiveBackground() const
{
    return FState->UseBkColor == 1 ? FState->BkColor : 0xFFFFFF;
}

void TPrintWorkspace::SetBackground(std::uint32_t colour, int mode)
{
    if (colour == FState->BkColor && mode == FState->UseBkColor)
        return;
    FState->BkColor = colour;
    FState->UseBkColor = mode;
    Changed(wcLayout);
}

// --- Titles, status texts, options ---

bool TPrintWorkspace::GetAutoPrint() const
{
    return FState->AutoPrint;
}

void TPrintWorkspace::SetAutoPrint(bool on)
{
    if (on == FState->AutoPrint)
        return;
    FState->AutoPrint = on;
    Changed(wcStatus);
}

bool TPrintWorkspace::GetAutoClose() const
{
    return FState->AutoClose;
}

void TPrintWorkspace::SetAutoClose(bool on)
{
    if (on == FState->AutoClose)
        return;
    FState->AutoClose = on;
    Changed(wcStatus);
}

// The one way out of the core: the derived texts first, so that whoever
// is told reads them current. A window or owner that throws must not take
// the core's operation down with it.
void TPrintWorkspace::Changed(TWorkspaceChanges changes)
{
    try {
        if (changes & (wcLayout | wcStatus | wcTitles)) {
            UpdateStatusInfo();
            UpdateTitles();
        }
    } catch (...) {
    }
    if (FState->View) {
        try {
            FState->View->WorkspaceChanged(changes);
        } catch (...) {
        }
    }
    if (OnChange) {
        try {
            OnChange(*this, changes);
        } catch (...) {
        }
    }
}

void TPrintWorkspace::UpdateStatusInfo()
{
    FState->Layout.UpdateMillimetres();
    const int copies = GetCopies();
    const TPrintWorkspaceInfo& info = FState->Layout.Info();
    FState->Layout.SetTexts(IntToText(copies) + " " + Translate(copies > 1 ? "copies" : "copy"),
                            info.Caption, info.JobTitle);
}

void TPrintWorkspace::UpdateTitles()
{
    const TPrintWorkspaceInfo& info = FState->Layout.Info();
    std::string caption = info.PrinterName.empty() ? std::string(ProgramName)
                                                   : info.PrinterName + " - " + ProgramName;
    std::string jobTitle = caption + " [" + Translate(PrintQualityName(info.Quality)) + ", "
        + info.CopiesText + "]";
    FState->Layout.SetTexts(info.CopiesText, std::move(caption), std::move(jobTitle));
}

void TPrintWorkspace::ShowLastError()
{
    try {
        // Our own words first, then which file they are about.
        std::string file;
        file.swap(FState->ErrorFileName);
        ShowError(file.empty() ? FState->LastError : Translate(FState->LastError) + "\n" + file);
    } catch (...) {
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
        if (line.AutoPrint)
            SetAutoPrint(true);
        if (FState->AutoPrint) {
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

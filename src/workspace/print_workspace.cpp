#include "workspace/print_workspace.h"

#include "localisation/language.h"
#include "platform/platform.h"
#include "support/general.h"
#include "support/messages.h"
#include "support/paths.h"
#include "support/program_name.h"
#include "support/text_conversion.h"
#include "workspace/print_workspace_state.h"

#include <limits>
#include <new>

namespace orvanto {

namespace {

constexpr const char* AutoPrintSwitch = "/AUTOPRINT";

// One step of the view, if a window is attached. A window that throws must
// not take the core's operation down with it.
template <typename TStep>
void InView(IWorkspaceView* view, TStep step)
{
    if (!view)
        return;
    try {
        step(*view);
    } catch (...) {
    }
}

std::int32_t SaturatingAdd(std::int32_t a, std::int32_t b)
{
    const std::int64_t sum = std::int64_t(a) + b;
    constexpr std::int64_t high = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t low = std::numeric_limits<std::int32_t>::min();
    return std::int32_t(sum > high ? high : sum < low ? low : sum);
}

// The record's defaults, found wherever the record's helpers live.
void DefaultSettings(TPrintWorkspaceInfo& info)
{
    SetDefaults(info);
}

} // namespace

TPrintWorkspace::TPrintWorkspace() : FState(new TState)
{
    FState->Picture = QImage(1, 1, QImage::Format_BGR888);
    FState->Picture.fill(Qt::white);
    SetMemoryBudget(DefaultMemoryBudget);
    FState->PreviewSize = 0;
    SetDefaults();
    Refresh();
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
    DefaultSettings(FState->Layout.OwnInfo());
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
            Relayout();
        InView(FState->View, [](IWorkspaceView& view) { view.RepaintPreview(); });
        InView(FState->View, [](IWorkspaceView& view) { view.SyncPanel(); });
        Changed();
    } catch (...) {
    }
}

TDeviceMetrics TPrintWorkspace::DeviceMetrics()
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

void TPrintWorkspace::ReadDeviceMetrics()
{
    FState->Layout.ReadDeviceMetrics(DeviceMetrics());
    const bool hand = FState->Layout.Info().Position == ppCustom;
    InView(FState->View, [hand](IWorkspaceView& view) { view.SetPageCursor(hand); });
}

void TPrintWorkspace::Relayout()
{
    if (FState->RelayoutDepth > 0)
        return;
    ++FState->RelayoutDepth;
    try {
        FState->Layout.SetPreviewCacheDirty(true);
        try {
            Platform().Printer().SetOrientation(FState->Layout.Info().Orientation);
        } catch (...) {
        }
        // Page size, picture size, device metrics and the page bitmap that
        // fits the budget, in that order.
        FState->Layout.UpdatePageGeometry(DeviceMetrics(), FState->Picture.width(),
                                          FState->Picture.height());
        ReadDeviceMetrics();
        InView(FState->View, [](IWorkspaceView& view) { view.UpdatePanel(); });
        InView(FState->View, [](IWorkspaceView& view) { view.PlacePreview(); });
        Changed();
    } catch (...) {
    }
    --FState->RelayoutDepth;
}

void TPrintWorkspace::Refresh()
{
    InView(FState->View, [](IWorkspaceView& view) { view.PageColourChanged(); });
    Relayout();
    InView(FState->View, [](IWorkspaceView& view) { view.RepaintPreview(); });
    InView(FState->View, [](IWorkspaceView& view) { view.SyncPanel(); });
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
    centred.PictureWidth = FState->Picture.width();
    centred.PictureHeight = FState->Picture.height();
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

bool TPrintWorkspace::PreviewCacheDirty() const
{
    return FState->Layout.PreviewCacheDirty();
}

void TPrintWorkspace::SetPreviewCacheDirty(bool dirty)
{
    FState->Layout.SetPreviewCacheDirty(dirty);
}

void TPrintWorkspace::MoveCustomOffset(std::int32_t dx, std::int32_t dy)
{
    TPrintWorkspaceInfo& info = FState->Layout.OwnInfo();
    info.X = SaturatingAdd(info.X, dx);
    info.Y = SaturatingAdd(info.Y, dy);
}

// --- Window-side state ---

int TPrintWorkspace::PreviewSize() const
{
    return FState->PreviewSize;
}

void TPrintWorkspace::SetPreviewSize(int size)
{
    FState->PreviewSize = Clamp(size, 0, 1);
    Changed();
    Refresh();
}

bool TPrintWorkspace::PanelOnTop() const
{
    if (FState->View) {
        try {
            return FState->View->PanelOnTop();
        } catch (...) {
        }
    }
    return FState->PanelOnTop;
}

void TPrintWorkspace::SetPanelOnTop(bool onTop)
{
    FState->PanelOnTop = onTop;
    InView(FState->View, [onTop](IWorkspaceView& view) { view.SetPanelOnTop(onTop); });
    Changed();
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
    InView(FState->View, [](IWorkspaceView& view) { view.PageColourChanged(); });
    SetPreviewCacheDirty(true);
    InView(FState->View, [](IWorkspaceView& view) { view.RepaintPreview(); });
}

bool TPrintWorkspace::PaintFailed() const
{
    return FState->PaintFailed;
}

void TPrintWorkspace::SetPaintFailed(bool failed)
{
    if (failed == FState->PaintFailed)
        return;
    FState->PaintFailed = failed;
    InView(FState->View, [](IWorkspaceView& view) { view.UpdatePanel(); });
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
    Changed();
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
    Changed();
}

void TPrintWorkspace::Changed()
{
    try {
        UpdateStatusInfo();
        UpdateTitles();
    } catch (...) {
    }
    if (OnChange) {
        try {
            OnChange(*this);
        } catch (...) {
        }
    }
}

void TPrintWorkspace::UpdateStatusInfo()
{
    FState->Layout.UpdateMillimetres();
    const int copies = GetCopies();
    FState->Layout.OwnInfo().CopiesText =
        IntToText(copies) + " " + Translate(copies > 1 ? "copies" : "copy");
}

void TPrintWorkspace::UpdateTitles()
{
    TPrintWorkspaceInfo& info = FState->Layout.OwnInfo();
    info.Caption = info.PrinterName.empty() ? std::string(ProgramName)
                                            : info.PrinterName + " - " + ProgramName;
    info.JobTitle = info.Caption + " [" + Translate(PrintQualityName(info.Quality)) + ", "
        + info.CopiesText + "]";
}

void TPrintWorkspace::ShowLastError()
{
    try {
        ShowError(FState->LastError);
    } catch (...) {
    }
}

// --- The command line ---

bool TPrintWorkspace::ProcessCommandLine(const std::vector<std::string>& arguments)
{
    try {
        FState->LastError = Messages::OutOfMemory;
        auto argument = [&arguments](std::size_t i) {
            return i < arguments.size() ? arguments[i] : std::string();
        };
        const std::string picture = argument(0);
        const std::string second = argument(1);
        const std::string third = argument(2);
        if (picture.empty())
            return true;
        if (!LoadFile(picture))
            return false;
        const bool secondIsSwitch = UpperAscii(second) == AutoPrintSwitch;
        if (!second.empty() && !secondIsSwitch) {
            TPrintWorkspaceInfo info = Info();
            info.PrinterName = second;
            ApplyInfo(info);
        }
        if (secondIsSwitch || UpperAscii(third) == AutoPrintSwitch)
            SetAutoPrint(true);
        if (FState->AutoPrint) {
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

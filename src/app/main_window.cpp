#include "app/main_window.h"

#include "app/instance_placement.h"
#include "app/menu_table.h"
#include "app/qt_translations.h"
#include "app/startup/program_icon.h"
#include "app/startup/startup_extras.h"
#include "app/status_panel.h"
#include "app/workspace_settings.h"
#include "localisation/language.h"
#include "localisation/print_status_text.h"
#include "localisation/qt/translate_menu.h"
#include "platform/platform.h"
#include "platform/qt/center_form.h"
#include "support/messages/general.h"
#include "support/messages/messages.h"
#include "support/files/paths.h"
#include "support/messages/program_name.h"
#include "support/text/text_conversion.h"
#include "ui/button_icons.h"
#include "ui/toolbars.h"
#include "platform/platform.h"
#include "workspace/print_size.h"
#include "workspace/print_workspace.h"
#include "workspace/qt/print_workspace_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QMimeData>
#include <QPalette>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace orvanto {

namespace {

constexpr int MinimumWidth = 430;
constexpr int MinimumHeight = 300;
// How long the window's thread turns its event loop between two looks at a
// print job's worker: short enough that the end shows at once.
constexpr std::chrono::milliseconds PrintWaitSlice{20};
QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

TForm1::TForm1(const TCommandLine& line, QWidget* parent) : TForm1(line, TSettingsFile().Load(), {}, parent) {}

TForm1::TForm1(const TCommandLine& line, const std::optional<TStoredSettings>& stored,
               std::unique_ptr<TEarlyPreview> early, QWidget* parent)
    : QMainWindow(parent)
{
    try {
        FormCreate(line, stored, std::move(early));
    } catch (...) {
        if (TGeneral* general = General())
            general->FatalOutOfMemory();
        std::exit(EXIT_FAILURE);
    }
    FCreating = false;
    // A shutdown asked for while the window was being built ends the
    // message loop as soon as it runs.
    if (FShutdownRequested)
        QMetaObject::invokeMethod(this, &TForm1::FinishShutdown, Qt::QueuedConnection);
}

TForm1::~TForm1()
{
    FCommands.reset();
    // The window refers to the workspace: it goes first.
    delete FWorkspaceWindow;
    FWorkspaceWindow = nullptr;
    FWorkspace.reset();
    FExtras.reset();
    FToolbars.reset();
}

void TForm1::FormCreate(const TCommandLine& line, const std::optional<TStoredSettings>& stored,
                        std::unique_ptr<TEarlyPreview> early)
{
    if (const TLanguage* language = Language())
        InstallQtTranslations(language->Name());
    QApplication::setApplicationDisplayName(QString::fromUtf8(ProgramName));
    setWindowTitle(QString::fromUtf8(ProgramName));
    setWindowIcon(ProgramIcon());
    setMinimumSize(MinimumWidth, MinimumHeight);
    resize(DefaultWindowWidth, DefaultWindowHeight);
    setAcceptDrops(true);

    // The splash (shown only when no picture was named). A splash archive
    // that is there but cannot be unpacked ends the program before anything
    // else is built, and no settings are written.
    FExtras = std::make_unique<TStartupExtras>();
    if (!FExtras->PrepareSplash(!line.Picture.empty())) {
        General()->ShowError(FExtras->LastError());
        FExitStatus = 1;
        FNoSave = true;
        Shutdown();
        return;
    }

    // The client area: the button bar at the top, the workspace below it.
    auto* area = new QWidget(this);
    auto* column = new QVBoxLayout(area);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    setCentralWidget(area);
    FWorkspace = std::make_unique<TPrintWorkspace>();
    // A picture shows at once from a quick reduced copy while the whole one
    // decodes (an unattended print builds no window and loads the plain way).
    FWorkspace->SetBackgroundLoading(true);
    FWorkspace->SetEarlyPreview(std::move(early));
    FWorkspaceWindow = new TPrintWorkspaceWindow(*FWorkspace, area);
    column->addWidget(FWorkspaceWindow, 1);
    FWorkspaceWindow->show();
    // A new workspace starts with the preview Overall.
    FWorkspace->Refresh();

    BuildStatusBar();
    FCommands = std::make_unique<TMainCommands>(*FWorkspace, *this);
    BuildButtonBar(area);
    FExtras->CreateHelp();
    BuildMenu();
    TranslateMenu(menuBar());
    FExtras->InstallMenuCopy(QCoreApplication::applicationFilePath().toStdString());

    FWorkspace->OnChange = [this](TPrintWorkspace&, TWorkspaceChanges changes) {
        // A change the user made after a command (a list, a zoom bar, the
        // edges) replaces what the command said.
        if ((changes & wcLayout) && !FBusy && !FCreating && !FFollowingPrinter)
            ShowStatusText({});
        if (changes & (wcTitles | wcStatus)) {
            RefreshStatus();
        } else if (changes & (wcLayout | wcPicture)) {
            ShowPrintResolution(); // the picture's size on paper may have changed
            FitStatusPanels(*statusBar(), FPanels);
        }
        // A picture decoded in the background arrives here, after its load
        // command has returned: say once per picture that it is incomplete.
        if ((changes & wcPicture) && FWorkspace->Picture().LastLoadPartial()
            && FWorkspace->Picture().Bitmap().cacheKey() != FPartialNoticeFor) {
            FPartialNoticeFor = FWorkspace->Picture().Bitmap().cacheKey();
            ShowStatusText(Translate(Messages::PartlyRead), Translate(Messages::PartlyReadShort));
        }
    };
    FWorkspace->OnProgress = [this](int percent) { ShowProgress(percent); };
    // A picture printed by the command line (Auto Print) ends the run; the
    // print has set NoSave, so the settings file stays as it was.
    FWorkspace->OnAutoPrinted = [this](TPrintWorkspace&, bool printed) {
        FExitStatus = printed ? 0 : 1;
        Shutdown();
    };
    // The page is drawn in a worker; this thread keeps turning the event
    // loop meanwhile, so the window repaints, shows the progress and takes
    // Esc. Busy mode keeps every command that would change the picture or
    // the page away until the job is done.
    // (Events are processed rather than a loop run: a loop would not start
    // once the program has been told to end, and the job must still finish.)
    FWorkspace->OnPrintWait = [] {
        QTimer wake;
        wake.setSingleShot(true);
        wake.start(PrintWaitSlice);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    // Esc cancels the job being drawn, or the one being printed; the status
    // bar says so once the print system has.
    auto* cancel = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(cancel, &QShortcut::activated, this, [this] {
        if (FWorkspace && FWorkspace->Printing()) {
            FWorkspace->CancelPrint();
            return;
        }
        IPrinter& printer = Platform().Printer();
        if (printer.JobStatus().Phase != TJobPhase::None && !printer.JobStatus().Ended())
            printer.CancelJob();
    });
    ShowStatusText({});
    RefreshStatus();
    LoadSettings(stored);
    RefreshButtons();
    // A copy started by New Instance opens where the first copy asked.
    if (const std::optional<QPoint> place = TakeNewWindowPlace())
        move(*place);
    else
        CenterForm(this);
    ProcessCommandLine(line);
    FExtras->FinishSplash();
}

void TForm1::ProcessCommandLine(const TCommandLine& line)
{
    if (!FWorkspace->ProcessCommandLine(line))
        FWorkspace->ShowLastError();
    else if (FWorkspace->Picture().LastLoadPartial())
        ShowStatusText(Translate(Messages::PartlyRead), Translate(Messages::PartlyReadShort));
}

void TForm1::BuildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(true);
    for (int i = 0; i < 6; ++i) {
        auto* panel = new TStatusPanel(i == 5, bar);
        if (i == 4)
            panel->SetSample(QStringLiteral("100%")); // the resolution, at most 100%
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setTextFormat(Qt::PlainText);
        bar->addWidget(panel, i < 5 ? 0 : 1);
        FPanels.push_back(panel);
    }
    // The print resolution comes after the six panels people know, at the
    // bar's right end, so that it moves none of them.
    auto* ppi = new TStatusPanel(false, bar);
    ppi->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ppi->setTextFormat(Qt::PlainText);
    ppi->setObjectName(QStringLiteral("PrintResolutionPanel"));
    bar->addWidget(ppi);
    FPanels.push_back(ppi);
    // The picture's size on paper, before the print resolution.
    auto* printed = new TStatusPanel(false, bar);
    printed->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    printed->setTextFormat(Qt::PlainText);
    printed->setObjectName(QStringLiteral("PrintSizePanel"));
    bar->insertWidget(5, printed);
    FPanels.push_back(printed);
    // A narrower window shows shorter forms of the texts, never cut ones.
    bar->installEventFilter(this);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == statusBar() && event->type() == QEvent::Resize)
        FitStatusPanels(*statusBar(), FPanels);
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::BuildButtonBar(QWidget* area)
{
    FToolbars = std::make_unique<TToolbars>();
    QWidget* bar = FToolbars->Window();
    bar->setParent(area);
    static_cast<QVBoxLayout*>(area->layout())->insertWidget(0, bar);
    bar->show();
    FToolbars->OnButtonClick = [this](TToolbars& sender, int index) { ButtonClicked(sender, index); };
    FToolbars->OnTick = [this](TToolbars&) {
        if (!IsBusy())
            RefreshButtons();
    };
    FBarCommands.assign(TToolbars::SlotCount, -1);
    for (const TBarEntry& entry : BarEntries()) {
        const bool separator = entry.Icon < 0;
        const int index = separator
            ? FToolbars->AddButton({}, {}, 5)
            : FToolbars->AddButton(Translate(entry.Caption) + entry.Suffix,
                                   ButtonIconText(TButtonIcon(entry.Icon)), 0,
                                   DoubledButtonIconText(TButtonIcon(entry.Icon)));
        if (index >= 0 && !separator)
            FBarCommands[index] = FindMenuEntry(entry.MenuEntry);
    }
    FToolbars->SetAllButtonCursors(Qt::PointingHandCursor);
    FToolbars->SetSeparatorLines(true);
}

// The bar reports the entry the mouse went down on; a separator or no
// entry runs nothing, and a command runs exactly as its menu item would.
void TForm1::ButtonClicked(TToolbars& sender, int index)
{
    if (&sender != FToolbars.get() || index < 0 || index >= int(FBarCommands.size()) || !FCommands)
        return;
    const int entry = FBarCommands[index];
    if (entry < 0)
        return;
    // The click may end the program (Print with Auto Close): the bar must
    // not be freed while it is still delivering this event, and Shutdown
    // only ever defers that.
    FCommands->Dispatch(entry);
}

void TForm1::BuildMenu()
{
    const auto entries = MenuEntries();
    FActions.assign(entries.size(), nullptr);
    std::vector<QMenu*> menus(entries.size(), nullptr);
    QActionGroup* groups[2] = {new QActionGroup(this), new QActionGroup(this)};
    for (int i = 0; i < int(entries.size()); ++i) {
        const TMenuEntry& entry = entries[i];
        const int parent = ParentEntry(i);
        QMenu* owner = parent >= 0 ? menus[parent] : nullptr;
        const bool holdsItems = i + 1 < int(entries.size()) && entries[i + 1].Level > entry.Level;
        if (entry.Level == 0 || holdsItems) {
            QMenu* menu = owner ? owner->addMenu(Text(entry.Caption)) : menuBar()->addMenu(Text(entry.Caption));
            menu->setObjectName(Text(entry.Name));
            menus[i] = menu;
            FActions[i] = menu->menuAction();
            connect(menu, &QMenu::aboutToShow, this, [this, i] { MenuOpening(i); });
            connect(menu, &QMenu::aboutToHide, this, [this, i] { MenuClosed(i); });
            continue;
        }
        if (IsSeparator(entry)) {
            FActions[i] = owner->addSeparator();
            continue;
        }
        QAction* action = owner->addAction(Text(entry.Caption));
        action->setObjectName(Text(entry.Name));
        if (*entry.Shortcut)
            action->setShortcuts(QKeySequence::listFromString(QString::fromLatin1(entry.Shortcut)));
        if (entry.Checked != TCheckRule::None)
            action->setCheckable(true);
        if (entry.Radio) {
            // Two sets of alternatives: where the settings bar sits, and the preview size.
            const bool panelChoice = entry.Command == TCommand::PanelTop || entry.Command == TCommand::PanelBottom;
            groups[panelChoice ? 0 : 1]->addAction(action);
        }
        connect(action, &QAction::triggered, this, [this, i] {
            if (FCommands)
                FCommands->Dispatch(i);
        });
        FActions[i] = action;
    }
}

// The states are computed as a menu opens, for its own items.
void TForm1::MenuOpening(int menuEntry)
{
    if (!FCommands)
        return;
    const auto entries = MenuEntries();
    for (int i = menuEntry + 1; i < int(entries.size()) && entries[i].Level > entries[menuEntry].Level; ++i) {
        if (ParentEntry(i) != menuEntry || !FActions[i] || IsSeparator(entries[i]))
            continue;
        FActions[i]->setEnabled(FCommands->Enabled(i));
        if (entries[i].Checked != TCheckRule::None)
            FActions[i]->setChecked(FCommands->Checked(i));
        if (entries[i].Command == TCommand::Undo)
            FActions[i]->setText(Text(FCommands->UndoCaption()));
    }
}

// A closed menu's items take shortcuts again whatever they showed: each
// shortcut asks the commands afresh whether it may run.
void TForm1::MenuClosed(int menuEntry)
{
    const auto entries = MenuEntries();
    for (int i = menuEntry + 1; i < int(entries.size()) && entries[i].Level > entries[menuEntry].Level; ++i)
        if (ParentEntry(i) == menuEntry && FActions[i])
            FActions[i]->setEnabled(true);
}

QAction* TForm1::MenuAction(const std::string& name) const
{
    const int index = FindMenuEntry(name);
    return index >= 0 && index < int(FActions.size()) ? FActions[index] : nullptr;
}

QLabel* TForm1::StatusPanel(int index) const
{
    return index >= 0 && index < int(FPanels.size()) ? FPanels[index] : nullptr;
}

void TForm1::SetBusy(bool on)
{
    if (on == FBusy)
        return;
    FBusy = on;
    if (on)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
    for (QAction* menu : menuBar()->actions())
        menu->setEnabled(!on);
    if (FWorkspaceWindow)
        FWorkspaceWindow->setEnabled(!on);
    if (FToolbars)
        FToolbars->SetBarEnabled(!on);
    // The bar shows what the command left enabled at once, not at the next tick.
    if (!on)
        RefreshButtons();
    if (on && FPanels.size() >= 6) {
        FPanels[5]->SetForms({Text(Translate("Working") + "...")});
        FitStatusPanels(*statusBar(), FPanels);
    } else {
        ShowStatusText({});
    }
    FLastProgress = -1;
    // The new state shows before the work starts. Painted directly: running
    // the event loop here would let queued events (a background load's end,
    // with its error box) run in the middle of the command.
    if (!FCreating && FPanels.size() >= 6 && FPanels[5]->isVisible())
        FPanels[5]->repaint();
}

void TForm1::ShowProgress(int percent)
{
    percent = std::clamp(percent, 0, 100);
    // Long work shows its progress in busy mode only, which ends with
    // "Ready"; the picture of the command line loads before the window shows.
    // Once the window is closing, the panel says what it waits for instead.
    if (!FBusy || FShutdownRequested || percent == FLastProgress || FPanels.size() < 6)
        return;
    FLastProgress = percent;
    FPanels[5]->SetForms({Text(Translate("Working") + "... " + std::to_string(percent) + "%")});
    // Painted at once: the work goes on in this thread, so no event loop
    // runs until it ends.
    if (FPanels[5]->isVisible())
        FPanels[5]->repaint();
}

void TForm1::ShowStatusText(const std::string& text, const std::string& shortText)
{
    if (FPanels.size() < 6)
        return;
    // A stopped printer's reason stands where "Ready" would: it matters
    // until the printer prints again.
    const std::string shown = text.empty() ? PrinterProblemText(Platform().Printer().Facts()) : text;
    QStringList forms{Text(shown.empty() ? Translate("Ready") : shown)};
    if (!shortText.empty())
        forms << Text(shortText);
    FPanels[5]->SetForms(forms);
    FitStatusPanels(*statusBar(), FPanels);
}

void TForm1::RefreshStatus()
{
    if (!FWorkspace || FPanels.size() < 6)
        return;
    const std::string mm = Translate("mm");
    const TPrintWorkspaceInfo info = FWorkspace->Info();
    const std::string width = std::to_string(info.Millimetres.PageWidth);
    const std::string height = std::to_string(info.Millimetres.PageHeight);
    // Each with the shorter forms a narrow window shows instead.
    const bool present = FWorkspace->PrinterPresent();
    FPrinterPresent = present;
    // Until the print server answers, and while it is silent, the first
    // panel says so instead of the page size; a narrow window shows a short
    // form there ("No answer"), the whole text as tooltip: not "No
    // Printer", for the server may well have printers.
    const TPrinterFacts facts = Platform().Printer().Facts();
    const std::string server = ServerStatusText(facts);
    // Shorter forms close up the spaces and name the unit once; the unit
    // itself stays, or "210x297" would not say what it measures.
    if (!server.empty())
        FPanels[0]->SetForms({Text(server), Text(ServerStatusShortText(facts))});
    else
        FPanels[0]->SetForms(present ? QStringList{Text(width + mm + " x " + height + mm),
                                                   Text(width + " x " + height + " " + mm),
                                                   Text(width + "x" + height + mm)}
                                     : QStringList{Text(Translate("No Printer"))});
    FPanels[0]->SetHint(present ? QString() : Text(PrinterHint()));
    FPanels[1]->SetForms({Text(info.Texts.CopiesText),
                          QString::number(info.Copies) + QChar(0x00D7)}); // "2×"
    FPanels[2]->SetForms(info.AutoClose
                             ? QStringList{Text(Translate("Auto Close")), Text(Translate("AutoClose"))}
                             : QStringList{});
    FPanels[3]->SetForms(info.AutoPrint
                             ? QStringList{Text(Translate("Auto Print")), Text(Translate("AutoPrint"))}
                             : QStringList{});
    FPanels[4]->SetForms({Text(std::to_string(info.LastPrint.Resolution) + "%")});
    ShowPrintResolution();
    FitStatusPanels(*statusBar(), FPanels);
    setWindowTitle(Text(info.Texts.Caption.empty() ? std::string(ProgramName) : info.Texts.Caption));
}

// The picture's pixels per inch on paper ("187 ppi", or "187 x 94 ppi"
// where the sides differ), orange with an explanation when a print would
// look soft.
void TForm1::ShowPrintResolution()
{
    ShowPrintedSize();
    if (!FWorkspace || FPanels.size() < 7)
        return;
    TStatusPanel* panel = FPanels[6];
    const TWorkspacePicture& picture = FWorkspace->Picture();
    const auto [across, down] = FWorkspace->Layout().PrintPpi(picture.Bitmap().width(), picture.Bitmap().height());
    const bool shown = !picture.Empty() && across > 0 && down > 0;
    const QString unit = Text(Translate("ppi"));
    const QString both = across == down ? QString::number(across) : QStringLiteral("%1 x %2").arg(across).arg(down);
    const QString tight = across == down ? QString::number(across) : QStringLiteral("%1x%2").arg(across).arg(down);
    // The unit stays in every form: "510x276" alone says nothing.
    panel->SetForms(shown ? QStringList{both + ' ' + unit, tight + ' ' + unit, tight + unit} : QStringList{});
    panel->setVisible(shown);
    const bool soft = shown && std::min(across, down) < TPageLayout::SharpPpi;
    panel->SetHint(Text(Translate(soft ? Messages::SoftPrint : Messages::PrintResolution)));
    panel->setAutoFillBackground(soft);
    QPalette colours = statusBar()->palette();
    if (soft) {
        colours.setColor(QPalette::Window, QColor(255, 165, 0));
        colours.setColor(QPalette::WindowText, Qt::black);
    }
    panel->setPalette(colours);
}

std::string TForm1::PrinterHint()
{
    const std::string server = ServerStatusText(Platform().Printer().Facts());
    if (!server.empty())
        return server;
    return FPrinterPresent == 0 ? Translate(Messages::NoPrinterHint) : std::string();
}

// Reads only what the printer watcher and the job's worker last learned:
// nothing here waits for the print system.
void TForm1::RefreshPrintSystem()
{
    IPrinter& printer = Platform().Printer();
    const TPrinterFacts facts = printer.Facts();
    if (facts.Generation != FPrinterFacts) {
        FPrinterFacts = facts.Generation;
        // A cache: failing to keep it costs only the next start's first layout.
        FPrinterMemory.Remember(facts);
        // The server answered, or a printer came, went, stopped or
        // resumed: the page geometry, the panels and Print follow.
        if (FWorkspace) {
            FFollowingPrinter = true;
            FWorkspace->Relayout();
            FFollowingPrinter = false;
        }
        // A stop, or the printing again after one, replaces what the
        // status bar said; the reason then stands where "Ready" would.
        if (const std::string problem = PrinterProblemText(facts); problem != FProblemShown) {
            FProblemShown = problem;
            ShowStatusText({});
        }
    }
    const TJobStatus job = printer.JobStatus();
    if (job.Generation != FJobShown) {
        FJobShown = job.Generation;
        if (const std::string text = JobStatusText(job); !text.empty())
            ShowStatusText(text);
    }
}

// The picture's size on paper in the size boxes' unit ("100 x 150 mm"),
// with the sheet count of a poster; orange, with the reason as its
// tooltip, when the picture prints out of its shape.
void TForm1::ShowPrintedSize()
{
    if (!FWorkspace || FPanels.size() < 8)
        return;
    TStatusPanel* panel = FPanels[7];
    const QSize size = FWorkspace->Picture().Size();
    const TPageLayout& layout = FWorkspace->Layout();
    const auto [w, h] = layout.PrintedSize(size.width(), size.height());
    const bool shown = !FWorkspace->Picture().Empty() && w > 0 && h > 0;
    std::string paper;
    try {
        paper = Platform().Printer().PaperName();
    } catch (...) {
        // No paper known: the locale decides alone.
    }
    const TSizeUnit unit = SizeUnitFor(paper, QLocale::system().measurementSystem() != QLocale::MetricSystem);
    const auto length = [&](TAxis axis, std::int32_t pixels) {
        const std::int32_t hundredths = Round(layout.Millimetres(axis, pixels) * 100);
        return QLocale().toString(SizeInUnit(hundredths, unit), 'g', 6);
    };
    const QString unitName = Text(Translate(SizeUnitName(unit)));
    const QString across = length(TAxis::Across, w), down = length(TAxis::Down, h);
    // Given up first when the bar is short of room: the last form is none.
    QStringList forms{across + QStringLiteral(" x ") + down + QLatin1Char(' ') + unitName,
                      across + QLatin1Char('x') + down, QString()};
    if (layout.PosterApplies(size.width(), size.height())) {
        const QString sheets = QString::number(layout.PosterPlan(size.width(), size.height()).Sheets.size());
        forms[1] = sheets + QLatin1Char(' ') + Text(Translate("sheets"));
        forms.prepend(forms.front() + QStringLiteral(", ") + forms[1]);
    }
    panel->SetForms(shown ? forms : QStringList{});
    panel->setVisible(shown);
    const std::string stretched = shown ? StretchNote(*FWorkspace) : std::string();
    panel->SetHint(Text(stretched.empty() ? Translate("Printed size") : stretched));
    panel->setAutoFillBackground(!stretched.empty());
    QPalette colours = statusBar()->palette();
    if (!stretched.empty()) {
        colours.setColor(QPalette::Window, QColor(255, 165, 0));
        colours.setColor(QPalette::WindowText, Qt::black);
    }
    panel->setPalette(colours);
}

// A bar button is enabled exactly when its menu item would be.
void TForm1::RefreshButtons()
{
    RefreshPrintSystem();
    // A printer added or gone (its print server stopped, say): the page
    // geometry, the paper panel and Print follow without a command.
    if (FWorkspace && FPrinterPresent >= 0 && FWorkspace->PrinterPresent() != bool(FPrinterPresent)) {
        FFollowingPrinter = true;
        FWorkspace->Relayout();
        FFollowingPrinter = false;
    }
    if (FToolbars && FCommands)
        for (int index = 0; index < int(FBarCommands.size()); ++index)
            if (FBarCommands[index] >= 0) {
                FToolbars->SetButtonEnabled(index, FCommands->Enabled(FBarCommands[index]));
                // Print says why it cannot print.
                if (FBarCommands[index] == FindMenuEntry("Print1")) {
                    std::string hint = Translate("Print");
                    if (const std::string why = PrinterHint(); !why.empty())
                        hint.append(1, '\n').append(why);
                    FToolbars->SetButtonCaption(index, hint);
                }
            }
    if (!isEnabled())
        setEnabled(true);
}

bool TForm1::ButtonBarVisible() const
{
    return FToolbars && !FToolbars->Window()->isHidden();
}

void TForm1::SetButtonBarVisible(bool visible)
{
    if (FToolbars)
        FToolbars->Window()->setVisible(visible);
}

bool TForm1::PanelOnTop() const
{
    return FWorkspaceWindow && FWorkspaceWindow->PanelOnTop();
}

void TForm1::SetPanelOnTop(bool onTop)
{
    if (FWorkspaceWindow)
        FWorkspaceWindow->SetPanelOnTop(onTop);
}

void TForm1::ChooseBackground()
{
    if (FWorkspaceWindow)
        FWorkspaceWindow->ChooseBackground();
}

void TForm1::ShowHelp()
{
    if (!FExtras)
        return;
    SetBusy(true);
    FExtras->ShowHelp();
    SetBusy(false);
}

void TForm1::ShowAbout()
{
    if (FExtras)
        FExtras->ShowAbout();
}

// The workspace's settings through the shared table; the window's own four here.
void TForm1::LoadSettings(const std::optional<TStoredSettings>& stored)
{
    if (!stored)
        return;
    const TStoredSettings& s = *stored;
    SetPanelOnTop(s.ToolbarOnTop != 0);
    SetButtonBarVisible(s.ShowButtonbar != 0);
    const std::string note = ApplyStoredSettings(s, *FWorkspace);
    if (!note.empty())
        ShowStatusText(note);
    // A damaged size must not ask for a window larger than the screen.
    QSize limit(s.Width, s.Height);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        limit = screen->availableGeometry().size();
    resize(std::min(s.Width, limit.width()), std::min(s.Height, limit.height()));
}

QSize TForm1::OpeningSize(const TStoredSettings& stored)
{
    return QSize(std::max(stored.Width, MinimumWidth), std::max(stored.Height, MinimumHeight));
}

void TForm1::SaveSettings()
{
    TStoredSettings s;
    TakeStoredSettings(*FWorkspace, s);
    s.ToolbarOnTop = PanelOnTop();
    s.ShowButtonbar = ButtonBarVisible();
    // The same measure the load restores with resize(): no frame added.
    s.Width = width();
    s.Height = height();
    // A file that cannot be written (read-only, say) is left alone quietly.
    TSettingsFile().Save(s);
}

void TForm1::Shutdown()
{
    if (FShutdownRequested)
        return;
    FShutdownRequested = true;
    try {
        hide();
        if (FWorkspace && !FNoSave && !FWorkspace->Info().NoSave)
            SaveSettings();
    } catch (...) {
        ShowCaughtFailure();
    }
    if (!FCreating)
        QMetaObject::invokeMethod(this, &TForm1::FinishShutdown, Qt::QueuedConnection);
}

// Runs from the message loop, never inside an event of the objects it frees.
void TForm1::FinishShutdown()
{
    // A page still being drawn is finished and handed over first: the
    // print command that draws it runs below this call, in the same thread,
    // and its workspace must outlive it. Asked again once it has returned.
    if (FWorkspace && FWorkspace->Printing()) {
        ShowStatusText(Translate(Messages::WaitingForHandOver));
        show();
        QTimer::singleShot(PrintWaitSlice, this, &TForm1::FinishShutdown);
        return;
    }
    // A job still being handed to the print system is never dropped: the
    // program waits for the hand-over, and says so.
    if (Platform().Printer().JobStatus().Phase == TJobPhase::Handing) {
        ShowStatusText(Translate(Messages::WaitingForHandOver));
        show();
        QCoreApplication::processEvents();
        Platform().Printer().WaitForHandOver(std::chrono::minutes(2));
    }
    try {
        FCommands.reset();
        if (FWorkspaceWindow) {
            FWorkspaceWindow->Detach();
            delete FWorkspaceWindow;
            FWorkspaceWindow = nullptr;
        }
        FWorkspace.reset();
        if (FExtras)
            FExtras->Shutdown();
        FExtras.reset();
        FToolbars.reset();
    } catch (...) {
        ShowCaughtFailure();
    }
    QCoreApplication::exit(FExitStatus);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // The window never closes by itself: the program ends through Shutdown.
    event->ignore();
    Shutdown();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (!FBusy && FCommands && data && data->hasUrls() && !data->urls().isEmpty()
        && data->urls().first().isLocalFile())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (FBusy || !FCommands || !data || !data->hasUrls() || data->urls().isEmpty())
        return;
    const std::string fileName = data->urls().first().toLocalFile().toStdString();
    event->acceptProposedAction();
    // Opened as the Open command opens a file, after the drop has ended.
    QMetaObject::invokeMethod(
        this,
        [this, fileName] {
            if (!FCommands || FBusy)
                return;
            FCommands->OpenInfo().FileName = fileName;
            FCommands->LoadPicture(fileName);
        },
        Qt::QueuedConnection);
}

} // namespace orvanto

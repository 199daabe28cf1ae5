#pragma once

// The program's one window, TForm1: it builds the print workspace, the
// menus, the status bar and the button bar at start-up (FormCreate), runs
// every command through TMainCommands, keeps the settings file, and ends
// the program through Shutdown, whichever way the user asks for it. An
// unattended print never builds this window (see unattended_print.h).
//
// Ending is deferred: Shutdown hides the window and writes the settings at
// once, but the owned objects go and the message loop ends only from a
// queued call, so nothing is destroyed under its own event (a bar click),
// and a request made while the window is still being built (a splash that
// cannot be unpacked) ends the loop as soon as it runs.

#include "app/main_commands.h"
#include "app/settings_file.h"
#include "platform/printer_facts_file.h"
#include "workspace/command_line.h"
#include "workspace/early_preview.h"

#include <QMainWindow>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QMenu;

namespace orvanto {

class TPrintWorkspace;
class TPrintWorkspaceWindow;
class TToolbars;
class TStartupExtras;
class TStatusPanel;

class TForm1 : public QMainWindow, public ICommandHost {
    Q_OBJECT
public:
    // line: what to open once the window is built; stored: the settings
    // file's values (none: the defaults stay), read once by the caller, who
    // decided on the same values that this run has a window. early, when
    // given, is the quick copy of line's picture already being read; the
    // first load takes it.
    TForm1(const TCommandLine& line, const std::optional<TStoredSettings>& stored,
           std::unique_ptr<TEarlyPreview> early = {}, QWidget* parent = nullptr);
    // Reads the settings file itself.
    explicit TForm1(const TCommandLine& line, QWidget* parent = nullptr);
    ~TForm1() override;
    // The window's size when it opens with these settings (none: defaults).
    static QSize OpeningSize(const TStoredSettings& stored);

    bool ShuttingDown() const { return FShutdownRequested; }

    // ICommandHost
    void SetBusy(bool on) override;
    bool IsBusy() const override { return FBusy; }
    void Shutdown() override;
    bool ButtonBarVisible() const override;
    void SetButtonBarVisible(bool visible) override;
    bool PanelOnTop() const override;
    void SetPanelOnTop(bool onTop) override;
    void ChooseBackground() override;
    void ShowHelp() override;
    void ShowAbout() override;

    void ShowStatusText(const std::string& text, const std::string& shortText = {}) override;
    void RefreshStatus();
    void RefreshButtons();
    // Follows the printer watcher and the last job into the status bar.
    void RefreshPrintSystem();
    // Why Print cannot print now; empty when it can.
    std::string PrinterHint();

    // For tests and the drop handler: the workspace while it exists.
    TPrintWorkspace* Workspace() const { return FWorkspace.get(); }
    TMainCommands* Commands() const { return FCommands.get(); }
    QAction* MenuAction(const std::string& name) const;
    QLabel* StatusPanel(int index) const;
    TToolbars* ButtonBar() const { return FToolbars.get(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FormCreate(const TCommandLine& line, const std::optional<TStoredSettings>& stored,
                    std::unique_ptr<TEarlyPreview> early);
    void BuildMenu();
    void BuildStatusBar();
    void BuildButtonBar(QWidget* area);
    void ButtonClicked(TToolbars& sender, int index);
    void MenuOpening(int menuEntry);
    void MenuClosed(int menuEntry);
    void ProcessCommandLine(const TCommandLine& line);
    void ShowProgress(int percent);
    void ShowPrintResolution();
    void ShowPrintedSize();
    void LoadSettings(const std::optional<TStoredSettings>& stored);
    void SaveSettings();
    void FinishShutdown();

    std::unique_ptr<TPrintWorkspace> FWorkspace;
    std::unique_ptr<TMainCommands> FCommands;
    TPrintWorkspaceWindow* FWorkspaceWindow = nullptr;
    std::unique_ptr<TToolbars> FToolbars;
    std::unique_ptr<TStartupExtras> FExtras; // splash, help, the menu copy
    std::vector<int> FBarCommands; // the menu entry of each bar index, -1 for none
    std::vector<QAction*> FActions; // one per menu entry, in table order
    std::vector<TStatusPanel*> FPanels;
    bool FBusy = false;
    // The picture whose incompleteness the status bar has told already.
    qint64 FPartialNoticeFor = 0;
    bool FCreating = true;
    bool FShutdownRequested = false;
    bool FNoSave = false; // a start that failed
    int FExitStatus = 0; // the message loop's, 1 when the start failed
    int FLastProgress = -1;
    int FPrinterPresent = -1; // as the last refresh found it; -1 before the first
    // The print system's facts and the last job, as the status bar last
    // showed them.
    std::uint64_t FPrinterFacts = 0;
    // The current printer's paper and resolution, kept for the next start.
    TPrinterFactsFile FPrinterMemory;
    std::uint64_t FJobShown = 0;
    std::string FProblemShown;
    // Set while the page follows the printer: not the user's change, so
    // what the status bar says stays.
    bool FFollowingPrinter = false;
};

} // namespace orvanto

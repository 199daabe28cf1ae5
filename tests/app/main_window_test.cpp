// The main window with real widgets on the offscreen platform: started with
// a picture, driven through shortcuts and menu items, closed with the close
// button.
#include "app/main_window.h"

#include "app/menu_table.h"
#include "app/settings_file.h"
#include "localisation/language.h"
#include "platform/platform.h"
#include "platform/printer_facts_file.h"
#include "platform/qt/qt_printer.h"
#include "platform/recording_clipboard.h"
#include "platform/recording_colour_dialog.h"
#include "platform/recording_message_box.h"
#include "platform/recording_printer.h"
#include "support/files/ini_file.h"
#include "tests/fake_print_server.h"
#include "tests/test_support.h"
#include "ui/toolbars.h"
#include "workspace/print_workspace.h"
#include "workspace/qt/workspace_display_names.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <functional>
#include <cstdio>
#include <cstring>
#include <limits>
#include <set>

using namespace orvanto;

namespace {

// Counts one kind of event reaching a widget.
class TEventCounter final : public QObject {
public:
    TEventCounter(QObject& watched, QEvent::Type type) : FType(type) { watched.installEventFilter(this); }
    int Count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == FType)
            ++Count;
        return false;
    }

private:
    QEvent::Type FType;
};

// Every status panel shows its whole text, none drawn over by the next.
void ExpectStatusPanelsFit(const TForm1& window)
{
    std::vector<const QLabel*> shown;
    // Left to right: the six panels people know, the printed size before the
    // message panel (5), the print resolution last.
    for (const int i : {0, 1, 2, 3, 4, 7, 5, 6}) {
        const QLabel* panel = window.StatusPanel(i);
        ASSERT_NE(panel, nullptr) << i;
        SCOPED_TRACE(panel->text().toStdString());
        EXPECT_LE(panel->fontMetrics().horizontalAdvance(panel->text()), panel->contentsRect().width());
        if (panel->isVisible())
            shown.push_back(panel);
    }
    EXPECT_EQ(window.StatusPanel(8), nullptr) << "a panel this check does not know";
    for (std::size_t i = 1; i < shown.size(); ++i) {
        EXPECT_LT(shown[i - 1]->geometry().right(), shown[i]->geometry().left()) << shown[i]->text().toStdString();
    }
}

TEST(MainWindow, CommandsShortcutsAndCloseButton)
{
    auto* colours = new TRecordingColourDialog;
    colours->Answer(0x00FF00);
    auto oldColours = Platform().SetColourDialog(std::unique_ptr<IColourDialog>(colours));
    auto* printer = new TRecordingPrinter;
    auto oldPrinter = Platform().SetPrinter(std::unique_ptr<IPrinter>(printer));
    auto oldBoxes = Platform().SetMessageBox(std::make_unique<TRecordingMessageBox>());

    const std::string settingsFile = TSettingsFile::SettingsFileName("INI");
    QFile::remove(QString::fromStdString(settingsFile)); // a first run
    const std::string picture = MakeTempFolder("window") + "picture.bmp";
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::blue);
    image.setPixelColor(0, 0, Qt::red); // shows which way a turn went
    ASSERT_TRUE(image.save(QString::fromStdString(picture)));
    {
        TForm1 window(ParseCommandLine({picture}));
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        TPrintWorkspace& workspace = *window.Workspace();
        EXPECT_EQ(workspace.Picture().Bitmap().width(), 40) << "the command line's picture is loaded";
        EXPECT_EQ(window.StatusPanel(1)->text().toStdString(), "1 copy");
        TPrintWorkspaceInfo info = workspace.Info();
        info.Scale = psCustom; // as the settings bar's list would set it
        workspace.ApplyInfo(info);
        EXPECT_EQ(window.StatusPanel(5)->text().toStdString(), "Ready");
        EXPECT_EQ(window.width(), 430) << "a first run";
        ExpectStatusPanelsFit(window);

        // What was queued before a command (a background load's end, with
        // its error box) runs after it, never in its middle.
        bool queuedRan = false;
        QMetaObject::invokeMethod(&window, [&queuedRan] { queuedRan = true; }, Qt::QueuedConnection);
        QTest::keyClick(&window, Qt::Key_F7); // rotate right 90; its menu never opened
        EXPECT_FALSE(queuedRan) << "an event ran inside the command";
        QCoreApplication::processEvents();
        EXPECT_TRUE(queuedRan);
        EXPECT_EQ(workspace.Picture().Bitmap().width(), 20);
        EXPECT_EQ(workspace.Picture().Bitmap().pixelColor(19, 0), QColor(Qt::red)) << "clockwise: top left to top right";
        QMenu* image = window.findChild<QMenu*>("Image2");
        ASSERT_NE(image, nullptr);
        Q_EMIT image->aboutToShow();
        EXPECT_EQ(window.MenuAction("Undo1")->text().toStdString(), "&Undo Rotate");
        QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier); // undo
        EXPECT_EQ(workspace.Picture().Bitmap().width(), 40);
        EXPECT_EQ(workspace.Picture().Bitmap().pixelColor(0, 0), QColor(Qt::red)) << "undone: back where it was";
        window.MenuAction("N902")->trigger(); // rotate left 90
        EXPECT_EQ(workspace.Picture().Bitmap().pixelColor(0, 39), QColor(Qt::red)) << "anticlockwise: top left to bottom left";
        window.MenuAction("Undo1")->trigger();
        EXPECT_EQ(workspace.Picture().Bitmap().pixelColor(0, 0), QColor(Qt::red));
        EXPECT_TRUE(window.ButtonBar()->ButtonEnabled(8)) << "the bar follows the command at once, not the next tick";
        QTest::mouseClick(window.ButtonBar()->Window(), Qt::LeftButton, {}, window.ButtonBar()->ButtonRect(8).center());
        EXPECT_EQ(workspace.Picture().UndoCaption(), "Mirror") << "the bar's ninth entry mirrors";

        QTest::keyClick(&window, Qt::Key_F10); // increase 25%
        EXPECT_EQ(workspace.Info().ZoomX, 25);
        QTest::keyClick(&window, Qt::Key_F1, Qt::ShiftModifier); // fixed 25%
        QTest::keyClick(&window, Qt::Key_F10);
        EXPECT_EQ(workspace.Info().ZoomY, 50);
        QTest::keyClick(&window, Qt::Key_F8); // clear
        EXPECT_EQ(workspace.Info().ZoomX, 0);
        EXPECT_FALSE(window.Commands()->Enabled(FindMenuEntry("Normal1"))) << "nothing left to clear";

        QTest::keyClick(&window, Qt::Key_F4); // background colour: the dialog answers green
        EXPECT_EQ(workspace.Info().BkColor, 0x00FF00u);
        EXPECT_EQ(workspace.Info().UseBkColor, 1);
        QTest::keyClick(&window, Qt::Key_F5); // use background colour off
        EXPECT_EQ(workspace.Info().UseBkColor, 0);

        window.MenuAction("AutoClose1")->trigger();
        EXPECT_EQ(window.StatusPanel(2)->text().toStdString(), "Auto Close");
        QTest::qWait(10); // the bar lays itself out again
        ExpectStatusPanelsFit(window);

        QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier); // print, beside F3
        const QLabel* last = window.StatusPanel(5); // shortened in a narrow window, whole as its tooltip
        EXPECT_EQ((last->toolTip().isEmpty() ? last->text() : last->toolTip()).toStdString(),
                  "Printing on Recording Printer…");
        EXPECT_EQ(window.StatusPanel(6)->text().toStdString(), "600 ppi") << "40 pixels over 40 dots at 600 dpi";
        info = workspace.Info();
        info.Quality = pqHigh; // the next change the user makes
        info.Position = ppTopLeft;
        workspace.ApplyInfo(info);
        EXPECT_EQ(window.StatusPanel(5)->text().toStdString(), "Ready") << "what was sent shows until the next action";
        printer->Names.clear(); // the print server went away
        window.RefreshButtons();
        EXPECT_EQ(window.StatusPanel(0)->text().toStdString(), "No Printer");
        EXPECT_EQ(window.StatusPanel(0)->toolTip().toStdString(), "No printer: add one in the system's printer settings");
        EXPECT_FALSE(window.ButtonBar()->ButtonEnabled(0)) << "Print";
        printer->Names = {"Recording Printer"};
        window.RefreshButtons();
        EXPECT_EQ(window.StatusPanel(0)->text().toStdString().substr(0, 3), "203") << "the page is back";

        window.close(); // the close button
        QTest::qWait(50);
        EXPECT_EQ(window.Workspace(), nullptr) << "the owned objects went after the close";
    }
    const TIniFile::TPairs saved = TIniFile(settingsFile).ReadSection("Settings");
    std::string keys;
    for (const auto& [name, value] : saved)
        keys += name + "=" + value + " ";
    EXPECT_EQ(keys, "AutoClose=1 AutoPrint=0 ToolbarOnTop=0 ShowButtonbar=1 Copies=1 Quality=0 Position=4 "
                    "Scale=4 Orientation=0 X=0 Y=0 ZoomX=0 ZoomY=0 ZoomXY=0 Width=430 Height=374 Size=0 "
                    "BkColor=65280 UseBkColor=0 SizeX=10000 SizeY=15000 SizeLock=1 SizeFill=0 Poster=0 "
                    "PosterOverlap=1000 Printer= Paper= ");
    Platform().SetColourDialog(std::move(oldColours));
    Platform().SetPrinter(std::move(oldPrinter));
    Platform().SetMessageBox(std::move(oldBoxes));
}

// Each of the stored settings comes back at start, where the user
// sees it, and goes back to the file at the end; every number differs from
// the others, so two swapped fields show.
TEST(MainWindow, StoredSettingsComeBackAtStartAndGoBackAtTheEnd)
{
    auto oldPrinter = Platform().SetPrinter(std::make_unique<TRecordingPrinter>());
    using TShown = int (*)(TForm1&);
    const struct {
        const char* Key;
        int Value;
        TShown Shown;
    } keys[] = {
        {"AutoClose", 0, [](TForm1& w) { return int(w.Workspace()->Info().AutoClose); }},
        {"AutoPrint", 1, [](TForm1& w) { return int(w.Workspace()->Info().AutoPrint); }},
        {"ToolbarOnTop", 1, [](TForm1& w) { return int(w.PanelOnTop()); }},
        {"ShowButtonbar", 0, [](TForm1& w) { return int(w.ButtonBarVisible()); }},
        {"Copies", 7, [](TForm1& w) { return w.Workspace()->Info().Copies; }},
        {"Quality", 2, [](TForm1& w) { return int(w.Workspace()->Info().Quality); }},
        {"Position", 5, [](TForm1& w) { return int(w.Workspace()->Info().Position); }},
        {"Scale", 4, [](TForm1& w) { return int(w.Workspace()->Info().Scale); }},
        {"Orientation", 1, [](TForm1& w) { return int(w.Workspace()->Info().Orientation); }},
        {"X", -123, [](TForm1& w) { return int(w.Workspace()->Info().X); }},
        {"Y", 456, [](TForm1& w) { return int(w.Workspace()->Info().Y); }},
        {"ZoomX", 25, [](TForm1& w) { return int(w.Workspace()->Info().ZoomX); }},
        {"ZoomY", -50, [](TForm1& w) { return int(w.Workspace()->Info().ZoomY); }},
        {"ZoomXY", 300, [](TForm1& w) { return int(w.Workspace()->Info().ZoomXY); }},
        {"Width", 640, [](TForm1& w) { return w.width(); }},
        {"Height", 480, [](TForm1& w) { return w.height(); }},
        {"Size", 1, [](TForm1& w) { return w.Workspace()->Info().PreviewSize; }},
        {"BkColor", 0x336699, [](TForm1& w) { return int(w.Workspace()->Info().BkColor); }},
        {"UseBkColor", 1, [](TForm1& w) { return w.Workspace()->Info().UseBkColor; }},
        {"SizeX", 8890, [](TForm1& w) { return int(w.Workspace()->Info().SizeX); }},
        {"SizeY", 12700, [](TForm1& w) { return int(w.Workspace()->Info().SizeY); }},
        {"SizeLock", 0, [](TForm1& w) { return int(w.Workspace()->Info().SizeLock); }},
        {"SizeFill", 1, [](TForm1& w) { return int(w.Workspace()->Info().SizeFill); }},
        {"Poster", 1, [](TForm1& w) { return int(w.Workspace()->Info().Poster); }},
        {"PosterOverlap", 550, [](TForm1& w) { return int(w.Workspace()->Info().PosterOverlap); }},
    };
    std::string stored = "[Settings]\n";
    for (const auto& key : keys)
        stored += std::string(key.Key) + "=" + std::to_string(key.Value) + "\n";
    // The printer and its paper: the recording printer's second paper.
    stored += "Printer=Recording Printer\nPaper=na_letter_8.5x11in\n";
    const std::string settingsFile = TSettingsFile::SettingsFileName("INI");
    ASSERT_TRUE(WriteWholeFile(settingsFile, stored));
    {
        TForm1 window(TCommandLine{});
        for (const auto& key : keys)
            EXPECT_EQ(key.Shown(window), key.Value) << key.Key;
        EXPECT_EQ(Platform().Printer().PaperName(), "na_letter_8.5x11in");
        window.close();
        QTest::qWait(20);
    }
    EXPECT_EQ(ReadWholeFile(settingsFile), stored);
    Platform().SetPrinter(std::move(oldPrinter));
}

// The settings are read once, before the program chooses between a window
// and an unattended print. The window goes by the values it was handed,
// even when the file has changed since, and a print that Auto Print starts
// from its command line ends the run and leaves the file as it was.
TEST(MainWindow, GoesByTheSettingsItWasHanded)
{
    auto* printer = new TRecordingPrinter;
    auto oldPrinter = Platform().SetPrinter(std::unique_ptr<IPrinter>(printer));
    auto oldBoxes = Platform().SetMessageBox(std::make_unique<TRecordingMessageBox>());
    const std::string picture = MakeTempFolder("handed") + "picture.bmp";
    ASSERT_TRUE(QImage(40, 20, QImage::Format_RGB32).save(QString::fromStdString(picture)));
    const std::string settingsFile = TSettingsFile::SettingsFileName("INI");
    const struct {
        const char* Shows;
        int HandedAutoPrint;
        std::string OnDisk;
        std::size_t Jobs;
        bool Ends;
        std::string Saved; // the Settings section afterwards
    } cases[] = {
        {"the file asks for Auto Print since: the window opens the picture and waits", 0,
         "[Settings]\nAutoPrint=1\nCopies=3\n", 0, false, "AutoPrint=0 Copies=2"},
        {"handed Auto Print: two copies printed, the run ends, the file untouched", 1,
         "[Settings]\nAutoPrint=0\nCopies=3\n", 1, true, "AutoPrint=0 Copies=3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        printer->Jobs.clear();
        ASSERT_TRUE(WriteWholeFile(settingsFile, c.OnDisk));
        TStoredSettings handed;
        handed.Print.AutoPrint = c.HandedAutoPrint != 0;
        handed.Print.Copies = 2;
        {
            TForm1 window(ParseCommandLine({picture}), handed);
            EXPECT_EQ(window.Workspace()->Picture().Bitmap().width(), 40);
            ASSERT_EQ(printer->Jobs.size(), c.Jobs);
            if (c.Jobs) {
                EXPECT_EQ(printer->Jobs[0].Copies, 2) << "the handed count, not the file's";
            }
            EXPECT_EQ(window.ShuttingDown(), c.Ends);
            if (!c.Ends)
                window.close();
            QTest::qWait(20);
            EXPECT_EQ(window.Workspace(), nullptr) << "the run has ended";
        }
        std::string saved;
        for (const auto& [name, value] : TIniFile(settingsFile).ReadSection("Settings"))
            if (name == "AutoPrint" || name == "Copies")
                saved += (saved.empty() ? "" : " ") + name + "=" + value;
        EXPECT_EQ(saved, c.Saved);
    }
    Platform().SetMessageBox(std::move(oldBoxes));
    Platform().SetPrinter(std::move(oldPrinter));
}

// The ppi panel: the picture's pixels per inch on paper, across and then
// down, on an orange ground below 150 on either side. Stretched to an
// 8 x 11 inch page (600 dpi, 4800 x 6600 dots).
TEST(MainWindow, PrintResolutionPanel)
{
    auto oldPrinter = Platform().SetPrinter(std::make_unique<TRecordingPrinter>());
    QFile::remove(QString::fromStdString(TSettingsFile::SettingsFileName("INI")));
    const std::string folder = MakeTempFolder("ppi");
    const struct {
        QSize Picture;
        const char* Shown;
        bool Orange;
    } cases[] = {
        {{1200, 1650}, "150 ppi", false},
        {{1192, 1650}, "149 x 150 ppi", true},
        {{1200, 1639}, "150 x 149 ppi", true},
        {{2400, 1650}, "300 x 150 ppi", false},
        {{1200, 3300}, "150 x 300 ppi", false},
        {{800, 3300}, "100 x 300 ppi", true},
    };
    TForm1 window(TCommandLine{});
    window.resize(900, 400); // room for the whole texts
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    TPrintWorkspaceInfo info = window.Workspace()->Info();
    info.Scale = psFitToPage;
    window.Workspace()->ApplyInfo(info);
    const QColor orange(255, 165, 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shown);
        const std::string picture =
            folder + std::to_string(c.Picture.width()) + "x" + std::to_string(c.Picture.height()) + ".bmp";
        QImage image(c.Picture, QImage::Format_RGB888);
        image.fill(Qt::white);
        ASSERT_TRUE(image.save(QString::fromStdString(picture)));
        ASSERT_TRUE(window.Commands()->LoadPicture(picture));
        QTest::qWait(10);
        QLabel* panel = window.StatusPanel(6);
        EXPECT_EQ(panel->text().toStdString(), c.Shown);
        const QImage shot = panel->grab().toImage();
        const QColor ground = shot.pixelColor(shot.width() / 2, 2);
        EXPECT_EQ(ground == orange, c.Orange) << ground.name().toStdString();
    }
    Platform().SetPrinter(std::move(oldPrinter));
}

// The menus and the status bar as the user finds them: which of the rule-
// bound items are enabled (in its opened menu and on the button bar alike),
// which carry a check mark, and what status panels 1 to 5 say, after a
// start with stored settings and a few commands.
TEST(MainWindow, MenusAndStatusBarFollowTheState)
{
    auto* printer = new TRecordingPrinter;
    printer->PortraitWidth = 2400; // 203 x 254 mm at 300 dpi
    printer->PortraitHeight = 3000;
    printer->ResolutionX = printer->ResolutionY = 300;
    auto oldPrinter = Platform().SetPrinter(std::unique_ptr<IPrinter>(printer));
    auto* clipboard = new TRecordingClipboard;
    auto oldClipboard = Platform().SetClipboard(std::unique_ptr<IClipboard>(clipboard));
    auto oldBoxes = Platform().SetMessageBox(std::make_unique<TRecordingMessageBox>());
    const std::string picture = MakeTempFolder("menus") + "picture.bmp";
    QImage red(40, 20, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(QString::fromStdString(picture)));
    const std::string options = "AutoClose=1\nAutoPrint=1\nToolbarOnTop=1\nSize=1\nUseBkColor=1\nOrientation=1\n"
                                "Scale=3\nQuality=2\nPoster=1\n";
    const std::string plain = "Actual Size|Top Left|Portrait|Low"; // a key the file lacks reads as 0
    const struct {
        const char* Shows;
        std::string Settings;
        bool Picture, PrinterPresent, ClipboardPicture;
        std::int64_t AllocationLimit; // 0: none
        std::vector<const char*> Commands;
        std::string Enabled, Checked, Panels;
        std::string Lists; // the settings bar: scale, position, orientation, quality
    } cases[] = {
        {"nothing loaded, no printer", "", false, false, false, 0, {}, "", "ButtonBar1 Bottom1 Overall1",
         "No Printer|1 copy|||100%", plain},
        {"a picture placed by hand, a picture to paste", "Position=5\n", true, true, true, 0, {},
         "Print1 PrinterSetup1 Paste1 Center1", "ButtonBar1 Bottom1 Overall1", "203mm x 254mm|1 copy|||100%",
         "Actual Size|Custom|Portrait|Low"},
        {"an edit to undo; centred, so nothing to centre", "Position=4\n", true, true, false, 0, {"N901"},
         "Print1 PrinterSetup1 Undo1", "ButtonBar1 Bottom1 Overall1", "203mm x 254mm|1 copy|||100%",
         "Actual Size|Center|Portrait|Low"},
        {"stored options carry their marks", options, false, true, false, 0, {}, "PrinterSetup1",
         "AutoClose1 AutoPrint1 Poster1 ButtonBar1 Top1 CloseUp1 U1", "254mm x 203mm|1 copy|Auto Close|Auto Print|100%",
         "As Is|Top Left|Landscape|High"},
        {"the commands move the marks", options, false, true, false, 0,
         {"AutoClose1", "Bottom1", "Overall1", "U1", "ButtonBar1", "Poster1"}, "PrinterSetup1", "AutoPrint1 Bottom1 Overall1",
         "254mm x 203mm|1 copy||Auto Print|100%", "As Is|Top Left|Landscape|High"},
        {"a print that had to shrink its page", "", true, true, false, 3000000, {"Print1"},
         "Print1 PrinterSetup1", "ButtonBar1 Bottom1 Overall1", "203mm x 254mm|1 copy|||80%", plain},
    };
    const char* const ruled[] = {"Print1", "PrinterSetup1", "Undo1", "Paste1", "Center1"};
    const char* const marked[] = {"AutoClose1", "AutoPrint1", "Poster1", "ButtonBar1", "Top1",
                                  "Bottom1",    "Overall1",   "CloseUp1",   "U1"};
    const auto add = [](std::string& list, const char* name, const char* between = " ") {
        if (!list.empty())
            list += between;
        list += name;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        // Wide enough for every status text in its whole form.
        WriteWholeFile(TSettingsFile::SettingsFileName("INI"),
                       "[Settings]\nShowButtonbar=1\nWidth=640\nHeight=480\n" + c.Settings);
        printer->Names = c.PrinterPresent ? std::vector<std::string>{"Recording Printer"} : std::vector<std::string>{};
        printer->AllocationLimit = c.AllocationLimit > 0 ? c.AllocationLimit : std::numeric_limits<std::int64_t>::max();
        clipboard->Content = c.ClipboardPicture ? red : QImage();
        TForm1 window(ParseCommandLine(c.Picture ? std::vector<std::string>{picture} : std::vector<std::string>{}));
        window.show();
        for (const char* command : c.Commands)
            window.MenuAction(command)->trigger();
        QTest::qWait(600); // the bar's 500 ms refresh
        for (QMenu* menu : window.findChildren<QMenu*>())
            Q_EMIT menu->aboutToShow();
        std::string enabled, bar, checked, panels, lists;
        for (const char* name : ruled) {
            if (window.MenuAction(name)->isEnabled())
                add(enabled, name);
            for (int i = 0; i < int(BarEntries().size()); ++i)
                if (BarEntries()[i].MenuEntry == std::string(name) && window.ButtonBar()->ButtonEnabled(i))
                    add(bar, name);
        }
        for (const char* name : marked)
            if (window.MenuAction(name)->isChecked())
                add(checked, name);
        for (int i = 0; i < 5; ++i) {
            panels += i ? "|" : "";
            panels += window.StatusPanel(i)->text().toStdString();
        }
        for (const char* list : {"ScaleList", "PositionList", "OrientationList", "QualityList"})
            add(lists, window.findChild<QComboBox*>(list)->currentText().toUtf8().constData(), "|");
        EXPECT_EQ(enabled, c.Enabled) << "in the menus";
        EXPECT_EQ(bar, c.Enabled) << "on the bar";
        EXPECT_EQ(checked, c.Checked);
        EXPECT_EQ(panels, c.Panels);
        EXPECT_EQ(lists, c.Lists);
    }
    Platform().SetPrinter(std::move(oldPrinter));
    Platform().SetClipboard(std::move(oldClipboard));
    Platform().SetMessageBox(std::move(oldBoxes));
}

// Every menu item that has a letter in its caption has a mnemonic, unless
// its English caption is written without one ("Additional Resources...";
// a translation may still give it one), and no two items of one menu (nor
// two menus of the bar) share one.
void ExpectUniqueMnemonics(const QList<QAction*>& items, const std::string& menu)
{
    std::set<QChar> taken;
    for (const QAction* item : items) {
        const QString text = item->text();
        if (item->isSeparator() || !text.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))))
            continue;
        const int entry = FindMenuEntry((item->menu() ? item->menu()->objectName() : item->objectName()).toStdString());
        ASSERT_GE(entry, 0) << text.toStdString();
        const bool writtenWithOne = std::strchr(MenuEntries()[entry].Caption, '&') != nullptr;
        const QKeySequence mnemonic = QKeySequence::mnemonic(text);
        if (writtenWithOne) {
            EXPECT_FALSE(mnemonic.isEmpty()) << menu << ": " << text.toStdString();
        }
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        if (at >= 0 && at + 1 < text.size()) {
            EXPECT_TRUE(taken.insert(text[at + 1].toUpper()).second) << menu << ": " << text.toStdString();
        }
        if (item->menu())
            ExpectUniqueMnemonics(item->menu()->actions(), text.toStdString());
    }
}

// At the least window size, in English and in German, with Auto Close and
// Auto Print on and both zoom bars shown: no status text is cut, no control
// of the settings bar leaves the window, and the menus speak the language.
TEST(MainWindow, EverythingFitsTheLeastSizeInEachLanguage)
{
    auto* printer = new TRecordingPrinter;
    auto oldPrinter = Platform().SetPrinter(std::unique_ptr<IPrinter>(printer));
    const std::string installed = TLanguage::LanguageFileName();
    const std::string picture = MakeTempFolder("fit") + "picture.bmp";
    ASSERT_TRUE(QImage(40, 20, QImage::Format_RGB32).save(QString::fromStdString(picture)));
    const struct {
        const char* Name;
        std::string LanguageFile;
        Qt::Key FileMnemonic;
        const char* OpenShortcut;
        const char* CopyCommand;
        const char* OneCopy;
        const char* UndoRotate;
        const char* AdditionalResources; // written without a mnemonic, so translated without one
        const char* Silent, *SilentShort; // the first panel while the print server is silent
    } languages[] = {
        {"English", "", Qt::Key_F, "Ctrl+O", "&Copy", "1 copy", "&Undo Rotate", "Additional Resources...",
         "The print server does not answer: printhost", "No answer"},
        {"German", std::string(ORVANTO_BINARY_DIR) + "/languages/de.llf", Qt::Key_D, "Strg+O", "&Kopieren",
         "1 Kopie", "Drehen &rückgängig machen", "Weitere Ressourcen...",
         "Der Druckserver antwortet nicht: printhost", "Keine Antwort"},
    };
    for (const auto& language : languages) {
        SCOPED_TRACE(language.Name);
        std::remove(installed.c_str());
        if (!language.LanguageFile.empty()) {
            ASSERT_TRUE(WriteWholeFile(installed, ReadWholeFile(language.LanguageFile)));
        }
        FreeLanguage();
        ForgetWorkspaceDisplayNames();
        // The zoom and edge rows (scale Custom), then the size row with the
        // poster's overlap (scale Exact Size, a photo size picked).
        const struct {
            const char* Settings;
            std::vector<const char*> Shown;
        } layouts[] = {
            {"Scale=4\nPosition=5\n", {"VerticalZoomBar", "TopEdgeBox"}},
            {"Scale=6\nPosition=5\nPoster=1\nSizeLock=1\n",
             {"SizeWidthBox", "SizeHeightBox", "SizeLock", "PhotoSizeList", "FillList", "PosterBox", "OverlapBox",
              "TopEdgeBox"}},
        };
        for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.Settings);
        WriteWholeFile(TSettingsFile::SettingsFileName("INI"),
                       std::string("[Settings]\nAutoClose=1\nAutoPrint=1\nCopies=2\nWidth=430\nHeight=300\n")
                           + layout.Settings);
        TForm1 window(TCommandLine{}); // a picture named here would print at once
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ASSERT_TRUE(window.Commands()->LoadPicture(picture));
        if (auto* sizes = window.findChild<QComboBox*>("PhotoSizeList"); sizes && sizes->isVisible()) {
            sizes->setCurrentIndex(2); // 10 x 15 cm
            Q_EMIT sizes->activated(2);
        }
        QTest::qWait(20);
        ASSERT_EQ(window.size(), QSize(430, 300));
        ExpectStatusPanelsFit(window);
        {
            // After a print the message is long: it ends in "…", whole in
            // its tooltip, and the others keep their texts.
            const std::string printed = "Printed on Fotodrucker im Arbeitszimmer";
            window.ShowStatusText(printed);
            QTest::qWait(20);
            ExpectStatusPanelsFit(window);
            EXPECT_EQ(window.StatusPanel(5)->toolTip().toStdString(), printed);
            EXPECT_TRUE(window.StatusPanel(5)->text().endsWith(QChar(0x2026)));
        }
        // However short the numbers get, they keep what they count in.
        EXPECT_TRUE(window.StatusPanel(0)->text().contains("mm")) << window.StatusPanel(0)->text().toStdString();
        EXPECT_TRUE(window.StatusPanel(6)->text().endsWith("ppi")) << window.StatusPanel(6)->text().toStdString();
        const QWidget* panel = window.findChild<QWidget*>("SettingsPanel");
        ASSERT_NE(panel, nullptr);
        for (const char* name : layout.Shown)
            ASSERT_TRUE(window.findChild<QWidget*>(name)->isVisible()) << name;
        for (const QWidget* control : panel->findChildren<QWidget*>()) {
            if (!control->isVisibleTo(&window))
                continue;
            const QRect at(control->mapTo(&window, QPoint(0, 0)), control->size());
            EXPECT_TRUE(window.rect().contains(at)) << control->objectName().toStdString();
            // The controls of the panel and of its size row; the row itself holds them.
            const QWidget* parent = control->parentWidget();
            const bool row = control->objectName() == "SizeRow";
            if (!qobject_cast<const QLabel*>(control) && !row
                && (parent == panel || parent->objectName() == "SizeRow")) {
                EXPECT_TRUE(control->focusPolicy() & Qt::TabFocus) << "Tab reaches " << control->objectName().toStdString();
            }
        }
        if (std::string(layout.Settings).find("Scale=6") != std::string::npos) {
            EXPECT_EQ(window.Workspace()->Info().SizeX, 15000) << "10 x 15 cm turned to the wide picture";
            EXPECT_EQ(window.Workspace()->Info().SizeY, 10000);
            if (std::getenv("ORVANTO_SHOTS"))
                window.grab().save(QString("%1/exact-size-%2.png").arg(std::getenv("ORVANTO_SHOTS"), language.Name));
            continue;
        }
        ExpectUniqueMnemonics(window.menuBar()->actions(), "menu bar");
        QTest::keyClick(&window, language.FileMnemonic, Qt::AltModifier);
        QMenu* file = window.findChild<QMenu*>("File1");
        EXPECT_TRUE(file->isVisible()) << "Alt and the mnemonic open the File menu";
        file->close();
        EXPECT_EQ(window.MenuAction("Open1")->shortcut().toString(QKeySequence::NativeText).toStdString(),
                  language.OpenShortcut);
        EXPECT_EQ(window.MenuAction("Copy1")->text().toStdString(), language.CopyCommand);
        EXPECT_EQ(window.MenuAction("AdditionalResources1")->text().toStdString(), language.AdditionalResources);
        TPrintWorkspaceInfo one = window.Workspace()->Info();
        one.Copies = 1;
        window.Workspace()->ApplyInfo(one);
        const QLabel* copies = window.StatusPanel(1); // shortened to "1×" where room is short, whole as tooltip
        EXPECT_EQ((copies->toolTip().isEmpty() ? copies->text() : copies->toolTip()).toStdString(), language.OneCopy);
        // A silent server in the least window: a short form that still says
        // why, never "No Printer", the whole text as its tooltip.
        printer->Server = TServerState::Silent;
        ++printer->FactsGeneration;
        window.RefreshButtons();
        QTest::qWait(20);
        EXPECT_EQ(window.StatusPanel(0)->text().toStdString(), language.SilentShort);
        EXPECT_EQ(window.StatusPanel(0)->toolTip().toStdString(), language.Silent);
        ExpectStatusPanelsFit(window);
        printer->Server = TServerState::Answers;
        ++printer->FactsGeneration;
        window.RefreshButtons();
        window.MenuAction("N901")->trigger();
        Q_EMIT window.findChild<QMenu*>("Image2")->aboutToShow();
        EXPECT_EQ(window.MenuAction("Undo1")->text().toStdString(), language.UndoRotate);
        }
    }
    std::remove(installed.c_str());
    FreeLanguage();
    ForgetWorkspaceDisplayNames();
    for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    QLocale::setDefault(QLocale::system());
    Platform().SetPrinter(std::move(oldPrinter));
}

// Qt hands drops only to a drag in progress's target: call the handler.
struct TDropTarget : TForm1 {
    using TForm1::TForm1;
    void Drop(QDropEvent* event) { dropEvent(event); }
};

// A damaged size asks for no more than the screen, nor less than the
// minimum; a picture dropped on the window opens.
TEST(MainWindow, StoredSizeIsBoundedAndDroppedFilesOpen)
{
    WriteWholeFile(TSettingsFile::SettingsFileName("INI"), "[Settings]\nWidth=2000000000\nHeight=100\n");
    const std::string picture = MakeTempFolder("drop") + "dropped.bmp";
    ASSERT_TRUE(QImage(30, 10, QImage::Format_RGB32).save(QString::fromStdString(picture)));
    TDropTarget window(TCommandLine{});
    EXPECT_LE(window.width(), QGuiApplication::primaryScreen()->availableGeometry().width());
    EXPECT_EQ(window.height(), 300);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(picture))});
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    window.Drop(&drop);
    QTest::qWait(20);
    EXPECT_EQ(window.Workspace()->Picture().Bitmap().width(), 30);
}

} // namespace

namespace {

// What the window shows as the print system changes under it, read from the
// printer's facts at the next refresh.
TEST(MainWindow, ThePrintSystemsStateReachesTheWindow)
{
    auto* printer = new TRecordingPrinter;
    printer->PortraitWidth = 2400;
    printer->PortraitHeight = 3000;
    printer->ResolutionX = printer->ResolutionY = 300;
    auto oldPrinter = Platform().SetPrinter(std::unique_ptr<IPrinter>(printer));
    auto oldBoxes = Platform().SetMessageBox(std::make_unique<TRecordingMessageBox>());
    const std::string picture = MakeTempFolder("print-system") + "picture.bmp";
    QImage red(40, 20, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(QString::fromStdString(picture)));
    WriteWholeFile(TSettingsFile::SettingsFileName("INI"), "[Settings]\nShowButtonbar=1\nWidth=900\nHeight=480\n");
    TForm1 window(ParseCommandLine({picture}));
    window.show();
    int printIndex = -1;
    for (int i = 0; i < int(BarEntries().size()); ++i)
        if (BarEntries()[i].MenuEntry == std::string("Print1"))
            printIndex = i;
    ASSERT_GE(printIndex, 0);
    const struct {
        const char* Shows;
        std::function<void(TRecordingPrinter&)> Change;
        std::string FirstPanel;
        bool PrintEnabled;
        std::string PrintHint; // the bar button's tooltip
        std::string Status;    // the last panel; empty: unchanged
        bool SetupEnabled = true; // Printer Setup opens, or says why it waits
    } cases[] = {
        {"before the first answer", [](TRecordingPrinter& p) { p.Server = TServerState::Asking; },
         "Looking for printers…", false, "Print\nLooking for printers…", ""},
        {"a silent server", [](TRecordingPrinter& p) { p.Server = TServerState::Silent; },
         "The print server does not answer: printhost", false,
         "Print\nThe print server does not answer: printhost", ""},
        {"it answers again", [](TRecordingPrinter& p) { p.Server = TServerState::Answers; }, "203mm x 254mm",
         true, "Print", ""},
        {"the printer stops with a reason",
         [](TRecordingPrinter& p) {
             p.Stopped = true;
             p.Reasons = {"paused"};
             p.StateMessage = "out of paper";
         },
         "203mm x 254mm", true, "Print", "Printer Recording Printer stopped: out of paper"},
        {"a job waits on it",
         [](TRecordingPrinter& p) {
             p.Job.Phase = TJobPhase::Stopped;
             p.Job.Printer = "Recording Printer";
             p.Job.Problem = TPrinterProblem::OutOfPaper;
             ++p.Job.Generation;
         },
         "203mm x 254mm", true, "Print", "Printer Recording Printer stopped: out of paper"},
        {"the job is printed",
         [](TRecordingPrinter& p) {
             p.Stopped = false;
             p.Reasons.clear();
             p.Job.Phase = TJobPhase::Printed;
             ++p.Job.Generation;
         },
         "203mm x 254mm", true, "Print", "Printed on Recording Printer"},
        {"no print system at all", [](TRecordingPrinter& p) { p.Server = TServerState::Unreachable; },
         "No Printer", false, "Print\nNo printer: add one in the system's printer settings", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        const std::string before = window.StatusPanel(5)->toolTip().isEmpty()
            ? window.StatusPanel(5)->text().toStdString()
            : window.StatusPanel(5)->toolTip().toStdString();
        c.Change(*printer);
        ++printer->FactsGeneration;
        QTest::qWait(600); // the 500 ms refresh
        for (QMenu* menu : window.findChildren<QMenu*>())
            Q_EMIT menu->aboutToShow();
        EXPECT_EQ(window.StatusPanel(0)->text().toStdString(), c.FirstPanel);
        EXPECT_EQ(window.ButtonBar()->ButtonEnabled(printIndex), c.PrintEnabled);
        EXPECT_EQ(window.MenuAction("Print1")->isEnabled(), c.PrintEnabled);
        EXPECT_EQ(window.MenuAction("PrinterSetup1")->isEnabled(), c.SetupEnabled);
        EXPECT_EQ(window.ButtonBar()->ButtonCaption(printIndex), c.PrintHint);
        const QLabel* last = window.StatusPanel(5);
        const std::string status = (last->toolTip().isEmpty() ? last->text() : last->toolTip()).toStdString();
        EXPECT_EQ(status, c.Status.empty() ? before : c.Status);
    }
    // Esc asks the print system to cancel a job that has not ended, and
    // only such a job.
    printer->Job.Phase = TJobPhase::Printing;
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(printer->CancelCalls, 1);
    printer->Job.Phase = TJobPhase::Printed;
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(printer->CancelCalls, 1);
    Platform().SetPrinter(std::move(oldPrinter));
    Platform().SetMessageBox(std::move(oldBoxes));
}

} // namespace

namespace {

// While the page is drawn the window keeps its event loop: it paints, takes
// Esc and its close button. The printer holds the job's worker at the start
// of the job until the window has shown that much, so a print that ran in
// the window's thread would never be let go in time.
TEST(MainWindow, TheWindowTurnsWhileThePageIsDrawn)
{
    const std::string picture = MakeTempFolder("drawn") + "picture.bmp";
    QImage photo(1200, 800, QImage::Format_RGB32);
    photo.fill(QColor(30, 120, 200));
    ASSERT_TRUE(photo.save(QString::fromStdString(picture)));
    enum class TAct { Nothing, Escape, Close };
    const struct {
        const char* Shows;
        TAct Act;
        std::string Meanwhile; // the last panel while the job was held
        bool Printed;          // the page reached the print system
        std::string After;     // the last panel once Print returned
        std::string AtHandOver; // the last panel as the page was handed over; none: never
    } cases[] = {
        {"the page goes through", TAct::Nothing, "Working... 10%", true, "Printing on Recording Printer…",
         "Working... 90%"},
        {"Esc drops the page being drawn", TAct::Escape, "Working... 10%", false, "Job cancelled", ""},
        {"closing waits for the page and says so", TAct::Close,
         "Waiting until the print job has reached the print system…", true, "",
         "Waiting until the print job has reached the print system…"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Shows);
        auto* printer = new TRecordingPrinter;
        auto oldPrinter = Platform().SetPrinter(std::unique_ptr<IPrinter>(printer));
        auto oldBoxes = Platform().SetMessageBox(std::make_unique<TRecordingMessageBox>());
        WriteWholeFile(TSettingsFile::SettingsFileName("INI"), "[Settings]\nWidth=900\nHeight=480\nQuality=2\n");
        auto window = std::make_unique<TForm1>(ParseCommandLine({picture}));
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        TEventCounter paints(*window->StatusPanel(5), QEvent::Paint);
        std::atomic<bool> released{false}, atHandOver{false}, handOverSeen{false};
        bool heldUntilReleased = false;
        printer->OnCall = [&](const std::string& call) {
            if (call != "BeginDoc" && call != "EndDoc")
                return;
            std::atomic<bool>& until = call == "BeginDoc" ? released : handOverSeen;
            atHandOver = call == "EndDoc";
            for (int i = 0; i < 500 && !until; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (call == "BeginDoc")
                heldUntilReleased = released;
        };
        const auto lastPanel = [&window] {
            const QLabel* last = window->StatusPanel(5);
            return (last->toolTip().isEmpty() ? last->text() : last->toolTip()).toStdString();
        };
        int paintsMeanwhile = 0;
        std::string meanwhile, handingOver;
        // A few turns after the worker reached the hand-over, so that the
        // progress it made by then has been shown.
        QTimer poll;
        int turnsSinceHandOver = 0;
        QObject::connect(&poll, &QTimer::timeout, window.get(), [&] {
            if (!atHandOver || ++turnsSinceHandOver < 3)
                return;
            handingOver = lastPanel();
            handOverSeen = true;
            poll.stop();
        });
        poll.start(10);
        QTimer::singleShot(50, window.get(), [&] {
            paints.Count = 0;
            window->StatusPanel(5)->update(); // painted only by a turning event loop
            if (c.Act == TAct::Close)
                window->close();
        });
        QTimer::singleShot(250, window.get(), [&] {
            paintsMeanwhile = paints.Count;
            meanwhile = lastPanel();
            if (c.Act == TAct::Escape)
                QTest::keyClick(window.get(), Qt::Key_Escape);
            released = true;
        });
        EXPECT_TRUE(window->Commands()->Dispatch(FindMenuEntry("Print1")));
        EXPECT_TRUE(heldUntilReleased) << "the window's thread turned while the job was held";
        EXPECT_GT(paintsMeanwhile, 0);
        EXPECT_EQ(meanwhile, c.Meanwhile);
        EXPECT_EQ(handingOver, c.AtHandOver);
        ASSERT_EQ(printer->Jobs.size(), 1u);
        EXPECT_EQ(printer->Jobs[0].Ended, c.Printed);
        EXPECT_EQ(printer->Jobs[0].Aborted, !c.Printed) << "nothing of a dropped page prints";
        EXPECT_EQ(printer->Jobs[0].Stretches.size(), c.Printed ? 1u : 0u);
        if (c.Act == TAct::Close) {
            // The program ends once the page is handed over, not before.
            for (int i = 0; i < 100 && window->Workspace(); ++i)
                QTest::qWait(20);
            EXPECT_EQ(window->Workspace(), nullptr);
        } else {
            EXPECT_EQ(lastPanel(), c.After);
            EXPECT_FALSE(window->IsBusy());
            window->Shutdown();
            QTest::qWait(50);
        }
        printer->OnCall = nullptr;
        window.reset();
        Platform().SetPrinter(std::move(oldPrinter));
        Platform().SetMessageBox(std::move(oldBoxes));
    }
}

// The real printer service against servers that keep its watcher waiting:
// the window is up, says it is looking for printers, and handles a key at
// once while the watcher is still blocked on the server.
TEST(MainWindow, HandlesKeysWhileThePrinterWatcherWaits)
{
    const struct {
        const char* Name;
        TFakePrintServer::TMode Mode;
    } cases[] = {
        {"a server that never answers", TFakePrintServer::TMode::Silent},
        {"a server that takes half a minute a request", TFakePrintServer::TMode::Slow},
    };
    const std::string picture = MakeTempFolder("watcher-waits") + "picture.bmp";
    QImage blue(40, 20, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    ASSERT_TRUE(blue.save(QString::fromStdString(picture)));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TFakePrintServer server(c.Mode, std::chrono::seconds(30));
        TServerEnvironment environment(server.Address());
        auto oldPrinter = Platform().SetPrinter(std::make_unique<TQtPrinter>());
        WriteWholeFile(TSettingsFile::SettingsFileName("INI"),
                       "[Settings]\nWidth=900\nHeight=480\nUseBkColor=1\n");
        {
            TForm1 window(ParseCommandLine({picture}));
            window.show();
            window.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
            for (int i = 0; i < 250 && server.Seen() == 0; ++i)
                QTest::qWait(20);
            ASSERT_GT(server.Seen(), 0) << "the watcher is waiting on the server";
            EXPECT_EQ(window.StatusPanel(0)->text().toStdString(), "Looking for printers…");
            EXPECT_EQ(window.Workspace()->Info().UseBkColor, 1);
            const auto pressed = std::chrono::steady_clock::now();
            QTest::keyClick(&window, Qt::Key_F5); // use background colour off
            EXPECT_EQ(window.Workspace()->Info().UseBkColor, 0);
            EXPECT_LT(std::chrono::steady_clock::now() - pressed, std::chrono::milliseconds(100));
            EXPECT_EQ(Platform().Printer().Facts().Server, TServerState::Asking) << "still waiting";
            window.Shutdown();
        }
        Platform().SetPrinter(std::move(oldPrinter));
    }
}

} // namespace

namespace {

// Until the server first answers, the page is the stored printer's paper as
// it was last seen; the window keeps the facts of each answer for the next
// start.
TEST(MainWindow, TheFirstLayoutIsTheStoredPrintersPaper)
{
    TPrinterFacts letter;
    letter.Server = TServerState::Answers;
    letter.Current = "Letter300";
    letter.Media = "na_letter_8.5x11in";
    letter.DpiX = letter.DpiY = 300;
    letter.PaperWidth = 21590;
    letter.PaperHeight = 27940;
    const struct {
        const char* Name;
        TFakePrintServer::TMode Mode;
        std::string Stored; // the settings' printer
        int Dpi;
        double Aspect;      // the page's height by its width
        std::string FirstPanel;
    } cases[] = {
        {"the stored printer, a silent server", TFakePrintServer::TMode::Silent, "Letter300", 300, 11 / 8.5,
         "The print server does not answer: "},
        {"another printer stored, a slow server", TFakePrintServer::TMode::Slow, "Other", 600, 297.0 / 210,
         "Looking for printers…"},
    };
    const std::string picture = MakeTempFolder("first-layout") + "picture.bmp";
    QImage green(40, 20, QImage::Format_RGB32);
    green.fill(Qt::green);
    ASSERT_TRUE(green.save(QString::fromStdString(picture)));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        ASSERT_TRUE(TPrinterFactsFile().Remember(letter));
        TFakePrintServer server(c.Mode, std::chrono::seconds(30));
        TServerEnvironment environment(server.Address());
        auto oldPrinter = Platform().SetPrinter(std::make_unique<TQtPrinter>(
            TQtPrinter::TTransfer::Jpeg, TPrinterFactsFile().StartingFacts(c.Stored)));
        WriteWholeFile(TSettingsFile::SettingsFileName("INI"),
                       "[Settings]\nWidth=900\nHeight=480\nPrinter=" + c.Stored + "\n");
        {
            TForm1 window(ParseCommandLine({picture}));
            window.show();
            const TPageLayout& layout = window.Workspace()->Layout();
            EXPECT_EQ(layout.PrinterDpiX(), c.Dpi);
            EXPECT_NEAR(double(layout.PageAspect()), c.Aspect, 0.001);
            EXPECT_NEAR(double(layout.PrintBitmapHeight()) / layout.PrintBitmapWidth(), c.Aspect, 0.001);
            EXPECT_LE(layout.PrintBitmapWidth(), c.Dpi == 300 ? 2550 : 4961);
            for (int i = 0; i < 400 && c.Mode == TFakePrintServer::TMode::Silent
                 && Platform().Printer().Facts().Server == TServerState::Asking;
                 ++i)
                QTest::qWait(25);
            QTest::qWait(600); // the 500 ms refresh
            EXPECT_EQ(window.StatusPanel(0)->text().toStdString(),
                      c.FirstPanel + (c.Mode == TFakePrintServer::TMode::Silent ? server.Address() : ""));
            window.Shutdown();
        }
        Platform().SetPrinter(std::move(oldPrinter));
    }
    // A server that answers: its printer's facts are kept for the next start.
    TFakePrintServer server(TFakePrintServer::TMode::Slow, std::chrono::milliseconds(0), "Answering");
    TServerEnvironment environment(server.Address());
    auto oldPrinter = Platform().SetPrinter(std::make_unique<TQtPrinter>());
    {
        TForm1 window(ParseCommandLine({picture}));
        window.show();
        for (int i = 0; i < 200 && TPrinterFactsFile().StartingFacts("Answering").Current.empty(); ++i)
            QTest::qWait(25);
        EXPECT_EQ(TPrinterFactsFile().StartingFacts("Answering").Current, "Answering");
        window.Shutdown();
    }
    Platform().SetPrinter(std::move(oldPrinter));
}

} // namespace

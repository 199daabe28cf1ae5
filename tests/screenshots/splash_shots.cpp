// Pictures of the splash over a starting window and of the about box, taken
// from the screen as a user would see them (run under Xvfb):
//   xvfb-run -a -s "-screen 0 1024x768x24" orvanto-splash-shots FOLDER
#include "app/startup/program_icon.h"
#include "app/startup/startup_extras.h"
#include "archive/help.h"
#include "platform/platform.h"
#include "platform/recording_shell.h"
#include "support/files/paths.h"
#include "ui/compact_splash.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

#include <cstdio>

using namespace orvanto;

namespace {

void Grab(const QString& fileName)
{
    QCoreApplication::processEvents();
    QApplication::primaryScreen()->grabWindow(0).save(fileName);
    std::printf("%s\n", qPrintable(fileName));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QApplication::setWindowIcon(ProgramIcon());

    // A window standing in for the main window while it starts.
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Orvanto"));
    for (const char* menu : {"&File", "&Edit", "&Picture", "&Print", "&Help"})
        window.menuBar()->addMenu(QString::fromLatin1(menu));
    window.statusBar()->showMessage(QStringLiteral("Starting..."));
    window.resize(820, 600);
    window.move(40, 40);
    window.show();

    TStartupExtras extras;
    if (!extras.PrepareSplash(false)) {
        std::fprintf(stderr, "%s\n", extras.LastError().c_str());
        return 1;
    }
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    Grab(folder + "/splash.png");
    extras.FinishSplash();

    QTimer::singleShot(800, [&] {
        Grab(folder + "/about.png");
        QApplication::postEvent(extras.Splash()->Form(),
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    });
    extras.ShowAbout();
    const bool aboutClosed = !extras.Splash()->Visible();

    // The rest of a start and an exit: the menu entry, and the help pages
    // unpacked for one F1 (the browser stands in) and gone at the end.
    const bool installed = extras.InstallMenuCopy(QCoreApplication::applicationFilePath().toStdString());
    std::printf("menu entry: %s%s\n", Paths()->MakerMenuFolder("Fennick", false).c_str(),
                installed ? "orvanto.desktop" : " (failed)");
    Platform().SetShell(std::make_unique<TRecordingShell>());
    extras.CreateHelp();
    const bool helped = extras.ShowHelp();
    const std::string helpFolder = extras.Help()->HelpFolder();
    std::printf("help shown: %d, %s exists: %d\n", int(helped), helpFolder.c_str(), int(FolderExists(helpFolder)));
    extras.Shutdown();
    std::printf("after exit %s exists: %d\n", helpFolder.c_str(), int(FolderExists(helpFolder)));
    return aboutClosed && installed && helped && !FolderExists(helpFolder) ? 0 : 1;
}

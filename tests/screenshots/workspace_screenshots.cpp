// Shows the workspace window with a picture and saves what it looks like,
// for looking at next to the desktop's other programs (run it under Xvfb):
//   workspace_screenshots picture.jpg out-folder/
// Writes overall.png, close-up.png, custom-scale.png and bar-on-top.png;
// then, loading the picture again in the background, quick-copy.png (what
// the window paints first, from the reduced copy) and whole.png (once the
// whole picture has come), which should look the same.
#include "platform/platform.h"
#include "platform/recording_printer.h"
#include "workspace/print_workspace.h"
#include "workspace/qt/print_workspace_window.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

#include <cstdio>
#include <memory>

using namespace orvanto;

namespace {

bool Save(QWidget& window, const QString& file)
{
    QTest::qWait(200);
    return window.grab().save(file);
}

void SetPreviewSize(TPrintWorkspace& workspace, int size)
{
    TPrintWorkspaceInfo info = workspace.Info();
    info.PreviewSize = size;
    workspace.ApplyInfo(info);
}

void Apply(TPrintWorkspace& workspace, int scale, std::int32_t zoomX, std::int32_t zoomY)
{
    TPrintWorkspaceInfo info = workspace.Info();
    info.Scale = TPrintScale(scale);
    info.ZoomX = zoomX;
    info.ZoomY = zoomY;
    workspace.ApplyInfo(info);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: workspace_screenshots picture out-folder/\n");
        return 2;
    }
    // A letter-sized page at 300 dpi, as a typical printer reports it.
    auto printer = std::make_unique<TRecordingPrinter>();
    printer->ResolutionX = printer->ResolutionY = 300;
    printer->PortraitWidth = 2400;
    printer->PortraitHeight = 3150;
    Platform().SetPrinter(std::move(printer));

    TPrintWorkspace workspace;
    TPrintWorkspaceWindow window(workspace);
    window.resize(900, 650);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    if (!workspace.LoadFile(argv[1])) {
        std::fprintf(stderr, "%s\n", workspace.LastError().c_str());
        return 1;
    }
    const QString out = QString::fromLocal8Bit(argv[2]);
    Apply(workspace, psScaleToPage, 0, 0);
    bool saved = Save(window, out + "overall.png");
    SetPreviewSize(workspace, 1);
    saved = Save(window, out + "close-up.png") && saved;
    SetPreviewSize(workspace, 0);
    Apply(workspace, psCustom, 50, -25);
    saved = Save(window, out + "custom-scale.png") && saved;
    window.SetPanelOnTop(true);
    saved = Save(window, out + "bar-on-top.png") && saved;
    window.SetPanelOnTop(false);
    Apply(workspace, psScaleToPage, 0, 0);
    QTest::qWait(200);
    workspace.SetBackgroundLoading(true);
    if (!workspace.LoadFile(argv[1]))
        return 1;
    // Grabbed at once: no event may bring the whole picture in between.
    if (!workspace.Picture().Loading())
        std::fprintf(stderr, "no quick copy for this picture: both shots show the whole picture\n");
    saved = window.grab().save(out + "quick-copy.png") && saved;
    saved = workspace.FinishLoading() && saved;
    saved = window.grab().save(out + "whole.png") && saved;
    return saved ? 0 : 1;
}

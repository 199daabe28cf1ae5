#pragma once

// The private state of TPrintWorkspace, shared by the files that implement
// it (settings and titles, the picture and its loading, printing): its
// parts, and what ties them together.

#include "workspace/early_preview.h"
#include "workspace/page_layout.h"
#include "workspace/picture_loader.h"
#include "workspace/print_workspace.h"
#include "workspace/workspace_picture.h"
#include "workspace/workspace_view.h"

#include <QObject>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace orvanto {

class TPrintJob;

struct TPrintWorkspace::TState {
    TPageLayout Layout;
    TWorkspacePicture Picture;
    IWorkspaceView* View = nullptr;
    std::string LastError;
    // The file a failed load was about; ShowLastError names it.
    std::string ErrorFileName;
    bool Printing = false;
    // The job being drawn, while Print runs; read only in Print's thread.
    TPrintJob* Job = nullptr;
    bool PrintCancelled = false;

    // A picture decoding in the background: its reduced copy is shown and
    // its full size laid out meanwhile; nothing else acts on the copy.
    bool BackgroundLoading = false;
    std::shared_ptr<std::atomic<bool>> PendingPartial;
    std::uint64_t LoadGeneration = 0;
    std::unique_ptr<TEarlyPreview> EarlyPreview;
    // Receives the worker's "done" in the window thread. Declared before the
    // loader, so the loader (which cancels and waits for its thread) goes
    // first and no call can reach a workspace that is gone.
    std::unique_ptr<QObject> Wakeup = std::make_unique<QObject>();
    TPictureLoader Loader;
};

} // namespace orvanto

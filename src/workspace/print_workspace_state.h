#pragma once

// The private state of TPrintWorkspace, shared by the files that implement
// it (settings and titles, the picture and its edits, printing).

#include "workspace/page_layout.h"
#include "workspace/print_workspace.h"
#include "workspace/workspace_view.h"

#include <QImage>

#include <cstdint>
#include <string>

namespace orvanto {

struct TPrintWorkspace::TState {
    TPageLayout Layout;
    IWorkspaceView* View = nullptr;
    std::string LastError;
    // The file a failed load was about; ShowLastError names it.
    std::string ErrorFileName;
    bool PartialLoad = false;

    QImage Picture; // 1 x 1 while Empty
    bool Empty = true;
    bool UndoAvailable = false;
    TEdit UndoEdit = TEdit::Flip;
    int UndoParameter = 0;

    bool Printing = false;
    bool AutoPrint = false;
    bool AutoClose = false;

    int PreviewSize = 0;
    std::uint32_t BkColor = 0xFF0000;
    int UseBkColor = 0;
};

} // namespace orvanto

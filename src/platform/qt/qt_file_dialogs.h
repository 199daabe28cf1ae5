#pragma once

#include "platform/file_dialogs.h"

#include <QStringList>

#include <memory>

class QFileDialog;
class QWidget;

namespace orvanto {

// QFileDialog (Qt's own, not the desktop's, so the preview pane can be
// added) for the four kinds. A hidden widget owns the dialogs; each kind's
// dialog is built on first use and keeps its state (size, history, view)
// between calls, except what every request sets.
class TQtFileDialogs final : public IFileDialogs {
public:
    TQtFileDialogs();
    ~TQtFileDialogs() override;

    TFileDialogResult Run(const TFileDialogRequest& request) override;

    // The dialog of a kind, built on first use; for tests that drive it.
    QFileDialog* Dialog(TFileDialogKind kind);

private:
    QFileDialog* Build(TFileDialogKind kind);

    std::unique_ptr<QWidget> FOwner;
    QFileDialog* FDialogs[4] = {};
};

// The filter text as Qt's name filters: "Description (pattern pattern)" per
// choice. Qt takes the patterns from the last parentheses, so they are
// always appended, and the dialog is told to show only what comes before.
QStringList QtNameFilters(const std::string& filter);

// The text under the preview picture: its size in pixels.
std::string PreviewSizeText(int width, int height);

} // namespace orvanto

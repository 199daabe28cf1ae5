#pragma once

#include <QImage>

#include <functional>
#include <string>
#include <vector>

namespace orvanto {

// The open and save dialogs, plain and with a picture preview pane. The
// widget implementation lives in platform/qt; lower layers only see this
// interface through TPlatform.

enum class TFileDialogKind { Open, Save, OpenWithPreview, SaveWithPreview };

// Option flags of a dialog, combined with "|".
enum TFileDialogOption : unsigned {
    FileDialogHideReadOnly = 1u << 0,  // no "open read-only" choice (Qt never offers one)
    FileDialogFileMustExist = 1u << 1, // only existing files can be chosen
    FileDialogOverwritePrompt = 1u << 2, // a save asks before replacing a file
    FileDialogPathMustExist = 1u << 3, // only names in existing folders
};

// Renders a file for the preview pane: true with the picture, or false with
// the error text. Platform code cannot reach the picture readers itself, so
// the caller hands this in.
using TPreviewRenderer =
    std::function<bool(const std::string& fileName, QImage& picture, std::string& error)>;

struct TFileDialogRequest {
    TFileDialogKind Kind = TFileDialogKind::Open;
    std::string DefaultExt;
    unsigned Options = 0;
    // Pairs of a description and its ";"-separated patterns, every part
    // followed by "|": "All Pictures|*.BMP;*.DIB;|Bitmap (*.bmp)|*.BMP;|".
    std::string Filter;
    int FilterIndex = 1; // 1-based
    std::string InitialFolder;
    std::string FileName; // the starting name, without folder
    TPreviewRenderer Preview; // used by the two preview kinds
};

struct TFileDialogResult {
    bool Confirmed = false;
    std::string FileName; // the dialog's file name, also when cancelled
    int FilterIndex = 1;  // the filter the user left selected, 1-based
};

class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    // Runs one dialog modally. May throw when the dialog cannot be built or
    // run; callers fall back to a plainer kind.
    virtual TFileDialogResult Run(const TFileDialogRequest& request) = 0;
};

// Without a window system nobody can answer a dialog: every request is
// cancelled at once with an empty name, so a run without display never waits.
class TNoFileDialogs final : public IFileDialogs {
public:
    TFileDialogResult Run(const TFileDialogRequest& request) override;
};

// One choice of a filter text: its description and its patterns.
struct TFileFilterChoice {
    std::string Description;
    std::vector<std::string> Patterns; // "*.BMP", ...
};

// Splits a filter text into its choices. Empty patterns (the trailing ";")
// are dropped; a description without a pattern part still counts as a
// choice so that filter indices keep their meaning.
std::vector<TFileFilterChoice> SplitFileFilter(const std::string& filter);

} // namespace orvanto

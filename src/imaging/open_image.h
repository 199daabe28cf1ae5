#pragma once

#include "imaging/load_progress.h"

#include <QImage>
#include <QSize>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace orvanto {

// The table of picture formats the program opens, one entry per file
// extension, the open dialog's filter texts built from it, and the open
// dispatch that loads a file with the reader its extension selects.

// One open request, filled by the caller.
struct TImageInfoRec {
    std::string FileName;             // full path of the picture file
    std::int64_t BackgroundColor = -1; // behind transparent parts of an icon: 0x00BBGGRR, -1 none
    std::string ErrorText;            // why the open failed; meaningful only after false
    QImage* Bitmap = nullptr;         // receives the 24-bit picture; owned by the caller
    // Told how far the load has come: rising whole percents, 100 once the
    // picture is complete. Formats whose readers cannot tell report 100 only.
    TLoadProgress OnProgress = {};
    // Set by a successful open whose file ended before the picture did: the
    // rest shows white.
    bool Partial = false;
};

// What a reduced copy must reach, asked with the picture's full upright
// size: the smallest width and height that still give the caller all the
// pixels it will show.
using TPreviewNeed = std::function<QSize(QSize fullSize)>;
// Reads a reduced copy of at least need's size into preview and the full
// size into fullSize; false when it cannot (the caller then waits for the
// whole picture).
using TPreviewReader =
    std::function<bool(const std::string& fileName, const TPreviewNeed& need, QImage& preview, QSize& fullSize)>;

// A decoder of one source format, as the loaders see it: read a file, tell
// the picture's size, draw it.
class TSourceGraphic {
public:
    virtual ~TSourceGraphic() = default;
    // False when the file cannot be decoded; error may then hold the
    // decoder's own message.
    virtual bool LoadFromFile(const std::string& fileName, std::string& error) = 0;
    // The colour to show behind transparent parts, given before loading to
    // sources that decode onto it (icons); -1 = none.
    virtual void SetBackground(std::int64_t colour) { (void)colour; }
    // Where the source reports its progress while loading, given before
    // loading; sources that cannot tell ignore it.
    virtual void SetProgress(TLoadProgress progress) { (void)progress; }
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Draws the picture with its top-left corner at (0, 0) of target, a
    // 24-bit picture of the source's size; transparent parts leave target
    // as it was.
    virtual void Draw(QImage& target) const = 0;
    // Sources that decode into a complete 24-bit picture of their size hand
    // it over here, sparing the target's allocation and a pass over every
    // pixel; a null image means "draw me".
    virtual QImage WholePicture() const { return QImage(); }
    // The file ended before the picture did.
    virtual bool Partial() const { return false; }
};

// A source graphic class: its name and how to make an instance. Create is
// empty while no reader for the format is built in; opening such a file
// fails as an undecodable one does.
struct TGraphicClass {
    std::string Name;
    std::function<std::unique_ptr<TSourceGraphic>()> Create;
    // The Text Picture codec and the library readers explain their failures
    // themselves; the others are reported as "Unknown format".
    bool ReportsOwnError = false;
    // A quick reduced copy of the file for a first look while the whole
    // picture decodes; empty where the reader cannot make one for much less
    // than the whole picture costs.
    TPreviewReader Preview = {};
};

using TOpenImageEvent = std::function<bool(TImageInfoRec& info)>;

struct TOpenImageEventHandler {
    std::string Extension;   // with the dot, upper case: ".BMP"
    std::string Description; // as the open dialog shows it, already translated
    TOpenImageEvent OnOpen;
    const TGraphicClass* GraphicClass = nullptr;
};

struct TOpenImageEventHandlers {
    static constexpr int Capacity = 100;
    TOpenImageEventHandler Items[Capacity];
    int Count = 0;
};

class TOpenImageEventCollection {
public:
    // Replaces the entry with the same extension in place, else appends;
    // -1 when the table is full. The extension is stored in upper case.
    int AddFormat(const TOpenImageEventHandler& entry);
    int FindByExtension(const std::string& extension) const;
    // The extension is the text from the last "." of the name (not of the
    // folder it is in), dot included; a name without one has none.
    int FindByFileName(const std::string& fileName) const;
    bool IsValidIndex(int index) const { return index >= 0 && index < FHandlers.Count; }
    bool Load(int index, TImageInfoRec& info) const;
    // index -1: all formats in one choice, -3: one choice per format, -2:
    // both; a valid index: that format alone. patternsOnly leaves out the
    // descriptions and separators.
    std::string BuildFilter(int index, bool patternsOnly) const;
    void Clear() { FHandlers.Count = 0; }

    int Count() const { return FHandlers.Count; }
    const TOpenImageEventHandler& Item(int index) const { return FHandlers.Items[index]; }

private:
    TOpenImageEventHandlers FHandlers;
};

// The extension part of a file name as FindByFileName uses it: ".jpeg" for
// "/a.b/x.jpeg", "" for "/a.b/x".
std::string FileNameExtension(const std::string& fileName);

// The built-in format's class for the file's extension, read from a fixed
// table: safe in any thread before or while the registry is built (it
// translates nothing). Null for extensions of no built-in format.
const TGraphicClass* BuiltInGraphicClass(const std::string& fileName);

class TOpenImage {
public:
    // Fills the table with the built-in formats, descriptions translated now.
    TOpenImage();

    bool Open(TImageInfoRec& info) const;
    // The format's reduced copy of the file (see TGraphicClass::Preview);
    // false for formats without one and files it cannot read.
    bool OpenPreview(const std::string& fileName, const TPreviewNeed& need, QImage& preview, QSize& fullSize) const;
    TOpenImageEventCollection& Formats() { return FFormats; }
    const TOpenImageEventCollection& Formats() const { return FFormats; }

private:
    TOpenImageEventCollection FFormats;
};

// The loading steps every built-in format follows: check the request and
// the file, decode with a fresh instance of the class, size the target and
// draw. fillBackground paints BackgroundColor first (icons).
bool LoadWithGraphicClass(const TGraphicClass& graphicClass, bool fillBackground,
                          TImageInfoRec& info);

// The process-wide instance, created on first use; FreeOpenImage frees it
// (the next OpenImage() builds a fresh table).
TOpenImage* OpenImage();
void FreeOpenImage();

} // namespace orvanto

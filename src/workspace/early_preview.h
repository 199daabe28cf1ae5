#pragma once

// The quick reduced copy of the picture named on the command line, read in
// a thread of its own while the application and the window are still being
// built, so that the first paint does not wait for the decode.
//
// The worker is handed everything it needs (the file name and the largest
// copy the window could show) and touches nothing else: no registry, no
// screen, no translation. It can start before the application exists, from
// the name alone: it then reads the file and its header and waits there
// until Aim says how large the window will be (which needs the stored
// settings and the screen), so the decode overlaps the application's start. The window's load takes the copy only when it is
// for the same file, came from the reader the registry would use, and was
// asked for at least the pixels the preview needs; otherwise it reads the
// copy itself as before. A file without a quick copy yields nothing.

#include "imaging/open_image.h"

#include <QImage>
#include <QSize>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace orvanto {

class TEarlyPreview {
public:
    struct TCopy {
        QImage Preview; // 24-bit; null when none was read
        QSize FullSize; // the picture's upright full size
        QSize Asked;    // what the reader was asked to reach
        const TGraphicClass* GraphicClass = nullptr;
    };

    // Starts reading fileName's quick copy, to cover the picture fitted into
    // bound (device pixels). Nothing starts for a format without one.
    TEarlyPreview(std::string fileName, QSize bound);
    // Starts reading fileName's quick copy; its size waits for Aim.
    explicit TEarlyPreview(std::string fileName);
    // The largest copy the window could show (device pixels). Empty: no
    // copy is wanted after all, and the worker ends at the header. Once
    // only; a later call changes nothing.
    void Aim(QSize bound);
    ~TEarlyPreview();
    TEarlyPreview(const TEarlyPreview&) = delete;
    TEarlyPreview& operator=(const TEarlyPreview&) = delete;

    // Waits for the worker and hands over its copy when it is for fileName
    // from graphicClass; an empty copy otherwise. Once only.
    TCopy Take(const std::string& fileName, const TGraphicClass* graphicClass);

    const std::string& FileName() const { return FFileName; }

    // The smallest size that covers full fitted into bound, aspect kept.
    static QSize Fitted(QSize full, QSize bound);

private:
    // The copy's target, once known; what the worker's need waits for.
    QSize Bound(QSize full);

    std::string FFileName;
    std::mutex FMutex;
    std::condition_variable FAimed;
    std::optional<QSize> FBound;
    std::thread FThread;
    TCopy FCopy;
};

} // namespace orvanto

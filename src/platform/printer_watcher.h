#pragma once

// What the window knows about the print system, kept current by a watcher
// in a worker thread. The print system is a remote service that may answer
// late or never, so nothing in the window's thread asks it: the window, its
// refresh and the page layout read the watcher's latest facts, which never
// blocks. Until the first answer the facts are those of the last printer
// used (or A4 at 600 dpi) and say that no answer has come yet.

#include <QRect>

#include <cstdint>
#include <string>
#include <vector>

namespace orvanto {

// How the last request to the print server went.
enum class TServerState {
    Asking,     // no answer yet since the program started
    Answers,    // it answered the last request
    Silent,     // it took connections (or not) but gave no answer in time
    Unreachable // nothing listens where it should, or it hung up
};

// Why a printer cannot print now, from the reasons the server gives; the
// window words each one.
enum class TPrinterProblem {
    None,
    OutOfPaper,
    PaperJam,
    DoorOpen,
    OutOfToner,
    Offline,
    Paused,   // stopped by someone, with no reason of the device
    Refusing, // takes no jobs (cupsreject)
    Other     // stopped for a reason we have no words for
};

struct TPrinterFacts {
    TServerState Server = TServerState::Asking;
    // The server as its user names it: a host, a host and port or a socket.
    std::string ServerName;
    std::vector<std::string> Printers;
    std::string Current; // empty: none
    // --- the current printer ---
    bool Stopped = false;
    bool Accepting = true;
    std::vector<std::string> Reasons; // "media-empty-error", ... ("none" dropped)
    std::string Message;              // the state message, e.g. from cupsdisable -r
    std::string Media = "iso_a4_210x297mm";
    int DpiX = 600;
    int DpiY = 600;
    // The paper upright and its unprintable margins, in hundredths of a
    // millimetre.
    int PaperWidth = 21000;
    int PaperHeight = 29700;
    int MarginLeft = 0;
    int MarginTop = 0;
    int MarginRight = 0;
    int MarginBottom = 0;
    // Grows with every change of the facts, so readers can tell news apart.
    std::uint64_t Generation = 0;

    bool Answered() const { return Server == TServerState::Answers; }
    // A printer to print on: the server answers and names a current one.
    bool HasPrinter() const { return Answered() && !Current.empty(); }
};

// The worst of the reasons, or Refusing / Paused when the printer takes no
// jobs or stopped without a reason of its own.
TPrinterProblem ProblemOf(const TPrinterFacts& facts);
TPrinterProblem ProblemOfReasons(const std::vector<std::string>& reasons);

// The printable area in device pixels, at the origin, for an upright (0) or
// landscape (1) page; empty when the margins leave nothing.
QRect PrintableArea(const TPrinterFacts& facts, int orientation);
// The printable area's offset from the paper's corner, in device pixels,
// for the page as it is oriented.
QPoint PrintableOffset(const TPrinterFacts& facts, int orientation);

class IPrinterWatcher {
public:
    virtual ~IPrinterWatcher() = default;
    // The latest facts; never waits for the print system.
    virtual TPrinterFacts Facts() const = 0;
    // Makes name the current printer (chosen in Printer Setup); the facts
    // follow it from the next answer on.
    virtual void Select(const std::string& name) = 0;
    // Asks the server again soon, e.g. after a job ended.
    virtual void Wake() = 0;
};

} // namespace orvanto

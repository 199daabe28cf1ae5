#include "write_behind.h"

#include <chrono>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanto {

namespace {

// Written bytes are handed on in pieces of this size, so that the system
// gets few, large requests; a file's last partial piece is left to the rename.
constexpr off_t Piece = off_t(4) << 20;

} // namespace

bool TWriteBehind::Helps(std::int64_t bytes)
{
    return bytes < 0 || bytes >= Piece;
}

TWriteBehind::TWriteBehind(std::string path) : FPath(std::move(path))
{
    try {
        FThread = std::thread([this] { Watch(); });
    } catch (...) {
        // no thread to be had: the file is written out later, as usual
    }
}

TWriteBehind::~TWriteBehind()
{
    {
        std::lock_guard<std::mutex> guard(FLock);
        FStop = true;
    }
    FWake.notify_all();
    if (FThread.joinable())
        FThread.join();
}

void TWriteBehind::Watch()
{
    int fd = -1;
    off_t handedOn = 0;
    std::unique_lock<std::mutex> lock(FLock);
    while (!FStop) {
        lock.unlock();
        if (fd < 0)
            fd = ::open(FPath.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat status {};
        if (fd >= 0 && ::fstat(fd, &status) == 0) {
            const off_t written = status.st_size / Piece * Piece;
            if (written > handedOn) {
                ::sync_file_range(fd, handedOn, written - handedOn, SYNC_FILE_RANGE_WRITE);
                handedOn = written;
            }
        }
        lock.lock();
        FWake.wait_for(lock, std::chrono::milliseconds(2), [this] { return FStop; });
    }
    if (fd >= 0)
        ::close(fd);
}

} // namespace orvanto

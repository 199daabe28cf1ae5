#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace orvanto {

// While this process writes a large file, asks the system every few
// milliseconds to start putting what has been written so far on its way to
// the disk. Replacing an existing file by renaming over it makes ext4 push
// out every byte not yet on its way, there and then; written behind, that
// work has been done on the other core while the rest of the file was
// still being produced. Costs nothing where the system has nothing to do.
class TWriteBehind {
public:
    explicit TWriteBehind(std::string path);
    ~TWriteBehind();
    TWriteBehind(const TWriteBehind&) = delete;
    // False for a file known to stay below the first piece handed on (bytes
    // >= 0): the thread would only cost its start and join.
    static bool Helps(std::int64_t bytes);
    TWriteBehind& operator=(const TWriteBehind&) = delete;

private:
    void Watch();

    std::string FPath;
    std::mutex FLock;
    std::condition_variable FWake;
    bool FStop = false;
    std::thread FThread;
};

} // namespace orvanto

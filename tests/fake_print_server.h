#pragma once

// Print servers that misbehave, on a local TCP port, for the tests of the
// limits: one that takes connections and never answers, one that answers
// each request only after a delay, one that hangs up at once. The slow one
// answers CUPS-Get-Default with its printer and CUPS-Get-Printers with it and
// any others it was given.

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace orvanto {

class TFakePrintServer {
public:
    enum class TMode { Silent, Slow, Closing };

    explicit TFakePrintServer(TMode mode, std::chrono::milliseconds delay = std::chrono::milliseconds(1500),
                              std::string printer = "Slow Printer", std::vector<std::string> others = {});
    ~TFakePrintServer();

    // host:port, as CUPS_SERVER takes it.
    std::string Address() const;
    // Requests (or connections, for the closing server) seen so far.
    int Seen() const { return FSeen; }

private:
    void Serve();
    void Converse(int client);

    TMode FMode;
    std::chrono::milliseconds FDelay;
    std::string FPrinter;
    std::vector<std::string> FOthers;
    int FListener = -1;
    int FPort = 0;
    std::atomic<bool> FStop{false};
    std::atomic<int> FSeen{0};
    std::thread FThread;
};

// Points this process's libcups at server for the life of the object (libcups
// reads CUPS_SERVER once per thread, so each watcher thread sees it).
class TServerEnvironment {
public:
    explicit TServerEnvironment(const std::string& server);
    ~TServerEnvironment();

private:
    std::string FOld;
    bool FHad = false;
};

} // namespace orvanto

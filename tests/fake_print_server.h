#pragma once

// Print servers that misbehave, on a local TCP port, for the tests of the
// limits: one that takes connections and never answers, one that answers
// each request only after a delay, one that hangs up at once. The slow one
// answers CUPS-Get-Default with its printer and CUPS-Get-Printers with it and
// any others it was given. Told to, it keeps subscriptions to its news as
// CUPS does: Announce() is a printer that changed, and a poll for news is
// answered at once or held until there is some, as the server chooses.

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>
#include <map>
#include <mutex>

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
    // Requests of one operation seen so far.
    int Seen(int operation) const;

    // Gives subscriptions from now on; a poll for news is held up to hold
    // while there is none (0: answered at once, as CUPS does).
    void Subscribe(std::chrono::milliseconds hold);
    // The printers listed besides the default one, from now on.
    void SetOthers(std::vector<std::string> others);
    // News of a change for every subscriber.
    void Announce();
    // Forgets every subscription, as a restarted server does: polls are
    // refused as not found until a new one is made.
    void Forget();

private:
    void Serve();
    void Converse(int client);
    std::string Answer(const std::string& body);

    TMode FMode;
    std::chrono::milliseconds FDelay;
    std::string FPrinter;
    mutable std::mutex FMutex;
    std::vector<std::string> FOthers;
    std::map<int, int> FOperations;
    bool FSubscriptions = false;
    std::chrono::milliseconds FHold{0};
    int FEvents = 0;
    bool FForgotten = false;
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

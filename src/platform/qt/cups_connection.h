#pragma once

// One connection to the print server with a limit on every wait: the
// connect, each request's sending and its answer. libcups' own default
// connection waits as long as the server keeps the socket open, which for a
// server gone quiet is for ever. The connection is kept open between
// requests and made again after any failure.

#include <cups/cups.h>

#include <atomic>
#include <chrono>
#include <string>

namespace orvanto {

// The time limits; docs/design-notes.md records their values and why.
struct TCupsLimits {
    std::chrono::milliseconds Connect{3000};
    // The longest pause in a request or its answer (not the whole
    // exchange: a large page may take longer to send while it moves).
    std::chrono::milliseconds Answer{5000};
};

enum class TCupsOutcome {
    Answered,   // an IPP answer came, whatever its status
    Silent,     // the server took the connection or request and said nothing in time
    Unreachable // no connection, or it was closed without an answer
};

class TCupsConnection {
public:
    // stop, when given, ends any wait early once it becomes true.
    explicit TCupsConnection(TCupsLimits limits = {}, const std::atomic<bool>* stop = nullptr);
    ~TCupsConnection();
    TCupsConnection(const TCupsConnection&) = delete;
    TCupsConnection& operator=(const TCupsConnection&) = delete;

    // The server as configured for this process (CUPS_SERVER, client.conf):
    // a socket path, a host, or host:port.
    static std::string ServerName();

    // Sends request (which it frees) to resource and returns the answer for
    // the caller to free with ippDelete; null when none came, Outcome()
    // saying why.
    ipp_t* Request(ipp_t* request, const char* resource = "/");
    // The same for a request the server may hold until it has news: its
    // answer may take up to answer, and interrupt, once true, gives it up
    // (Outcome() then says Silent; the connection is closed).
    ipp_t* HeldRequest(ipp_t* request, std::chrono::milliseconds answer, const std::atomic<bool>* interrupt);
    TCupsOutcome Outcome() const { return FOutcome; }

    // The open connection, made when needed; null when it cannot be made
    // (Outcome() says why). Waits on it keep the limits.
    http_t* Http();
    // After a failure: the next request connects afresh.
    void Close();
    // Begins a request of this connection: clears the record of waits.
    void Arm();
    // True when a wait ran into its limit (or stop) since Arm().
    bool TimedOut() const { return FTimedOut; }

private:
    static int OnTimeout(http_t* http, void* self);

    TCupsLimits FLimits;
    const std::atomic<bool>* FStop;
    // The limit and interrupt of the request under way.
    std::chrono::milliseconds FAnswer;
    const std::atomic<bool>* FInterrupt = nullptr;
    http_t* FHttp = nullptr;
    TCupsOutcome FOutcome = TCupsOutcome::Answered;
    std::chrono::steady_clock::time_point FWaitingSince;
    bool FTimedOut = false;
};

} // namespace orvanto

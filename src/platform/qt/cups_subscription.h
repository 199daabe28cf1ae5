#pragma once

// A subscription to the print server's news of its printers: printers added
// or deleted, stopped, resumed, refusing jobs or changed. The server keeps
// the events; Poll fetches those not yet seen (Get-Notifications with the
// "ippget" pull method) and asks the server to hold the request until there
// is news. CUPS answers at once instead and tells the client when to ask
// again, so the caller paces the polls itself when the answer comes quickly.
//
// The subscription is leased: Poll renews it when half the lease has passed,
// and Cancel ends it. A server without subscriptions refuses Create or
// answers without an id; the caller then asks for the printers as before.

#include "platform/qt/cups_connection.h"

#include <atomic>
#include <chrono>

namespace orvanto {

enum class TNews {
    None,      // nothing happened
    Changed,   // a printer came, went or changed: ask for the printers again
    Lost,      // the server forgot the subscription (restarted, lease over)
    Failed     // no answer; the connection's Outcome() says why
};

class TCupsSubscription {
public:
    using TClock = std::chrono::steady_clock;

    static constexpr std::chrono::seconds DefaultLease{300};

    explicit TCupsSubscription(std::chrono::seconds lease = DefaultLease) : FLease(lease) {}

    // True when the server gave a subscription; false when it has none to
    // give (or did not answer: connection.Outcome() then says so).
    bool Create(TCupsConnection& connection);
    bool Active() const { return FId > 0; }
    // Fetches the events since the last poll, the server holding the
    // request up to hold; renews the lease first when it is due.
    TNews Poll(TCupsConnection& connection, std::chrono::milliseconds hold, const std::atomic<bool>* interrupt);
    // Ends the subscription on the server, if there is one, and forgets it.
    void Cancel(TCupsConnection& connection);
    void Forget() { FId = 0; }

private:
    bool Renew(TCupsConnection& connection);

    const std::chrono::seconds FLease;
    int FId = 0;
    int FNextSequence = 1;
    TClock::time_point FLeased;
};

} // namespace orvanto

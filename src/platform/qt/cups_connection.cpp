#include "platform/qt/cups_connection.h"

namespace orvanto {

namespace {

// Waits are cut into slices this long, so that a stop request ends one soon;
// the limit counts from Arm().
constexpr double SliceSeconds = 0.1;

} // namespace

TCupsConnection::TCupsConnection(TCupsLimits limits, const std::atomic<bool>* stop)
    : FLimits(limits), FStop(stop), FAnswer(limits.Answer)
{
}

TCupsConnection::~TCupsConnection()
{
    Close();
}

std::string TCupsConnection::ServerName()
{
    const std::string server = cupsServer();
    const int port = ippPort();
    // A socket path or the usual port needs no number.
    if (server.empty() || server[0] == '/' || port == IPP_PORT)
        return server;
    return server + ":" + std::to_string(port);
}

// libcups calls this when a slice passes without data; 1 waits on, 0 gives
// up the request.
int TCupsConnection::OnTimeout(http_t*, void* self)
{
    auto* connection = static_cast<TCupsConnection*>(self);
    if ((connection->FStop && connection->FStop->load())
        || (connection->FInterrupt && connection->FInterrupt->load())) {
        connection->FTimedOut = true;
        return 0;
    }
    if (std::chrono::steady_clock::now() - connection->FWaitingSince < connection->FAnswer)
        return 1;
    connection->FTimedOut = true;
    return 0;
}

void TCupsConnection::Arm()
{
    FWaitingSince = std::chrono::steady_clock::now();
    FTimedOut = false;
}

http_t* TCupsConnection::Http()
{
    if (FHttp)
        return FHttp;
    const std::string server = cupsServer();
    const auto started = std::chrono::steady_clock::now();
    FHttp = httpConnect2(server.c_str(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                         int(FLimits.Connect.count()), nullptr);
    if (!FHttp) {
        FOutcome = std::chrono::steady_clock::now() - started >= FLimits.Connect ? TCupsOutcome::Silent
                                                                                 : TCupsOutcome::Unreachable;
        return nullptr;
    }
    httpSetTimeout(FHttp, SliceSeconds, &TCupsConnection::OnTimeout, this);
    return FHttp;
}

void TCupsConnection::Close()
{
    if (FHttp)
        httpClose(FHttp);
    FHttp = nullptr;
}

ipp_t* TCupsConnection::Request(ipp_t* request, const char* resource)
{
    http_t* http = Http();
    if (!http) {
        ippDelete(request);
        return nullptr;
    }
    Arm();
    ipp_t* answer = cupsDoRequest(http, request, resource);
    if (answer) {
        FOutcome = TCupsOutcome::Answered;
        return answer;
    }
    FOutcome = FTimedOut ? TCupsOutcome::Silent : TCupsOutcome::Unreachable;
    Close();
    return nullptr;
}

ipp_t* TCupsConnection::HeldRequest(ipp_t* request, std::chrono::milliseconds answer,
                                    const std::atomic<bool>* interrupt)
{
    FAnswer = answer;
    FInterrupt = interrupt;
    ipp_t* result = Request(request);
    FAnswer = FLimits.Answer;
    FInterrupt = nullptr;
    return result;
}

} // namespace orvanto

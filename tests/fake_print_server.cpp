#include "tests/fake_print_server.h"

#include <cups/cups.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace orvanto {

namespace {

bool Readable(int fd, int ms)
{
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, ms) > 0;
}

ssize_t WriteBytes(void* context, ipp_uchar_t* bytes, size_t size)
{
    static_cast<std::string*>(context)->append(reinterpret_cast<const char*>(bytes), size);
    return ssize_t(size);
}

} // namespace

TFakePrintServer::TFakePrintServer(TMode mode, std::chrono::milliseconds delay, std::string printer,
                                   std::vector<std::string> others)
    : FMode(mode), FDelay(delay), FPrinter(std::move(printer)), FOthers(std::move(others))
{
    FListener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(FListener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(FListener, 16);
    socklen_t length = sizeof address;
    ::getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &length);
    FPort = ntohs(address.sin_port);
    FThread = std::thread([this] { Serve(); });
}

TFakePrintServer::~TFakePrintServer()
{
    FStop = true;
    FThread.join();
    ::close(FListener);
}

int TFakePrintServer::Seen(int operation) const
{
    std::lock_guard lock(FMutex);
    const auto found = FOperations.find(operation);
    return found == FOperations.end() ? 0 : found->second;
}

void TFakePrintServer::Subscribe(std::chrono::milliseconds hold)
{
    std::lock_guard lock(FMutex);
    FSubscriptions = true;
    FHold = hold;
}

void TFakePrintServer::SetOthers(std::vector<std::string> others)
{
    std::lock_guard lock(FMutex);
    FOthers = std::move(others);
}

void TFakePrintServer::Announce()
{
    std::lock_guard lock(FMutex);
    ++FEvents;
}

void TFakePrintServer::Forget()
{
    std::lock_guard lock(FMutex);
    FForgotten = true;
}

std::string TFakePrintServer::Answer(const std::string& body)
{
    if (body.size() < 8)
        return {};
    const int operation = (std::uint8_t(body[2]) << 8) | std::uint8_t(body[3]);
    const int id = (std::uint8_t(body[4]) << 24) | (std::uint8_t(body[5]) << 16) | (std::uint8_t(body[6]) << 8)
        | std::uint8_t(body[7]);
    {
        std::lock_guard lock(FMutex);
        ++FOperations[operation];
    }
    // The sequence number a poll asks from, read with libcups.
    int from = 1;
    if (operation == IPP_OP_GET_NOTIFICATIONS) {
        ipp_t* request = ippNew();
        std::string rest = body;
        struct TReader {
            std::string* Bytes;
            static ssize_t Read(void* self, ipp_uchar_t* buffer, size_t size)
            {
                auto* bytes = static_cast<TReader*>(self)->Bytes;
                const size_t n = std::min(size, bytes->size());
                std::memcpy(buffer, bytes->data(), n);
                bytes->erase(0, n);
                return ssize_t(n);
            }
        } reader{&rest};
        ippReadIO(&reader, TReader::Read, 1, nullptr, request);
        if (ipp_attribute_t* a = ippFindAttribute(request, "notify-sequence-numbers", IPP_TAG_INTEGER))
            from = ippGetInteger(a, 0);
        ippDelete(request);
        // Held while there is no news, as a server that honours notify-wait.
        const auto until = std::chrono::steady_clock::now() + FHold;
        while (!FStop && std::chrono::steady_clock::now() < until) {
            {
                std::lock_guard lock(FMutex);
                if (FEvents >= from)
                    break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    std::lock_guard lock(FMutex);
    ipp_t* answer = ippNew();
    ippSetVersion(answer, 2, 0);
    ippSetStatusCode(answer, IPP_STATUS_OK);
    ippSetRequestId(answer, id);
    ippAddString(answer, IPP_TAG_OPERATION, IPP_TAG_CHARSET, "attributes-charset", nullptr, "utf-8");
    ippAddString(answer, IPP_TAG_OPERATION, IPP_TAG_LANGUAGE, "attributes-natural-language", nullptr, "en");
    if (operation == IPP_OP_CUPS_GET_DEFAULT || operation == IPP_OP_CUPS_GET_PRINTERS
        || operation == IPP_OP_GET_PRINTER_ATTRIBUTES) {
        ippAddString(answer, IPP_TAG_PRINTER, IPP_TAG_NAME, "printer-name", nullptr, FPrinter.c_str());
        ippAddInteger(answer, IPP_TAG_PRINTER, IPP_TAG_ENUM, "printer-state", IPP_PSTATE_IDLE);
        ippAddBoolean(answer, IPP_TAG_PRINTER, "printer-is-accepting-jobs", 1);
        for (const std::string& other : FOthers) {
            if (operation != IPP_OP_CUPS_GET_PRINTERS)
                break;
            ippAddSeparator(answer);
            ippAddString(answer, IPP_TAG_PRINTER, IPP_TAG_NAME, "printer-name", nullptr, other.c_str());
            ippAddInteger(answer, IPP_TAG_PRINTER, IPP_TAG_ENUM, "printer-state", IPP_PSTATE_IDLE);
        }
    } else if (operation == IPP_OP_CREATE_JOB || operation == IPP_OP_SEND_DOCUMENT) {
        ippAddInteger(answer, IPP_TAG_JOB, IPP_TAG_INTEGER, "job-id", 7);
    } else if (operation == IPP_OP_GET_JOB_ATTRIBUTES) {
        // Every job is done by the time anyone asks.
        ippAddInteger(answer, IPP_TAG_JOB, IPP_TAG_ENUM, "job-state", IPP_JSTATE_COMPLETED);
    } else if (operation == IPP_OP_CREATE_PRINTER_SUBSCRIPTIONS && FSubscriptions) {
        FForgotten = false;
        ippAddInteger(answer, IPP_TAG_SUBSCRIPTION, IPP_TAG_INTEGER, "notify-subscription-id", 3);
    } else if ((operation == IPP_OP_GET_NOTIFICATIONS || operation == IPP_OP_RENEW_SUBSCRIPTION) && FForgotten) {
        ippSetStatusCode(answer, IPP_STATUS_ERROR_NOT_FOUND);
    } else if (operation == IPP_OP_GET_NOTIFICATIONS && FSubscriptions) {
        ippAddInteger(answer, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "notify-get-interval", 60);
        for (int event = std::max(from, 1); event <= FEvents; ++event) {
            ippAddSeparator(answer);
            ippAddInteger(answer, IPP_TAG_EVENT_NOTIFICATION, IPP_TAG_INTEGER, "notify-subscription-id", 3);
            ippAddInteger(answer, IPP_TAG_EVENT_NOTIFICATION, IPP_TAG_INTEGER, "notify-sequence-number", event);
            ippAddString(answer, IPP_TAG_EVENT_NOTIFICATION, IPP_TAG_KEYWORD, "notify-subscribed-event", nullptr,
                         "printer-added");
        }
    }
    std::string encoded;
    ippWriteIO(&encoded, WriteBytes, 1, nullptr, answer);
    ippDelete(answer);
    return "HTTP/1.1 200 OK\r\nContent-Type: application/ipp\r\nContent-Length: " + std::to_string(encoded.size())
        + "\r\n\r\n" + encoded;
}

std::string TFakePrintServer::Address() const
{
    return "127.0.0.1:" + std::to_string(FPort);
}

void TFakePrintServer::Serve()
{
    std::vector<int> held; // the silent server's connections, kept open
    std::vector<std::thread> conversations; // one a connection, as a server keeps them
    while (!FStop) {
        if (!Readable(FListener, 20))
            continue;
        const int client = ::accept(FListener, nullptr, nullptr);
        if (client < 0)
            continue;
        if (FMode == TMode::Closing) {
            ++FSeen;
            ::close(client);
        } else if (FMode == TMode::Silent) {
            ++FSeen;
            held.push_back(client);
        } else {
            conversations.emplace_back([this, client] {
                Converse(client);
                ::close(client);
            });
        }
    }
    for (std::thread& conversation : conversations)
        conversation.join();
    for (int client : held)
        ::close(client);
}

// Reads requests one after another on a kept-alive connection and answers
// each after the delay.
void TFakePrintServer::Converse(int client)
{
    std::string pending;
    while (!FStop) {
        const std::size_t end = pending.find("\r\n\r\n");
        std::string body;
        std::size_t used = 0;
        if (end != std::string::npos) {
            const std::size_t field = pending.find("Content-Length:");
            const std::size_t chunked = pending.find("chunked");
            if (chunked != std::string::npos && chunked < end) {
                // A document of unknown length comes in chunks, ended by an
                // empty one.
                std::size_t at = end + 4;
                for (;;) {
                    const std::size_t line = pending.find("\r\n", at);
                    if (line == std::string::npos)
                        break;
                    const std::size_t size = std::strtoul(pending.c_str() + at, nullptr, 16);
                    if (pending.size() < line + 2 + size + 2)
                        break;
                    body += pending.substr(line + 2, size);
                    at = line + 2 + size + 2;
                    if (size == 0) {
                        used = at;
                        break;
                    }
                }
            } else {
                std::size_t length = 0;
                if (field != std::string::npos && field < end)
                    length = std::strtoul(pending.c_str() + field + 15, nullptr, 10);
                if (pending.size() >= end + 4 + length) {
                    body = pending.substr(end + 4, length);
                    used = end + 4 + length;
                }
            }
            if (used > 0) {
                pending.erase(0, used);
                ++FSeen;
                const auto until = std::chrono::steady_clock::now() + FDelay;
                while (!FStop && std::chrono::steady_clock::now() < until)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                const std::string reply = Answer(body);
                if (::send(client, reply.data(), reply.size(), MSG_NOSIGNAL) < 0)
                    return;
                continue;
            }
        }
        if (!Readable(client, 20))
            continue;
        char buffer[4096];
        const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
        if (got <= 0)
            return;
        pending.append(buffer, std::size_t(got));
    }
}

TServerEnvironment::TServerEnvironment(const std::string& server)
{
    if (const char* old = std::getenv("CUPS_SERVER")) {
        FOld = old;
        FHad = true;
    }
    setenv("CUPS_SERVER", server.c_str(), 1);
}

TServerEnvironment::~TServerEnvironment()
{
    if (FHad)
        setenv("CUPS_SERVER", FOld.c_str(), 1);
    else
        unsetenv("CUPS_SERVER");
}

} // namespace orvanto

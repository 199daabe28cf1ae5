#include "platform/qt/cups_subscription.h"

#include <iterator>
#include <limits>
#include <string_view>

namespace orvanto {

namespace {

const char* const Events[] = {"printer-added", "printer-deleted", "printer-state-changed", "printer-config-changed",
                              "printer-modified"};

// The server as a whole: printers added and deleted are its news, not a
// printer's.
ipp_t* NewRequest(ipp_op_t operation)
{
    ipp_t* request = ippNewRequest(operation);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, "ipp://localhost/");
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    return request;
}

bool Succeeded(ipp_t* answer)
{
    return ippGetStatusCode(answer) <= IPP_STATUS_OK_EVENTS_COMPLETE;
}

} // namespace

bool TCupsSubscription::Create(TCupsConnection& connection)
{
    FId = 0;
    ipp_t* request = NewRequest(IPP_OP_CREATE_PRINTER_SUBSCRIPTIONS);
    ippAddStrings(request, IPP_TAG_SUBSCRIPTION, IPP_TAG_KEYWORD, "notify-events", int(std::size(Events)), nullptr,
                  Events);
    ippAddString(request, IPP_TAG_SUBSCRIPTION, IPP_TAG_KEYWORD, "notify-pull-method", nullptr, "ippget");
    ippAddInteger(request, IPP_TAG_SUBSCRIPTION, IPP_TAG_INTEGER, "notify-lease-duration", int(FLease.count()));
    ipp_t* answer = connection.Request(request);
    if (!answer)
        return false;
    ipp_attribute_t* id = ippFindAttribute(answer, "notify-subscription-id", IPP_TAG_INTEGER);
    if (Succeeded(answer) && id && ippGetInteger(id, 0) > 0) {
        FId = ippGetInteger(id, 0);
        FNextSequence = 1;
        FLeased = TClock::now();
    }
    ippDelete(answer);
    return FId > 0;
}

bool TCupsSubscription::Renew(TCupsConnection& connection)
{
    ipp_t* request = NewRequest(IPP_OP_RENEW_SUBSCRIPTION);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "notify-subscription-id", FId);
    ippAddInteger(request, IPP_TAG_SUBSCRIPTION, IPP_TAG_INTEGER, "notify-lease-duration", int(FLease.count()));
    ipp_t* answer = connection.Request(request);
    if (!answer)
        return false;
    const bool renewed = Succeeded(answer);
    ippDelete(answer);
    if (renewed)
        FLeased = TClock::now();
    else
        FId = 0;
    return renewed;
}

TNews TCupsSubscription::Poll(TCupsConnection& connection, std::chrono::milliseconds hold,
                              const std::atomic<bool>* interrupt)
{
    if (FId <= 0)
        return TNews::Lost;
    if (TClock::now() - FLeased >= FLease / 2 && !Renew(connection))
        return FId > 0 ? TNews::Failed : TNews::Lost;
    ipp_t* request = NewRequest(IPP_OP_GET_NOTIFICATIONS);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "notify-subscription-ids", FId);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "notify-sequence-numbers", FNextSequence);
    ippAddBoolean(request, IPP_TAG_OPERATION, "notify-wait", 1);
    ipp_t* answer = connection.HeldRequest(request, hold, interrupt);
    if (!answer)
        return TNews::Failed;
    TNews news = TNews::None;
    if (!Succeeded(answer)) {
        // Not found: the server no longer knows it.
        FId = 0;
        news = TNews::Lost;
    } else {
        for (ipp_attribute_t* a = ippFirstAttribute(answer); a; a = ippNextAttribute(answer)) {
            const char* name = ippGetName(a);
            if (ippGetGroupTag(a) != IPP_TAG_EVENT_NOTIFICATION || !name
                || std::string_view(name) != "notify-sequence-number" || ippGetValueTag(a) != IPP_TAG_INTEGER)
                continue;
            const int sequence = ippGetInteger(a, 0);
            if (sequence >= FNextSequence && sequence < std::numeric_limits<int>::max()) {
                FNextSequence = sequence + 1;
                news = TNews::Changed;
            }
        }
    }
    ippDelete(answer);
    return news;
}

void TCupsSubscription::Cancel(TCupsConnection& connection)
{
    if (FId <= 0)
        return;
    ipp_t* request = NewRequest(IPP_OP_CANCEL_SUBSCRIPTION);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "notify-subscription-id", FId);
    FId = 0;
    if (ipp_t* answer = connection.Request(request))
        ippDelete(answer);
}

} // namespace orvanto

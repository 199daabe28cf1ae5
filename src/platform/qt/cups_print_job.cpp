#include "platform/qt/cups_print_job.h"

#include <cstring>

namespace orvanto {

namespace {

// Pages go over in pieces, each its own wait, so a large page may take as
// long as it moves.
constexpr qsizetype Piece = 256 * 1024;

std::string JobUri(int id)
{
    return "ipp://localhost/jobs/" + std::to_string(id);
}

std::string PrinterUri(const std::string& printer)
{
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s",
                     printer.c_str());
    return uri;
}

TJobFailure FailureOf(const TCupsConnection& connection, ipp_status_t status)
{
    if (connection.TimedOut() || status == IPP_STATUS_ERROR_TIMEOUT)
        return TJobFailure::ServerSilent;
    switch (status) {
    case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS: return TJobFailure::Refused;
    case IPP_STATUS_ERROR_NOT_FOUND: return TJobFailure::PrinterGone;
    case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
    case IPP_STATUS_ERROR_INTERNAL: return TJobFailure::ServerUnreachable;
    default: break;
    }
    return status >= IPP_STATUS_ERROR_BAD_REQUEST && status < IPP_STATUS_ERROR_INTERNAL ? TJobFailure::Refused
                                                                                     : TJobFailure::ServerUnreachable;
}

} // namespace

TCupsPrintJob::TCupsPrintJob(TCupsDocument document, std::function<void()> onChange, TTiming timing)
    : FTiming(timing), FOnChange(std::move(onChange))
{
    FStatus.Phase = TJobPhase::Handing;
    FStatus.Printer = document.Printer;
    FThread = std::thread([this, document = std::move(document)]() mutable { Run(std::move(document)); });
}

TCupsPrintJob::~TCupsPrintJob()
{
    {
        std::unique_lock lock(FMutex);
        FChanged.wait(lock, [this] { return !FHandingOver; });
        FStop = true;
    }
    FChanged.notify_all();
    FThread.join();
}

TJobStatus TCupsPrintJob::Status() const
{
    std::lock_guard lock(FMutex);
    return FStatus;
}

void TCupsPrintJob::Cancel()
{
    {
        std::lock_guard lock(FMutex);
        FCancel = true;
    }
    FChanged.notify_all();
}

bool TCupsPrintJob::WaitHandedOver(std::chrono::milliseconds limit)
{
    std::unique_lock lock(FMutex);
    FChanged.wait_for(lock, limit, [this] { return !FHandingOver; });
    return FStatus.Accepted();
}

void TCupsPrintJob::Update(const std::function<void(TJobStatus&)>& change)
{
    {
        std::lock_guard lock(FMutex);
        change(FStatus);
        ++FStatus.Generation;
    }
    FChanged.notify_all();
    if (FOnChange)
        FOnChange();
}

void TCupsPrintJob::Run(TCupsDocument document)
{
    TCupsConnection connection(FTiming.Limits);
    {
        std::lock_guard lock(FMutex);
        FStatus.Server = TCupsConnection::ServerName();
    }
    const bool accepted = HandOver(connection, document);
    document.Bytes.clear();
    {
        std::lock_guard lock(FMutex);
        FHandingOver = false;
    }
    FChanged.notify_all();
    if (accepted)
        Follow(connection);
}

bool TCupsPrintJob::HandOver(TCupsConnection& connection, const TCupsDocument& document)
{
    const auto fail = [&](ipp_status_t status) {
        const TJobFailure failure = FailureOf(connection, status);
        connection.Close();
        Update([&](TJobStatus& s) {
            s.Phase = TJobPhase::Failed;
            s.Failure = failure;
        });
        return false;
    };
    http_t* http = connection.Http();
    if (!http)
        return fail(connection.Outcome() == TCupsOutcome::Silent ? IPP_STATUS_ERROR_TIMEOUT
                                                                 : IPP_STATUS_ERROR_SERVICE_UNAVAILABLE);
    // Our own Create-Job: cupsCreateJob first looks the destination up
    // through connections of its own, which wait without limit.
    cups_option_t* options = nullptr;
    int count = 0;
    for (const auto& [name, value] : document.Options)
        count = cupsAddOption(name.c_str(), value.c_str(), count, &options);
    ipp_t* request = ippNewRequest(IPP_OP_CREATE_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, PrinterUri(document.Printer).c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, document.Title.c_str());
    cupsEncodeOptions2(request, count, options, IPP_TAG_OPERATION);
    cupsEncodeOptions2(request, count, options, IPP_TAG_JOB);
    cupsFreeOptions(count, options);
    ipp_t* created = connection.Request(request);
    if (!created)
        return fail(connection.Outcome() == TCupsOutcome::Silent ? IPP_STATUS_ERROR_TIMEOUT
                                                                 : IPP_STATUS_ERROR_SERVICE_UNAVAILABLE);
    ipp_attribute_t* idAttribute = ippFindAttribute(created, "job-id", IPP_TAG_INTEGER);
    const int id = idAttribute ? ippGetInteger(idAttribute, 0) : 0;
    const ipp_status_t createStatus = ippGetStatusCode(created);
    ippDelete(created);
    if (id <= 0 || createStatus > IPP_STATUS_OK_CONFLICTING)
        return fail(createStatus > IPP_STATUS_OK_CONFLICTING ? createStatus : IPP_STATUS_ERROR_INTERNAL);
    http = connection.Http();
    if (!http)
        return fail(IPP_STATUS_ERROR_SERVICE_UNAVAILABLE);

    connection.Arm();
    bool sent = cupsStartDocument(http, document.Printer.c_str(), id, document.Title.c_str(),
                                  document.Format.c_str(), 1)
        == HTTP_STATUS_CONTINUE;
    for (qsizetype at = 0; sent && at < document.Bytes.size(); at += Piece) {
        connection.Arm();
        const qsizetype size = std::min(Piece, document.Bytes.size() - at);
        sent = cupsWriteRequestData(http, document.Bytes.constData() + at, std::size_t(size)) == HTTP_STATUS_CONTINUE;
    }
    connection.Arm();
    const ipp_status_t finished = sent ? cupsFinishDocument(http, document.Printer.c_str()) : IPP_STATUS_ERROR_INTERNAL;
    if (!sent || finished > IPP_STATUS_OK_CONFLICTING) {
        const ipp_status_t status = sent ? finished : cupsLastError();
        const bool silent = connection.TimedOut();
        // What CUPS holds of a job half sent must not print; the cancel
        // gets a connection of its own, the old one being in an unknown
        // state.
        connection.Close();
        ipp_t* cancel = ippNewRequest(IPP_OP_CANCEL_JOB);
        ippAddString(cancel, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, JobUri(id).c_str());
        ippAddString(cancel, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
        if (!silent)
            ippDelete(connection.Request(cancel));
        else
            ippDelete(cancel);
        Update([&](TJobStatus& s) {
            s.Phase = TJobPhase::Failed;
            s.Failure = silent ? TJobFailure::ServerSilent : FailureOf(connection, status);
        });
        return false;
    }
    Update([&](TJobStatus& s) {
        s.Id = id;
        s.Phase = TJobPhase::Printing;
    });
    return true;
}

void TCupsPrintJob::Follow(TCupsConnection& connection)
{
    auto lastAnswer = std::chrono::steady_clock::now();
    bool cancelSent = false;
    for (;;) {
        bool cancel = false;
        {
            std::unique_lock lock(FMutex);
            FChanged.wait_for(lock, FTiming.Poll, [this, cancelSent] { return FStop.load() || (FCancel && !cancelSent); });
            if (FStop)
                return;
            cancel = FCancel && !cancelSent;
        }
        if (cancel) {
            ipp_t* request = ippNewRequest(IPP_OP_CANCEL_JOB);
            ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, JobUri(Status().Id).c_str());
            ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
            ipp_t* answer = connection.Request(request);
            cancelSent = answer != nullptr;
            ippDelete(answer);
        }
        if (Poll(connection))
            lastAnswer = std::chrono::steady_clock::now();
        else if (std::chrono::steady_clock::now() - lastAnswer > FTiming.GiveUp) {
            const TCupsOutcome outcome = connection.Outcome();
            Update([&](TJobStatus& s) {
                s.Phase = TJobPhase::Failed;
                s.Failure = outcome == TCupsOutcome::Silent ? TJobFailure::ServerSilent
                                                            : TJobFailure::ServerUnreachable;
            });
            return;
        }
        if (Status().Ended())
            return;
    }
}

// One look at the job and its printer; false when the server gave no answer.
bool TCupsPrintJob::Poll(TCupsConnection& connection)
{
    const TJobStatus now = Status();
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, JobUri(now.Id).c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "job-state");
    ipp_t* answer = connection.Request(request);
    if (!answer)
        return false;
    ipp_attribute_t* stateAttribute = ippFindAttribute(answer, "job-state", IPP_TAG_ENUM);
    const int state = stateAttribute ? ippGetInteger(stateAttribute, 0) : 0;
    const bool known = ippGetStatusCode(answer) <= IPP_STATUS_OK_CONFLICTING;
    ippDelete(answer);

    TPrinterFacts printer;
    printer.Server = TServerState::Answers;
    printer.Current = now.Printer;
    request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, PrinterUri(now.Printer).c_str());
    static const char* const attributes[] = {"printer-state", "printer-state-reasons", "printer-state-message",
                                             "printer-is-accepting-jobs"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 4, nullptr, attributes);
    answer = connection.Request(request);
    if (!answer)
        return false;
    const bool printerThere = ippGetStatusCode(answer) <= IPP_STATUS_OK_CONFLICTING;
    for (ipp_attribute_t* a = ippFirstAttribute(answer); a; a = ippNextAttribute(answer)) {
        const char* name = ippGetName(a);
        if (!name)
            continue;
        if (!std::strcmp(name, "printer-state"))
            printer.Stopped = ippGetInteger(a, 0) == IPP_PSTATE_STOPPED;
        else if (!std::strcmp(name, "printer-state-reasons")) {
            for (int i = 0; i < ippGetCount(a); ++i)
                if (const char* reason = ippGetString(a, i, nullptr); reason && std::strcmp(reason, "none"))
                    printer.Reasons.push_back(reason);
        } else if (!std::strcmp(name, "printer-state-message")) {
            if (const char* message = ippGetString(a, 0, nullptr))
                printer.Message = message;
        }
    }
    ippDelete(answer);

    TJobStatus next = now;
    if (!known) {
        // The server no longer knows the job: it went with its printer.
        next.Phase = TJobPhase::Failed;
        next.Failure = printerThere ? TJobFailure::Aborted : TJobFailure::PrinterGone;
    } else if (state == IPP_JSTATE_COMPLETED)
        next.Phase = TJobPhase::Printed;
    else if (state == IPP_JSTATE_CANCELED)
        next.Phase = TJobPhase::Cancelled;
    else if (state == IPP_JSTATE_ABORTED) {
        next.Phase = TJobPhase::Failed;
        next.Failure = printerThere ? TJobFailure::Aborted : TJobFailure::PrinterGone;
    } else if (printerThere && (printer.Stopped || ProblemOfReasons(printer.Reasons) != TPrinterProblem::None)) {
        next.Phase = TJobPhase::Stopped;
        next.Problem = ProblemOf(printer);
        next.Message = printer.Message;
    } else
        next.Phase = TJobPhase::Printing;
    if (next.Phase != now.Phase || next.Problem != now.Problem || next.Message != now.Message
        || next.Failure != now.Failure)
        Update([&](TJobStatus& s) {
            s.Phase = next.Phase;
            s.Problem = next.Problem;
            s.Message = next.Message;
            s.Failure = next.Failure;
        });
    return true;
}

} // namespace orvanto

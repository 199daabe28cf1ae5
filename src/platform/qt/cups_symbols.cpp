// The libcups functions the print code calls, passed on to libcups once it
// is opened (see cups_library.h).

#include "platform/qt/cups_library.h"

#include <cups/cups.h>
#include <cups/pwg.h>

#include <cstdarg>
#include <cstdio>

#define FORWARD(result, name, parameters, arguments)                                                          \
    extern "C" result name parameters                                                                       \
    {                                                                                                       \
        static const auto call = reinterpret_cast<decltype(&name)>(orvanto::CupsSymbol(#name));          \
        return call arguments;                                                                              \
    }

FORWARD(int, cupsAddOption, (const char* name, const char* value, int num_options, cups_option_t** options), (name, value, num_options, options))
FORWARD(ipp_t*, cupsDoRequest, (http_t* http, ipp_t* request, const char* resource), (http, request, resource))
FORWARD(void, cupsEncodeOptions2, (ipp_t* ipp, int num_options, cups_option_t* options, ipp_tag_t group_tag), (ipp, num_options, options, group_tag))
FORWARD(http_encryption_t, cupsEncryption, (void), ())
FORWARD(ipp_status_t, cupsFinishDocument, (http_t* http, const char* name), (http, name))
FORWARD(void, cupsFreeOptions, (int num_options, cups_option_t* options), (num_options, options))
FORWARD(http_status_t, cupsGetFd, (http_t* http, const char* resource, int fd), (http, resource, fd))
FORWARD(ipp_status_t, cupsLastError, (void), ())
FORWARD(const char*, cupsServer, (void), ())
FORWARD(http_status_t, cupsStartDocument, (http_t* http, const char* name, int job_id, const char* docname, const char* format, int last_document), (http, name, job_id, docname, format, last_document))
FORWARD(const char*, cupsUser, (void), ())
FORWARD(http_status_t, cupsWriteRequestData, (http_t* http, const char* buffer, size_t length), (http, buffer, length))
FORWARD(void, httpClose, (http_t* http), (http))
FORWARD(http_t*, httpConnect2, (const char* host, int port, http_addrlist_t* addrlist, int family, http_encryption_t encryption, int blocking, int msec, int* cancel), (host, port, addrlist, family, encryption, blocking, msec, cancel))
FORWARD(void, httpSetTimeout, (http_t* http, double timeout, http_timeout_cb_t cb, void* user_data), (http, timeout, cb, user_data))
FORWARD(ipp_attribute_t*, ippAddBoolean, (ipp_t* ipp, ipp_tag_t group, const char* name, char value), (ipp, group, name, value))
FORWARD(ipp_attribute_t*, ippAddInteger, (ipp_t* ipp, ipp_tag_t group, ipp_tag_t value_tag, const char* name, int value), (ipp, group, value_tag, name, value))
FORWARD(ipp_attribute_t*, ippAddString, (ipp_t* ipp, ipp_tag_t group, ipp_tag_t value_tag, const char* name, const char* language, const char* value), (ipp, group, value_tag, name, language, value))
FORWARD(ipp_attribute_t*, ippAddStrings, (ipp_t* ipp, ipp_tag_t group, ipp_tag_t value_tag, const char* name, int num_values, const char* language, const char* const* values), (ipp, group, value_tag, name, num_values, language, values))
FORWARD(void, ippDelete, (ipp_t* ipp), (ipp))
FORWARD(ipp_attribute_t*, ippFindAttribute, (ipp_t* ipp, const char* name, ipp_tag_t value_tag), (ipp, name, value_tag))
FORWARD(ipp_attribute_t*, ippFirstAttribute, (ipp_t* ipp), (ipp))
FORWARD(int, ippGetBoolean, (ipp_attribute_t* attr, int element), (attr, element))
FORWARD(ipp_t*, ippGetCollection, (ipp_attribute_t* attr, int element), (attr, element))
FORWARD(int, ippGetCount, (ipp_attribute_t* attr), (attr))
FORWARD(ipp_tag_t, ippGetGroupTag, (ipp_attribute_t* attr), (attr))
FORWARD(int, ippGetInteger, (ipp_attribute_t* attr, int element), (attr, element))
FORWARD(const char*, ippGetName, (ipp_attribute_t* attr), (attr))
FORWARD(int, ippGetResolution, (ipp_attribute_t* attr, int element, int* yres, ipp_res_t* units), (attr, element, yres, units))
FORWARD(ipp_status_t, ippGetStatusCode, (ipp_t* ipp), (ipp))
FORWARD(const char*, ippGetString, (ipp_attribute_t* attr, int element, const char** language), (attr, element, language))
FORWARD(ipp_tag_t, ippGetValueTag, (ipp_attribute_t* attr), (attr))
FORWARD(ipp_t*, ippNew, (void), ())
FORWARD(ipp_t*, ippNewRequest, (ipp_op_t op), (op))
FORWARD(ipp_attribute_t*, ippNextAttribute, (ipp_t* ipp), (ipp))
FORWARD(int, ippPort, (void), ())
FORWARD(ipp_state_t, ippReadIO, (void* source, ipp_iocb_t callback, int blocking, ipp_t* parent, ipp_t* ipp), (source, callback, blocking, parent, ipp))
FORWARD(pwg_media_t*, pwgMediaForPPD, (const char* ppd), (ppd))
FORWARD(pwg_media_t*, pwgMediaForPWG, (const char* pwg), (pwg))
FORWARD(pwg_media_t*, pwgMediaForSize, (int width, int length), (width, length))

// The one call with a variable list of arguments, which cannot be passed on
// as it is: the resource is written here, then libcups puts the address
// together as its own httpAssembleURIf would, refusing one that overflows.
extern "C" http_uri_status_t httpAssembleURIf(http_uri_coding_t encoding, char* uri, int urilen, const char* scheme,
                                             const char* username, const char* host, int port,
                                             const char* resourcef, ...)
{
    static const auto call = reinterpret_cast<decltype(&httpAssembleURI)>(orvanto::CupsSymbol("httpAssembleURI"));
    if (!uri || urilen < 1 || !resourcef)
        return HTTP_URI_STATUS_BAD_ARGUMENTS;
    char resource[1024];
    va_list list;
    va_start(list, resourcef);
    const int length = std::vsnprintf(resource, sizeof resource, resourcef, list);
    va_end(list);
    if (length < 0 || std::size_t(length) >= sizeof resource) {
        *uri = '\0';
        return HTTP_URI_STATUS_OVERFLOW;
    }
    return call(encoding, uri, urilen, scheme, username, host, port, resource);
}

// The libtiff functions the TIFF reader calls, passed on to libtiff once it
// is opened (see format_library.h).

#include "imaging/library/format_forwarding.h"

#include <tiffio.h>

#include <cstdarg>

#define FORWARD(result, name, parameters, arguments) ORVANTO_FORWARD(Tiff, result, name, parameters, arguments)

FORWARD(TIFF*, TIFFClientOpenExt,
        (const char* a, const char* b, thandle_t c, TIFFReadWriteProc d, TIFFReadWriteProc e, TIFFSeekProc f,
         TIFFCloseProc g, TIFFSizeProc h, TIFFMapFileProc i, TIFFUnmapFileProc j, TIFFOpenOptions* k),
        (a, b, c, d, e, f, g, h, i, j, k))
FORWARD(void, TIFFClose, (TIFF* a), (a))
FORWARD(uint32_t, TIFFComputeStrip, (TIFF* a, uint32_t b, uint16_t c), (a, b, c))
FORWARD(uint32_t, TIFFNumberOfStrips, (TIFF* a), (a))
FORWARD(int, TIFFIsTiled, (TIFF* a), (a))
FORWARD(tmsize_t, TIFFScanlineSize, (TIFF* a), (a))
FORWARD(tmsize_t, TIFFStripSize, (TIFF* a), (a))
FORWARD(TIFFOpenOptions*, TIFFOpenOptionsAlloc, (void), ())
FORWARD(void, TIFFOpenOptionsFree, (TIFFOpenOptions* a), (a))
FORWARD(void, TIFFOpenOptionsSetErrorHandlerExtR, (TIFFOpenOptions* a, TIFFErrorHandlerExtR b, void* c), (a, b, c))
FORWARD(void, TIFFOpenOptionsSetWarningHandlerExtR, (TIFFOpenOptions* a, TIFFErrorHandlerExtR b, void* c), (a, b, c))
FORWARD(void, TIFFOpenOptionsSetMaxSingleMemAlloc, (TIFFOpenOptions* a, tmsize_t b), (a, b))
FORWARD(int, TIFFRGBAImageOK, (TIFF* a, char b[1024]), (a, b))
FORWARD(int, TIFFRGBAImageBegin, (TIFFRGBAImage* a, TIFF* b, int c, char d[1024]), (a, b, c, d))
FORWARD(int, TIFFRGBAImageGet, (TIFFRGBAImage* a, uint32_t* b, uint32_t c, uint32_t d), (a, b, c, d))
FORWARD(void, TIFFRGBAImageEnd, (TIFFRGBAImage* a), (a))
FORWARD(tmsize_t, TIFFReadEncodedStrip, (TIFF* a, uint32_t b, void* c, tmsize_t d), (a, b, c, d))
FORWARD(int, TIFFReadScanline, (TIFF* a, void* b, uint32_t c, uint16_t d), (a, b, c, d))
FORWARD(int, TIFFVGetField, (TIFF* a, uint32_t b, va_list c), (a, b, c))
FORWARD(int, TIFFVGetFieldDefaulted, (TIFF* a, uint32_t b, va_list c), (a, b, c))

// The two with a variable argument list go through their va_list forms.
extern "C" int TIFFGetField(TIFF* tif, uint32_t tag, ...)
{
    va_list arguments;
    va_start(arguments, tag);
    const int result = TIFFVGetField(tif, tag, arguments);
    va_end(arguments);
    return result;
}

extern "C" int TIFFGetFieldDefaulted(TIFF* tif, uint32_t tag, ...)
{
    va_list arguments;
    va_start(arguments, tag);
    const int result = TIFFVGetFieldDefaulted(tif, tag, arguments);
    va_end(arguments);
    return result;
}

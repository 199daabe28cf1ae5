// The libwebp and libwebpdemux functions the WebP reader calls, passed on to
// those libraries once they are opened (see format_library.h).

#include "imaging/library/format_forwarding.h"

#include <webp/decode.h>
#include <webp/demux.h>

#define FORWARD(result, name, parameters, arguments) ORVANTO_FORWARD(Webp, result, name, parameters, arguments)

FORWARD(int, WebPGetInfo, (const uint8_t* a, size_t b, int* c, int* d), (a, b, c, d))
FORWARD(VP8StatusCode, WebPGetFeaturesInternal, (const uint8_t* a, size_t b, WebPBitstreamFeatures* c, int d),
        (a, b, c, d))
FORWARD(int, WebPInitDecoderConfigInternal, (WebPDecoderConfig* a, int b), (a, b))
FORWARD(VP8StatusCode, WebPDecode, (const uint8_t* a, size_t b, WebPDecoderConfig* c), (a, b, c))
FORWARD(WebPIDecoder*, WebPIDecode, (const uint8_t* a, size_t b, WebPDecoderConfig* c), (a, b, c))
FORWARD(VP8StatusCode, WebPIUpdate, (WebPIDecoder* a, const uint8_t* b, size_t c), (a, b, c))
FORWARD(VP8StatusCode, WebPIAppend, (WebPIDecoder* a, const uint8_t* b, size_t c), (a, b, c))
FORWARD(uint8_t*, WebPIDecGetRGB, (const WebPIDecoder* a, int* b, int* c, int* d, int* e), (a, b, c, d, e))
FORWARD(void, WebPIDelete, (WebPIDecoder* a), (a))
FORWARD(void, WebPFreeDecBuffer, (WebPDecBuffer* a), (a))
FORWARD(WebPDemuxer*, WebPDemuxInternal, (const WebPData* a, int b, WebPDemuxState* c, int d), (a, b, c, d))
FORWARD(void, WebPDemuxDelete, (WebPDemuxer* a), (a))
FORWARD(uint32_t, WebPDemuxGetI, (const WebPDemuxer* a, WebPFormatFeature b), (a, b))
FORWARD(int, WebPDemuxGetFrame, (const WebPDemuxer* a, int b, WebPIterator* c), (a, b, c))
FORWARD(void, WebPDemuxReleaseIterator, (WebPIterator* a), (a))
FORWARD(int, WebPDemuxGetChunk, (const WebPDemuxer* a, const char b[4], int c, WebPChunkIterator* d), (a, b, c, d))
FORWARD(void, WebPDemuxReleaseChunkIterator, (WebPChunkIterator* a), (a))
FORWARD(int, WebPAnimDecoderOptionsInitInternal, (WebPAnimDecoderOptions* a, int b), (a, b))
FORWARD(WebPAnimDecoder*, WebPAnimDecoderNewInternal, (const WebPData* a, const WebPAnimDecoderOptions* b, int c),
        (a, b, c))
FORWARD(int, WebPAnimDecoderGetInfo, (const WebPAnimDecoder* a, WebPAnimInfo* b), (a, b))
FORWARD(int, WebPAnimDecoderGetNext, (WebPAnimDecoder* a, uint8_t** b, int* c), (a, b, c))
FORWARD(void, WebPAnimDecoderDelete, (WebPAnimDecoder* a), (a))

#include "imaging/codecs/jpeg_encoder.h"

#include "support/messages/messages.h"

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include <jpeglib.h>

namespace orvanto {

namespace {

// libjpeg's error_exit must not return: it jumps back into EncodeRows, which
// holds no C++ object with a destructor and keeps its state in the structure
// passed in, so the jump skips nothing that needs cleaning up.
struct TEncodeState {
    jpeg_compress_struct Info;
    jpeg_error_mgr Error;
    std::jmp_buf Jump;
    unsigned char* Buffer;
    unsigned long Size;
};

[[noreturn]] void OnError(j_common_ptr info)
{
    std::longjmp(static_cast<TEncodeState*>(info->client_data)->Jump, 1);
}

void OnMessage(j_common_ptr, int) {}

bool EncodeRows(TEncodeState* s, const QImage* picture, int quality, JSAMPLE* greyRow)
{
    if (setjmp(s->Jump))
        return false;
    jpeg_create_compress(&s->Info);
    jpeg_mem_dest(&s->Info, &s->Buffer, &s->Size);
    s->Info.image_width = JDIMENSION(picture->width());
    s->Info.image_height = JDIMENSION(picture->height());
    s->Info.input_components = greyRow ? 1 : 3;
    s->Info.in_color_space = greyRow ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&s->Info);
    jpeg_set_quality(&s->Info, quality, TRUE);
    jpeg_start_compress(&s->Info, TRUE);
    while (s->Info.next_scanline < s->Info.image_height) {
        const std::uint8_t* line = picture->constScanLine(int(s->Info.next_scanline));
        JSAMPROW row = const_cast<JSAMPROW>(line);
        if (greyRow) {
            for (int x = 0; x < picture->width(); ++x)
                greyRow[x] = line[3 * x];
            row = greyRow;
        }
        jpeg_write_scanlines(&s->Info, &row, 1);
    }
    jpeg_finish_compress(&s->Info);
    return true;
}

} // namespace

bool EncodeJpeg(const QImage& source, int quality, QByteArray& bytes, std::string& error, TJpegChannels channels)
{
    error = Messages::OutOfMemory;
    bytes.clear();
    try {
        if (source.isNull())
            return false;
        const QImage picture =
            source.format() == QImage::Format_BGR888 ? source : source.convertToFormat(QImage::Format_BGR888);
        if (picture.isNull())
            return false;
        const bool grey = channels == TJpegChannels::Grey;
        std::vector<JSAMPLE> greyRow(grey ? std::size_t(picture.width()) : 0);
        auto* state = new (std::nothrow) TEncodeState;
        if (!state)
            return false;
        std::memset(state, 0, sizeof *state);
        state->Info.err = jpeg_std_error(&state->Error);
        state->Error.error_exit = OnError;
        state->Error.emit_message = OnMessage;
        state->Info.client_data = state;
        const bool encoded = EncodeRows(state, &picture, std::clamp(quality, 1, 100), grey ? greyRow.data() : nullptr);
        jpeg_destroy_compress(&state->Info);
        try {
            if (encoded && state->Buffer)
                bytes = QByteArray(reinterpret_cast<const char*>(state->Buffer), qsizetype(state->Size));
        } catch (const std::bad_alloc&) {
            bytes.clear();
        }
        std::free(state->Buffer);
        delete state;
        if (!encoded || bytes.isEmpty())
            return false;
        error.clear();
        return true;
    } catch (const std::bad_alloc&) {
        bytes.clear();
        return false;
    }
}

} // namespace orvanto

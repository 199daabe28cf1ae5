#include "imaging/library/jpeg_codec.h"

#include "imaging/codecs/picture_allocation.h"
#include "imaging/colour/colour_profile.h"
#include "imaging/colour/exif_orientation.h"
#include "imaging/file_bytes.h"
#include "support/text/byte_order.h"
#include "support/memory/memory_limit.h"
#include "support/messages/messages.h"

#include <QFile>
#include <QIODevice>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace orvanto {

namespace {


// Hostile progressive files can hold thousands of tiny scans, each a pass
// over the whole picture; real files have a dozen or so.
constexpr int MostScans = 400;

// libjpeg reports errors through error_exit, which must not return. We jump
// back to the setjmp in the stage functions below. Those functions hold no
// C++ objects with destructors and keep all state in the structures passed
// in, so the jump skips nothing that needs cleaning up and no local is left
// indeterminate.
struct TJpegError {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
    bool OutOfMemory;
    bool CutShort;
    JDIMENSION CutAtRow;
};

[[noreturn]] void OnError(j_common_ptr info)
{
    auto* error = reinterpret_cast<TJpegError*>(info->err);
    error->OutOfMemory = info->err->msg_code == JERR_OUT_OF_MEMORY || info->err->msg_code == JERR_NO_BACKING_STORE;
    std::longjmp(error->Jump, 1);
}

void OnMessage(j_common_ptr info, int level)
{
    if (level >= 0)
        return; // trace messages
    auto* error = reinterpret_cast<TJpegError*>(info->err);
    ++info->err->num_warnings;
    if (info->err->msg_code == JWRN_JPEG_EOF && !error->CutShort && info->is_decompressor) {
        // The rows of the block rows read in full are good; the decoder's
        // output lags its input, so count from the input side.
        const auto* d = reinterpret_cast<j_decompress_ptr>(info);
#if JPEG_LIB_VERSION >= 70
        const JDIMENSION blockRows = JDIMENSION(d->max_v_samp_factor * d->min_DCT_v_scaled_size);
#else
        const JDIMENSION blockRows = JDIMENSION(d->max_v_samp_factor * d->min_DCT_scaled_size);
#endif
        error->CutShort = true;
        error->CutAtRow = d->input_iMCU_row * blockRows;
    }
}

// libjpeg calls its progress monitor once a row or so; the caller hears of
// whole-percent steps only, so a listener may repaint on every report.
struct TProgressMonitor {
    jpeg_progress_mgr Manager;
    const TLoadProgress* Report; // null or empty: nobody listens
    int LastPercent;
    bool Stopped; // the listener threw: the caller wants no more of this decode
};

struct TDecodeState {
    jpeg_decompress_struct Info;
    TJpegError Error;
    TProgressMonitor Progress;
    bool Cmyk;
    bool InvertedCmyk;
    JOCTET* Profile; // the ICC profile of the APP2 markers, malloc'd by libjpeg; null when none or damaged
    unsigned int ProfileSize;
};

void ReportProgress(TProgressMonitor& monitor)
{
    const jpeg_progress_mgr& m = monitor.Manager;
    if (m.total_passes <= 0 || m.pass_limit <= 0)
        return;
    const long done = (long(m.completed_passes) * 100 + m.pass_counter * 100 / m.pass_limit) / m.total_passes;
    // 100 waits for the finished picture.
    const int percent = int(std::clamp<long>(done, 0, 99));
    if (percent <= monitor.LastPercent)
        return;
    monitor.LastPercent = percent;
    try {
        (*monitor.Report)(percent);
    } catch (...) {
        // A listener's failure must not unwind through libjpeg's C frames;
        // it ends the decode instead (a load cancelled by its caller).
        monitor.Stopped = true;
    }
}

void OnProgress(j_common_ptr info)
{
    if (!info->is_decompressor)
        return;
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > MostScans)
        OnError(info);
    auto* monitor = reinterpret_cast<TProgressMonitor*>(info->progress);
    if (monitor->Report)
        ReportProgress(*monitor);
    if (monitor->Stopped)
        OnError(info);
}

void PrepareDecode(TDecodeState* s, const TLoadProgress& progress)
{
    std::memset(s, 0, sizeof *s);
    s->Progress.Report = progress ? &progress : nullptr;
    s->Progress.LastPercent = -1;
    s->Info.err = jpeg_std_error(&s->Error.Manager);
    s->Error.Manager.error_exit = OnError;
    s->Error.Manager.emit_message = OnMessage;
}

// Reads the header and sets the output size. False when libjpeg failed.
bool DecodeHeader(TDecodeState* s, const std::uint8_t* data, std::size_t size, long memoryLimit)
{
    if (setjmp(s->Error.Jump))
        return false;
    jpeg_create_decompress(&s->Info);
    s->Info.mem->max_memory_to_use = memoryLimit;
    s->Progress.Manager.progress_monitor = OnProgress;
    s->Info.progress = &s->Progress.Manager;
    jpeg_mem_src(&s->Info, data, static_cast<unsigned long>(size));
    jpeg_save_markers(&s->Info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_save_markers(&s->Info, JPEG_APP0 + 14, 64);
    jpeg_save_markers(&s->Info, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(&s->Info, TRUE);
    // A profile split over several markers is put together by sequence
    // number; a set with gaps, repeats or disagreeing counts reads as none.
    if (!jpeg_read_icc_profile(&s->Info, &s->Profile, &s->ProfileSize))
        s->Profile = nullptr, s->ProfileSize = 0;
    s->Cmyk = s->Info.jpeg_color_space == JCS_CMYK || s->Info.jpeg_color_space == JCS_YCCK;
    s->Info.out_color_space = s->Cmyk ? JCS_CMYK : JCS_EXT_BGR;
    // Adobe's writers store CMYK inverted and say so in their APP14 marker.
    s->InvertedCmyk = s->Cmyk && s->Info.saw_Adobe_marker;
    jpeg_calc_output_dimensions(&s->Info);
    return true;
}

void CmykToBgr(const JSAMPLE* cmyk, std::uint8_t* bgr, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted)
            c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        // Inverted values are the amounts of light left: red = (1-C)(1-K).
        bgr[0] = std::uint8_t((y * k + 127) / 255);
        bgr[1] = std::uint8_t((m * k + 127) / 255);
        bgr[2] = std::uint8_t((c * k + 127) / 255);
    }
}

// Decodes the rows straight into the picture's memory.
bool DecodeRows(TDecodeState* s, std::uint8_t* bits, std::size_t bytesPerLine, JSAMPLE* cmykRow,
                const TCmykToSrgb* cmykProfile)
{
    if (setjmp(s->Error.Jump))
        return false;
    jpeg_start_decompress(&s->Info);
    while (s->Info.output_scanline < s->Info.output_height) {
        const JDIMENSION y = s->Info.output_scanline;
        std::uint8_t* target = bits + std::size_t(y) * bytesPerLine;
        JSAMPROW row = s->Cmyk ? cmykRow : target;
        if (jpeg_read_scanlines(&s->Info, &row, 1) != 1)
            break;
        if (cmykProfile)
            cmykProfile->Convert(cmykRow, 0, target, 0, int(s->Info.output_width), 1);
        else if (s->Cmyk)
            CmykToBgr(cmykRow, target, s->Info.output_width, s->InvertedCmyk);
        // Rows decoded after the data ran out are the decoder's filler;
        // progressive files have the whole picture at a lower quality.
        if (s->Error.CutShort && !s->Info.progressive_mode)
            break;
    }
    return true;
}

std::string Describe(const TDecodeState& s, int orientation)
{
    std::string text = s.Info.progressive_mode ? "progressive" : "baseline";
    text += ", " + std::to_string(s.Info.num_components) + " components";
    if (s.Cmyk)
        text += s.InvertedCmyk ? ", inverted CMYK" : ", CMYK";
    if (orientation != 1)
        text += ", orientation " + std::to_string(orientation);
    if (s.Profile)
        text += ", colour profile";
    return text;
}

} // namespace

namespace {

bool ReadJpegOnce(const std::uint8_t* data, std::size_t size, QImage& picture, std::string& error,
                  TJpegOrientation orientation, std::string* details, const TLoadProgress& progress,
                  bool& cutShort)
{
    auto* state = new (std::nothrow) TDecodeState;
    if (!state) {
        error = Messages::OutOfMemory;
        return false;
    }
    PrepareDecode(state, progress);
    bool read = false;
    try {
        const long limit = long(std::min<std::int64_t>(AllocationCeiling(), std::int64_t(1) << 40));
        error = Messages::UnknownFormat;
        if (size > 0 && DecodeHeader(state, data, size, limit)) {
            const JDIMENSION width = state->Info.output_width, height = state->Info.output_height;
            // Every row is either decoded or painted white below.
            picture = AllocatePicture(width, height, TPictureFill::None);
            if (picture.isNull()) {
                error = Messages::OutOfMemory;
            } else {
                std::vector<JSAMPLE> cmykRow(state->Cmyk ? std::size_t(width) * 4 : 0);
                const QByteArray profile = QByteArray::fromRawData(reinterpret_cast<const char*>(state->Profile),
                                                                   qsizetype(state->ProfileSize));
                // Without a usable profile CMYK keeps the plain conversion.
                const auto cmykProfile = state->Cmyk && state->Profile
                    ? TCmykToSrgb::Make(profile, state->InvertedCmyk) : nullptr;
                read = DecodeRows(state, picture.bits(), std::size_t(picture.bytesPerLine()), cmykRow.data(),
                                  cmykProfile.get());
                if (read && !state->Cmyk && state->Profile)
                    ConvertToSrgb(picture, profile);
                if (read && (state->Info.output_scanline < height
                             || (state->Error.CutShort && !state->Info.progressive_mode))) {
                    // Rows past the data, and rows never decoded, are white.
                    JDIMENSION from = std::min(state->Info.output_scanline, height);
                    if (state->Error.CutShort && !state->Info.progressive_mode)
                        from = std::min(from, state->Error.CutAtRow);
                    for (JDIMENSION y = from; y < height; ++y)
                        std::memset(picture.scanLine(int(y)), 0xFF, std::size_t(width) * 3);
                }
            }
        }
        if (!read && state->Error.OutOfMemory)
            error = Messages::OutOfMemory;
        int turn = 1;
        if (read && orientation == TJpegOrientation::Upright)
            for (jpeg_saved_marker_ptr m = state->Info.marker_list; m; m = m->next)
                if (m->marker == JPEG_APP0 + 1 && (turn = ExifOrientation(m->data, m->data_length)) != 1)
                    break;
        if (read && details)
            *details = Describe(*state, turn);
        if (read && turn != 1) {
            picture = Oriented(std::move(picture), turn);
            if (picture.isNull()) {
                error = Messages::OutOfMemory;
                read = false;
            }
        }
    } catch (const std::bad_alloc&) {
        error = Messages::OutOfMemory;
        read = false;
    }
    cutShort = state->Error.CutShort && !state->Error.OutOfMemory;
    jpeg_destroy_decompress(&state->Info);
    std::free(state->Profile);
    delete state;
    if (!read)
        picture = QImage();
    else
        error.clear();
    return read;
}

// Where the last marker segment starts: a file cut inside the tables
// between two scans reads up to there.
std::size_t LastMarker(const std::uint8_t* data, std::size_t size)
{
    for (std::size_t at = size - 1; at > 2; --at) {
        const std::uint8_t code = data[at];
        if (data[at - 1] == 0xFF && code != 0 && code != 0xFF && !(code >= 0xD0 && code <= 0xD7))
            return at - 1;
    }
    return 0;
}

} // namespace

bool ReadJpeg(const std::uint8_t* data, std::size_t size, QImage& picture, std::string& error,
              TJpegOrientation orientation, std::string* details, const TLoadProgress& progress, bool* partial)
{
    bool cutShort = false;
    bool read = ReadJpegOnce(data, size, picture, error, orientation, details, progress, cutShort);
    if (!read && cutShort && size >= 4) {
        const std::size_t end = LastMarker(data, size);
        bool again = false;
        read = end > 2 && ReadJpegOnce(data, end, picture, error, orientation, details, progress, again);
    }
    if (partial)
        *partial = read && cutShort;
    try {
        if (read && progress)
            progress(100);
    } catch (...) {
    }
    return read;
}

bool ReadJpeg(const QByteArray& bytes, QImage& picture, std::string& error, TJpegOrientation orientation)
{
    return ReadJpeg(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()), picture,
                    error, orientation);
}

bool ReadJpeg(QIODevice& device, QImage& picture, std::string& error, TJpegOrientation orientation)
{
    return ReadDeviceBytes(device, error, [&](const std::uint8_t* data, std::size_t size) {
        return ReadJpeg(data, size, picture, error, orientation);
    });
}

bool ReadJpegFile(const std::string& path, QImage& picture, std::string& error, std::string* details,
                  const TLoadProgress& progress, bool* partial)
{
    return ReadFileBytes(path, error, [&](const std::uint8_t* data, std::size_t size) {
        return ReadJpeg(data, size, picture, error, TJpegOrientation::Upright, details, progress, partial);
    });
}

namespace {

// The EXIF turn of the saved markers; 1 when there is none.
int SavedOrientation(const jpeg_decompress_struct& info)
{
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1) {
            const int turn = ExifOrientation(m->data, m->data_length);
            if (turn != 1)
                return turn;
        }
    return 1;
}

// libjpeg's own rounding of a scaled side.
int ScaledSide(JDIMENSION side, int denominator)
{
    return int((std::uint64_t(side) + unsigned(denominator) - 1) / unsigned(denominator));
}

bool Rescale(TDecodeState* s, int denominator)
{
    if (setjmp(s->Error.Jump))
        return false;
    s->Info.scale_num = 1;
    s->Info.scale_denom = unsigned(denominator);
    jpeg_calc_output_dimensions(&s->Info);
    return true;
}

// The camera's EXIF thumbnail, when it has the picture's shape and reaches
// wanted upright: it costs a fraction of even the smallest reduction, which
// still reads every coefficient of the file. Decoded as stored, then put in
// the picture's colours (a thumbnail rarely carries a profile of its own)
// and turned as the picture is. Null when there is none to use.
QImage ThumbnailCopy(const jpeg_decompress_struct& info, int turn, QSize wanted, const QByteArray& profile)
{
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next) {
        if (m->marker != JPEG_APP0 + 1)
            continue;
        const TExifThumbnail thumbnail = ExifThumbnail(m->data, m->data_length);
        if (!thumbnail.Data)
            continue;
        QImage copy;
        std::string error;
        if (!ReadJpeg(thumbnail.Data, thumbnail.Size, copy, error, TJpegOrientation::Stored))
            return QImage();
        // Within two pixels of the picture's shape at the thumbnail's size:
        // a thumbnail padded to another shape would show bars.
        // A thumbnail half the picture's size or more saves nothing.
        const std::int64_t width = info.image_width, height = info.image_height;
        if (std::abs(copy.width() * height - copy.height() * width) > 2 * std::max(width, height)
            || copy.width() > (width + 1) / 2 || copy.height() > (height + 1) / 2)
            return QImage();
        const QSize upright = turn >= 5 ? copy.size().transposed() : copy.size();
        if (upright.width() < wanted.width() || upright.height() < wanted.height())
            return QImage();
        const char* marker = "ICC_PROFILE";
        const auto* end = thumbnail.Data + thumbnail.Size;
        const bool ownProfile = std::search(thumbnail.Data, end, marker, marker + 11) != end;
        if (!ownProfile && !profile.isEmpty())
            ConvertToSrgb(copy, profile);
        return Oriented(std::move(copy), turn);
    }
    return QImage();
}

} // namespace

bool ReadJpegPreview(const std::uint8_t* data, std::size_t size, const TJpegPreviewNeed& need, QImage& picture,
                     QSize& fullSize)
{
    picture = QImage();
    auto* state = new (std::nothrow) TDecodeState;
    if (!state)
        return false;
    PrepareDecode(state, {});
    bool read = false;
    try {
        const long limit = long(std::min<std::int64_t>(AllocationCeiling(), std::int64_t(1) << 40));
        if (size > 0 && DecodeHeader(state, data, size, limit)) {
            const int turn = SavedOrientation(state->Info);
            const JDIMENSION storedWidth = state->Info.image_width, storedHeight = state->Info.image_height;
            const bool swaps = turn >= 5;
            fullSize = swaps ? QSize(int(storedHeight), int(storedWidth)) : QSize(int(storedWidth), int(storedHeight));
            const QSize wanted = need ? need(fullSize) : QSize(1, 1);
            if (!state->Cmyk) {
                const QByteArray profile = QByteArray::fromRawData(reinterpret_cast<const char*>(state->Profile),
                                                                   qsizetype(state->ProfileSize));
                picture = ThumbnailCopy(state->Info, turn, wanted, state->Profile ? profile : QByteArray());
                read = !picture.isNull();
            }
            int chosen = 0;
            for (const int denominator : {8, 4, 2}) {
                const QSize reduced(ScaledSide(swaps ? storedHeight : storedWidth, denominator),
                                    ScaledSide(swaps ? storedWidth : storedHeight, denominator));
                if (reduced.width() >= wanted.width() && reduced.height() >= wanted.height()) {
                    chosen = denominator;
                    break;
                }
            }
            if (!read && chosen && Rescale(state, chosen)) {
                const JDIMENSION width = state->Info.output_width, height = state->Info.output_height;
                picture = AllocatePicture(width, height, TPictureFill::White);
                std::vector<JSAMPLE> cmykRow(state->Cmyk ? std::size_t(width) * 4 : 0);
                // The copy's colours are the whole picture's: the same profile.
                const QByteArray profile = QByteArray::fromRawData(reinterpret_cast<const char*>(state->Profile),
                                                                   qsizetype(state->ProfileSize));
                const auto cmykProfile = state->Cmyk && state->Profile
                    ? TCmykToSrgb::Make(profile, state->InvertedCmyk) : nullptr;
                read = !picture.isNull()
                    && DecodeRows(state, picture.bits(), std::size_t(picture.bytesPerLine()), cmykRow.data(),
                                  cmykProfile.get());
                if (read && !state->Cmyk && state->Profile)
                    ConvertToSrgb(picture, profile);
                if (read && turn != 1) {
                    picture = Oriented(std::move(picture), turn);
                    read = !picture.isNull();
                }
            }
        }
    } catch (const std::bad_alloc&) {
        read = false;
    }
    jpeg_destroy_decompress(&state->Info);
    std::free(state->Profile);
    delete state;
    if (!read)
        picture = QImage();
    return read;
}

bool ReadJpegPreviewFile(const std::string& path, const TJpegPreviewNeed& need, QImage& picture, QSize& fullSize)
{
    std::string error;
    return ReadFileBytes(path, error, [&](const std::uint8_t* data, std::size_t size) {
        return ReadJpegPreview(data, size, need, picture, fullSize);
    });
}

bool SaveJpegFile(const QImage& picture, int quality, const std::string& path, std::string& error)
{
    QByteArray bytes;
    if (!EncodeJpeg(picture, quality, bytes, error))
        return false;
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = Messages::FileInUse;
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        error = Messages::OutOfDiskSpace;
        return false;
    }
    return true;
}

} // namespace orvanto

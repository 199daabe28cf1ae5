#include "imaging/library/heif_reader.h"
#include "support/messages/messages.h"

#include "imaging/codecs/picture_allocation.h"
#include "imaging/colour/colour_profile.h"
#include "imaging/file_bytes.h"
#include "imaging/library/opaque_picture.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include <libheif/heif.h>

namespace orvanto {

namespace {

struct TContextFree {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct THandleRelease {
    void operator()(const heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct TImageRelease {
    void operator()(const heif_image* image) const { heif_image_release(image); }
};
struct TOptionsFree {
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};

struct TProgress {
    const TLoadProgress* Report;
    int Most;
    int LastPercent;
};

void OnStart(heif_progress_step, int most, void* user) { static_cast<TProgress*>(user)->Most = most; }

void OnProgress(heif_progress_step, int done, void* user)
{
    auto* state = static_cast<TProgress*>(user);
    if (state->Most <= 0)
        return;
    const int percent = int(std::int64_t(done) * 99 / state->Most);
    if (percent <= state->LastPercent)
        return;
    state->LastPercent = percent;
    try {
        (*state->Report)(percent);
    } catch (...) {
        // A listener's failure must not unwind through libheif.
    }
}

void OnEnd(heif_progress_step, void*) {}

const char* Failure(const heif_error& failure)
{
    switch (failure.code) {
    case heif_error_Memory_allocation_error:
        return Messages::OutOfMemory;
    case heif_error_Unsupported_feature:
    case heif_error_Decoder_plugin_error:
        return Messages::UnsupportedFormat;
    default:
        return Messages::UnknownFormat;
    }
}

// libheif's interleaved red-green-blue(-alpha) rows turned into
// blue-green-red rows padded to 4 bytes, in libheif's own memory; the picture
// then keeps that memory until its last copy goes.
QImage TakeOver(std::unique_ptr<heif_image, TImageRelease> image, bool alpha, bool premultiplied)
{
    int stride = 0;
    std::uint8_t* bits = heif_image_get_plane(image.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    const int bytes = alpha ? 4 : 3;
    if (!bits || width <= 0 || height <= 0 || stride < width * bytes)
        return QImage();
    const qsizetype targetStride = (qsizetype(width) * 3 + 3) / 4 * 4;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* source = bits + qsizetype(y) * stride;
        std::uint8_t* target = bits + qsizetype(y) * targetStride;
        for (int x = 0; x < width; ++x, source += bytes, target += 3) {
            int r = source[0], g = source[1], b = source[2];
            if (alpha) {
                const int a = source[3];
                if (premultiplied)
                    r = std::min(r + 255 - a, 255), g = std::min(g + 255 - a, 255), b = std::min(b + 255 - a, 255);
                else
                    r = OverWhite8(r, a), g = OverWhite8(g, a), b = OverWhite8(b, a);
            }
            target[0] = std::uint8_t(b), target[1] = std::uint8_t(g), target[2] = std::uint8_t(r);
        }
        std::memset(bits + qsizetype(y) * targetStride + width * 3, 0, std::size_t(targetStride - width * 3));
    }
    heif_image* owner = image.release();
    QImage picture(bits, width, height, targetStride, QImage::Format_BGR888,
                   [](void* info) { heif_image_release(static_cast<heif_image*>(info)); }, owner);
    if (picture.isNull())
        heif_image_release(owner);
    return picture;
}

QByteArray Profile(const heif_image_handle* handle)
{
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC)
        return QByteArray();
    const std::size_t size = heif_image_handle_get_raw_color_profile_size(handle);
    QByteArray profile(qsizetype(size), '\0');
    if (size == 0 || heif_image_handle_get_raw_color_profile(handle, profile.data()).code != heif_error_Ok)
        return QByteArray();
    return profile;
}

bool Decode(const std::uint8_t* data, std::size_t size, QImage& picture, std::string& error,
            const TLoadProgress& progress)
{
    static const bool started = heif_init(nullptr).code == heif_error_Ok;
    (void)started;
    error = Messages::OutOfMemory;
    const std::unique_ptr<heif_context, TContextFree> context(heif_context_alloc());
    if (!context)
        return false;
    // Tiles are decoded one after another: the machine is shared with the
    // window, and the decoders use threads of their own.
    heif_context_set_max_decoding_threads(context.get(), 0);
    heif_error failure = heif_context_read_from_memory_without_copy(context.get(), data, size, nullptr);
    error = Failure(failure);
    if (failure.code != heif_error_Ok)
        return false;
    heif_image_handle* primary = nullptr;
    failure = heif_context_get_primary_image_handle(context.get(), &primary);
    const std::unique_ptr<const heif_image_handle, THandleRelease> handle(primary);
    error = Failure(failure);
    if (failure.code != heif_error_Ok || !handle)
        return false;
    const int width = heif_image_handle_get_width(handle.get()), height = heif_image_handle_get_height(handle.get());
    if (!PictureFits(width, height)) {
        error = Messages::OutOfMemory;
        return false;
    }
    // A grid or overlay describes its own size again; a damaged one may claim
    // far more than the size checked above, and libheif would allocate it.
    // Coded pictures and grids of tiles overshoot the shown size by up to a
    // tile (512 pixels from phones), cropped off after decoding.
    constexpr int TileMargin = 1024;
    heif_context_set_maximum_image_size_limit(context.get(), std::max(width, height) + TileMargin);

    error = Messages::OutOfMemory;
    const std::unique_ptr<heif_decoding_options, TOptionsFree> options(heif_decoding_options_alloc());
    if (!options)
        return false;
    options->ignore_transformations = 0;
    options->convert_hdr_to_8bit = 1;
    TProgress state{&progress, 0, -1};
    if (progress) {
        options->start_progress = OnStart;
        options->on_progress = OnProgress;
        options->end_progress = OnEnd;
        options->progress_user_data = &state;
    }
    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    heif_image* decoded = nullptr;
    failure = heif_decode_image(handle.get(), &decoded, heif_colorspace_RGB,
                                alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get());
    std::unique_ptr<heif_image, TImageRelease> image(decoded);
    error = Failure(failure);
    if (failure.code != heif_error_Ok || !image)
        return false;
    // The rotation may have turned the size; the decoded picture's is the one.
    if (!PictureFits(heif_image_get_width(image.get(), heif_channel_interleaved),
                     heif_image_get_height(image.get(), heif_channel_interleaved))) {
        error = Messages::OutOfMemory;
        return false;
    }
    error = Messages::OutOfMemory;
    picture = TakeOver(std::move(image), alpha, heif_image_handle_is_premultiplied_alpha(handle.get()) != 0);
    if (picture.isNull())
        return false;
    const QByteArray profile = Profile(handle.get());
    if (!profile.isEmpty())
        ConvertToSrgb(picture, profile);
    return true;
}

using THandle = std::unique_ptr<const heif_image_handle, THandleRelease>;

// The thumbnail to show: same shape as the picture (a thumbnail cut to
// another shape would show as something else), the smallest reaching
// wanted, else the largest.
THandle ChooseThumbnail(const heif_image_handle* primary, QSize full, QSize wanted)
{
    const int count = heif_image_handle_get_number_of_thumbnails(primary);
    if (count <= 0 || count > 64)
        return nullptr;
    heif_item_id ids[64];
    const int listed = heif_image_handle_get_list_of_thumbnail_IDs(primary, ids, count);
    THandle best;
    QSize bestSize;
    for (int i = 0; i < listed; ++i) {
        heif_image_handle* thumbnail = nullptr;
        if (heif_image_handle_get_thumbnail(primary, ids[i], &thumbnail).code != heif_error_Ok || !thumbnail)
            continue;
        THandle handle(thumbnail);
        const QSize size(heif_image_handle_get_width(thumbnail), heif_image_handle_get_height(thumbnail));
        // Within a pixel of the picture's shape at the thumbnail's size.
        const bool sameShape = size.width() > 0 && size.height() > 0
            && std::abs(std::int64_t(size.width()) * full.height() - std::int64_t(size.height()) * full.width())
                <= std::max(full.width(), full.height());
        if (!sameShape || !PictureFits(size.width(), size.height()))
            continue;
        const auto reaches = [&wanted](QSize s) { return s.width() >= wanted.width() && s.height() >= wanted.height(); };
        const bool better = !best || (reaches(size) && (!reaches(bestSize) || size.width() < bestSize.width()))
            || (!reaches(size) && !reaches(bestSize) && size.width() > bestSize.width());
        if (better) {
            best = std::move(handle);
            bestSize = size;
        }
    }
    return best;
}

bool DecodePreview(const std::uint8_t* data, std::size_t size, const THeifPreviewNeed& need, QImage& picture,
                   QSize& fullSize)
{
    static const bool started = heif_init(nullptr).code == heif_error_Ok;
    (void)started;
    const std::unique_ptr<heif_context, TContextFree> context(heif_context_alloc());
    if (!context)
        return false;
    heif_context_set_max_decoding_threads(context.get(), 0);
    if (heif_context_read_from_memory_without_copy(context.get(), data, size, nullptr).code != heif_error_Ok)
        return false;
    heif_image_handle* primary = nullptr;
    const heif_error failure = heif_context_get_primary_image_handle(context.get(), &primary);
    const THandle handle(primary);
    if (failure.code != heif_error_Ok || !handle)
        return false;
    fullSize = QSize(heif_image_handle_get_width(primary), heif_image_handle_get_height(primary));
    if (fullSize.isEmpty())
        return false;
    const THandle thumbnail = ChooseThumbnail(primary, fullSize, need ? need(fullSize) : QSize(1, 1));
    if (!thumbnail)
        return false;
    const int longest = std::max(heif_image_handle_get_width(thumbnail.get()),
                                 heif_image_handle_get_height(thumbnail.get()));
    heif_context_set_maximum_image_size_limit(context.get(), longest + 1024);
    const std::unique_ptr<heif_decoding_options, TOptionsFree> options(heif_decoding_options_alloc());
    if (!options)
        return false;
    options->ignore_transformations = 0;
    options->convert_hdr_to_8bit = 1;
    const bool alpha = heif_image_handle_has_alpha_channel(thumbnail.get()) != 0;
    heif_image* decoded = nullptr;
    const heif_error decoding = heif_decode_image(thumbnail.get(), &decoded, heif_colorspace_RGB,
                                                  alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                                                  options.get());
    std::unique_ptr<heif_image, TImageRelease> image(decoded);
    if (decoding.code != heif_error_Ok || !image
        || !PictureFits(heif_image_get_width(image.get(), heif_channel_interleaved),
                        heif_image_get_height(image.get(), heif_channel_interleaved)))
        return false;
    picture = TakeOver(std::move(image), alpha, heif_image_handle_is_premultiplied_alpha(thumbnail.get()) != 0);
    if (picture.isNull())
        return false;
    // A thumbnail without a profile of its own is in the picture's colours.
    QByteArray profile = Profile(thumbnail.get());
    if (profile.isEmpty())
        profile = Profile(primary);
    if (!profile.isEmpty())
        ConvertToSrgb(picture, profile);
    return true;
}

} // namespace

bool ReadHeifPreview(const std::uint8_t* data, std::size_t size, const THeifPreviewNeed& need, QImage& picture,
                     QSize& fullSize)
{
    picture = QImage();
    if (size < 12 || std::memcmp(data + 4, "ftyp", 4) != 0)
        return false;
    bool read = false;
    try {
        read = DecodePreview(data, size, need, picture, fullSize);
    } catch (const std::bad_alloc&) {
        read = false;
    }
    if (!read)
        picture = QImage();
    return read;
}

bool ReadHeifPreviewFile(const std::string& path, const THeifPreviewNeed& need, QImage& picture, QSize& fullSize)
{
    std::string error;
    return ReadFileBytes(path, error, [&](const std::uint8_t* data, std::size_t size) {
        return ReadHeifPreview(data, size, need, picture, fullSize);
    });
}

bool ReadHeif(const std::uint8_t* data, std::size_t size, QImage& picture, std::string& error,
              const TLoadProgress& progress)
{
    error = Messages::UnknownFormat;
    // An ISO media file opens with a box: a 4-byte size, then "ftyp".
    if (size < 12 || std::memcmp(data + 4, "ftyp", 4) != 0)
        return false;
    return DecodeWholeOrNothing(picture, error,
                                [&](QImage& decoded) { return Decode(data, size, decoded, error, progress); });
}

bool ReadHeifFile(const std::string& path, QImage& picture, std::string& error, const TLoadProgress& progress)
{
    return ReadFileBytes(path, error, [&](const std::uint8_t* data, std::size_t size) {
        return ReadHeif(data, size, picture, error, progress);
    });
}

} // namespace orvanto

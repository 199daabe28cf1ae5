#include "imaging/heif_reader.h"
#include "support/messages.h"

#include "imaging/codecs/picture_allocation.h"
#include "imaging/colour_profile.h"
#include "imaging/file_bytes.h"
#include "imaging/opaque_picture.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include <libheif/heif.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

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

// True when every coding configuration in the file (HEVC's hvcC, AV1's av1C)
// is 4:2:0, or grey for an alpha plane, with at least one 4:2:0: pictures
// coded in luma and chroma, as cameras and phones write them. Pictures coded
// otherwise (red-green-blue among them) are left to libheif's conversion.
bool CodedAs420(const std::uint8_t* data, std::size_t size)
{
    bool any420 = false;
    for (std::size_t at = 4; at + 8 <= size; ++at) {
        const std::uint8_t* type = data + at;
        const bool hevc = std::memcmp(type, "hvcC", 4) == 0, av1 = std::memcmp(type, "av1C", 4) == 0;
        if (!hevc && !av1)
            continue;
        const std::size_t need = hevc ? 17 : 3;
        if (at + 4 + need > size)
            return false;
        const std::uint8_t* payload = type + 4;
        bool grey = false, is420 = false;
        if (hevc) {
            const int format = payload[16] & 3;
            grey = format == 0, is420 = format == 1;
        } else {
            const int mono = (payload[2] >> 4) & 1, sx = (payload[2] >> 3) & 1, sy = (payload[2] >> 2) & 1;
            grey = mono != 0, is420 = !mono && sx && sy;
        }
        if (!grey && !is420)
            return false;
        any420 = any420 || is420;
    }
    return any420;
}

// One plane of a decoded picture: samples of 8 bits, or of up to 16 bits
// stored in two bytes.
struct TPlane {
    const std::uint8_t* Bits = nullptr;
    int Stride = 0;
    int Depth = 0;

    bool Get(const heif_image* image, heif_channel channel)
    {
        Bits = heif_image_get_plane_readonly(image, channel, &Stride);
        Depth = heif_image_get_bits_per_pixel_range(image, channel);
        return Bits && Depth >= 1 && Depth <= 16;
    }
    int At(int x, int y) const
    {
        const std::uint8_t* row = Bits + qsizetype(y) * Stride;
        if (Depth <= 8)
            return row[x];
        return reinterpret_cast<const std::uint16_t*>(row)[x];
    }
};

// The luma weights of red and blue for the matrices pictures use; false for
// matrices converted only by libheif (identity, constant luminance, ...).
bool LumaWeights(const heif_image* image, const heif_image_handle* handle, double& kr, double& kb, bool& full)
{
    // Without a description, libheif takes the picture for BT.601 in full range.
    int matrix = heif_matrix_coefficients_ITU_R_BT_601_6;
    full = true;
    heif_color_profile_nclx* nclx = nullptr;
    if (heif_image_get_nclx_color_profile(image, &nclx).code != heif_error_Ok || !nclx)
        heif_image_handle_get_nclx_color_profile(handle, &nclx);
    if (nclx) {
        matrix = nclx->matrix_coefficients;
        full = nclx->full_range_flag != 0;
        heif_nclx_color_profile_free(nclx);
    }
    switch (matrix) {
    case heif_matrix_coefficients_ITU_R_BT_709_5:
        kr = 0.2126, kb = 0.0722;
        return true;
    case heif_matrix_coefficients_unspecified:
    case heif_matrix_coefficients_ITU_R_BT_470_6_System_B_G:
    case heif_matrix_coefficients_ITU_R_BT_601_6:
        kr = 0.299, kb = 0.114;
        return true;
    case heif_matrix_coefficients_ITU_R_BT_2020_2_non_constant_luminance:
        kr = 0.2627, kb = 0.0593;
        return true;
    default:
        return false;
    }
}

// The decoder's own luma and chroma planes turned into the picture row by
// row: libheif's conversion to interleaved colour would hold two more
// full-size copies of the picture at once. A null image when the planes are
// of a kind left to libheif.
QImage FromNative(const heif_image* image, const heif_image_handle* handle, bool alpha, bool premultiplied,
                  bool& tooLarge)
{
    tooLarge = false;
    if (heif_image_get_colorspace(image) != heif_colorspace_YCbCr)
        return QImage();
    int shiftX = 0, shiftY = 0;
    switch (heif_image_get_chroma_format(image)) {
    case heif_chroma_420:
        shiftX = shiftY = 1;
        break;
    case heif_chroma_422:
        shiftX = 1;
        break;
    case heif_chroma_444:
        break;
    default:
        return QImage();
    }
    TPlane luma, blue, red, opacity;
    if (!luma.Get(image, heif_channel_Y) || !blue.Get(image, heif_channel_Cb) || !red.Get(image, heif_channel_Cr)
        || (alpha && !opacity.Get(image, heif_channel_Alpha)))
        return QImage();
    const int width = heif_image_get_width(image, heif_channel_Y);
    const int height = heif_image_get_height(image, heif_channel_Y);
    if (width <= 0 || height <= 0 || heif_image_get_width(image, heif_channel_Cb) < (width + shiftX) >> shiftX
        || heif_image_get_height(image, heif_channel_Cb) < (height + shiftY) >> shiftY
        || heif_image_get_width(image, heif_channel_Cr) < (width + shiftX) >> shiftX
        || heif_image_get_height(image, heif_channel_Cr) < (height + shiftY) >> shiftY
        || (alpha
            && (heif_image_get_width(image, heif_channel_Alpha) < width
                || heif_image_get_height(image, heif_channel_Alpha) < height)))
        return QImage();
    double kr = 0, kb = 0;
    bool full = true;
    if (!LumaWeights(image, handle, kr, kb, full))
        return QImage();
    if (!PictureFits(width, height)) {
        tooLarge = true;
        return QImage();
    }
    QImage picture = AllocatePicture(width, height, TPictureFill::None);
    if (picture.isNull()) {
        tooLarge = true;
        return QImage();
    }
    // Samples scaled to 0..1 (luma) and -0.5..0.5 (chroma) in one multiply.
    const double lumaMax = double((1 << luma.Depth) - 1), chromaMax = double((1 << blue.Depth) - 1);
    const double lumaScale = full ? 1.0 / lumaMax : 1.0 / (219.0 * (1 << (luma.Depth - 8 > 0 ? luma.Depth - 8 : 0)));
    const double lumaOffset = full ? 0.0 : 16.0 * (1 << (luma.Depth > 8 ? luma.Depth - 8 : 0));
    const double chromaScale = full ? 1.0 / chromaMax : 1.0 / (224.0 * (1 << (blue.Depth > 8 ? blue.Depth - 8 : 0)));
    const double chromaOffset = double(1 << (blue.Depth - 1));
    const double kg = 1.0 - kr - kb;
    const double crToR = 2.0 * (1.0 - kr), cbToB = 2.0 * (1.0 - kb);
    const double cbToG = -2.0 * kb * (1.0 - kb) / kg, crToG = -2.0 * kr * (1.0 - kr) / kg;
    const int alphaMax = (1 << opacity.Depth) - 1;
    auto toByte = [](double value) { return value <= 0.0 ? 0 : value >= 1.0 ? 255 : int(value * 255.0 + 0.5); };
    // Eight-bit samples in full range, the common case, in the fixed point
    // of libheif's own conversion: a rotated picture, which libheif turns
    // into colour itself, then matches its upright reading exactly.
    const bool fixed = full && luma.Depth == 8 && blue.Depth == 8 && red.Depth == 8;
    const int fixedR = int(std::lround(256 * crToR)), fixedB = int(std::lround(256 * cbToB));
    const int fixedGb = int(std::lround(256 * cbToG)), fixedGr = int(std::lround(256 * crToG));
    auto clip = [](int value) { return value < 0 ? 0 : value > 255 ? 255 : value; };
    for (int y = 0; y < height; ++y) {
        std::uint8_t* target = picture.scanLine(y);
        for (int x = 0; x < width; ++x, target += 3) {
            int r = 0, g = 0, b = 0;
            if (fixed) {
                const int l = luma.At(x, y), cb = blue.At(x >> shiftX, y >> shiftY) - 128,
                          cr = red.At(x >> shiftX, y >> shiftY) - 128;
                r = clip(l + ((fixedR * cr + 128) >> 8));
                g = clip(l + ((fixedGb * cb + fixedGr * cr + 128) >> 8));
                b = clip(l + ((fixedB * cb + 128) >> 8));
            } else {
                const double l = (luma.At(x, y) - lumaOffset) * lumaScale;
                const double cb = (blue.At(x >> shiftX, y >> shiftY) - chromaOffset) * chromaScale;
                const double cr = (red.At(x >> shiftX, y >> shiftY) - chromaOffset) * chromaScale;
                r = toByte(l + crToR * cr), g = toByte(l + cbToG * cb + crToG * cr), b = toByte(l + cbToB * cb);
            }
            if (alpha) {
                const int a = alphaMax == 255 ? opacity.At(x, y) : (opacity.At(x, y) * 255 + alphaMax / 2) / alphaMax;
                if (premultiplied)
                    r = std::min(r + 255 - a, 255), g = std::min(g + 255 - a, 255), b = std::min(b + 255 - a, 255);
                else
                    r = OverWhite8(r, a), g = OverWhite8(g, a), b = OverWhite8(b, a);
            }
            target[0] = std::uint8_t(b), target[1] = std::uint8_t(g), target[2] = std::uint8_t(r);
        }
    }
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
    const bool premultiplied = heif_image_handle_is_premultiplied_alpha(handle.get()) != 0;
    // Luma and chroma planes, turned and cropped by libheif, made into the
    // picture here row by row: libheif's own conversion to interleaved
    // colour holds more full-size copies of the picture at once.
    heif_image* decoded = nullptr;
    std::unique_ptr<heif_image, TImageRelease> image;
    bool tooLarge = false;
    if (CodedAs420(data, size)) {
        failure = heif_decode_image(handle.get(), &decoded, heif_colorspace_YCbCr, heif_chroma_444, options.get());
        image.reset(decoded);
        error = Failure(failure);
        if (failure.code != heif_error_Ok || !image)
            return false;
#if defined(__GLIBC__)
        // The decoder's working memory, freed by now, stays with the process
        // unless handed back before the picture is allocated beside it.
        malloc_trim(0);
#endif
        picture = FromNative(image.get(), handle.get(), alpha, premultiplied, tooLarge);
        image.reset();
    }
    if (tooLarge) {
        error = Messages::OutOfMemory;
        return false;
    }
    if (picture.isNull()) {
        // Planes of another kind (red-green-blue, grey, other matrices):
        // libheif converts them.
        state.LastPercent = -1;
        failure = heif_decode_image(handle.get(), &decoded, heif_colorspace_RGB,
                                    alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get());
        image.reset(decoded);
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
        picture = TakeOver(std::move(image), alpha, premultiplied);
        if (picture.isNull())
            return false;
    }
    const QByteArray profile = Profile(handle.get());
    if (!profile.isEmpty())
        ConvertToSrgb(picture, profile);
    return true;
}

} // namespace

bool ReadHeif(const std::uint8_t* data, std::size_t size, QImage& picture, std::string& error,
              const TLoadProgress& progress)
{
    error = Messages::UnknownFormat;
    // An ISO media file opens with a box: a 4-byte size, then "ftyp".
    if (size < 12 || std::memcmp(data + 4, "ftyp", 4) != 0)
        return false;
    QImage decoded;
    bool read = false;
    try {
        read = Decode(data, size, decoded, error, progress);
    } catch (const std::bad_alloc&) {
        error = Messages::OutOfMemory;
        read = false;
    }
    if (!read)
        return false;
    picture = std::move(decoded);
    error.clear();
    return true;
}

bool ReadHeifFile(const std::string& path, QImage& picture, std::string& error, const TLoadProgress& progress)
{
    return ReadFileBytes(path, error, [&](const std::uint8_t* data, std::size_t size) {
        return ReadHeif(data, size, picture, error, progress);
    });
}

} // namespace orvanto

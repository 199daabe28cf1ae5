// The libheif functions the HEIF reader calls, passed on to libheif once it
// is opened (see format_library.h).

#include "imaging/library/format_forwarding.h"

#include <libheif/heif.h>

#define FORWARD(result, name, parameters, arguments) ORVANTO_FORWARD(Heif, result, name, parameters, arguments)

FORWARD(heif_error, heif_init, (heif_init_params* a), (a))
FORWARD(heif_context*, heif_context_alloc, (void), ())
FORWARD(void, heif_context_free, (heif_context* a), (a))
FORWARD(void, heif_context_set_max_decoding_threads, (heif_context* a, int b), (a, b))
FORWARD(void, heif_context_set_maximum_image_size_limit, (heif_context* a, int b), (a, b))
FORWARD(heif_error, heif_context_read_from_memory_without_copy,
        (heif_context* a, const void* b, size_t c, const heif_reading_options* d), (a, b, c, d))
FORWARD(heif_error, heif_context_get_primary_image_handle, (heif_context* a, heif_image_handle** b), (a, b))
FORWARD(int, heif_image_handle_get_width, (const heif_image_handle* a), (a))
FORWARD(int, heif_image_handle_get_height, (const heif_image_handle* a), (a))
FORWARD(int, heif_image_handle_has_alpha_channel, (const heif_image_handle* a), (a))
FORWARD(int, heif_image_handle_is_premultiplied_alpha, (const heif_image_handle* a), (a))
FORWARD(int, heif_image_handle_get_luma_bits_per_pixel, (const heif_image_handle* a), (a))
FORWARD(heif_color_profile_type, heif_image_handle_get_color_profile_type, (const heif_image_handle* a), (a))
FORWARD(size_t, heif_image_handle_get_raw_color_profile_size, (const heif_image_handle* a), (a))
FORWARD(heif_error, heif_image_handle_get_raw_color_profile, (const heif_image_handle* a, void* b), (a, b))
FORWARD(int, heif_image_handle_get_number_of_thumbnails, (const heif_image_handle* a), (a))
FORWARD(int, heif_image_handle_get_list_of_thumbnail_IDs, (const heif_image_handle* a, heif_item_id* b, int c),
        (a, b, c))
FORWARD(heif_error, heif_image_handle_get_thumbnail, (const heif_image_handle* a, heif_item_id b, heif_image_handle** c),
        (a, b, c))
FORWARD(void, heif_image_handle_release, (const heif_image_handle* a), (a))
FORWARD(heif_decoding_options*, heif_decoding_options_alloc, (void), ())
FORWARD(void, heif_decoding_options_free, (heif_decoding_options* a), (a))
FORWARD(heif_error, heif_decode_image,
        (const heif_image_handle* a, heif_image** b, heif_colorspace c, heif_chroma d, const heif_decoding_options* e),
        (a, b, c, d, e))
FORWARD(int, heif_image_get_width, (const heif_image* a, heif_channel b), (a, b))
FORWARD(int, heif_image_get_height, (const heif_image* a, heif_channel b), (a, b))
FORWARD(uint8_t*, heif_image_get_plane, (heif_image* a, heif_channel b, int* c), (a, b, c))
FORWARD(const uint8_t*, heif_image_get_plane_readonly, (const heif_image* a, heif_channel b, int* c), (a, b, c))
FORWARD(void, heif_image_release, (const heif_image* a), (a))

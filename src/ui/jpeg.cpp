// The glue between libjpeg and Allegro: a packfile data source, an error manager that
// returns control to the loader instead of ending the program, and the conversion of
// decoded rows into the bitmap's pixel format.
#include "ui/jpeg.h"

#include "core/file_limits.h"

#include "core/paths.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

namespace {

constexpr std::size_t kInputBufferSize = 4096;

struct PackfileSource {
    jpeg_source_mgr pub;
    PACKFILE *file;
    JOCTET *buffer;
    boolean start_of_file;
};

struct LoaderError {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void error_exit_to_loader(j_common_ptr cinfo) {
    LoaderError *err = reinterpret_cast<LoaderError *>(cinfo->err);
    std::longjmp(err->jump, 1);
}

// libjpeg would print warnings to stderr; a picture that ends early is not worth a
// line on the console, so they are counted and dropped.
void quiet_message(j_common_ptr) {}

void init_source(j_decompress_ptr cinfo) {
    reinterpret_cast<PackfileSource *>(cinfo->src)->start_of_file = TRUE;
}

boolean fill_input_buffer(j_decompress_ptr cinfo) {
    PackfileSource *src = reinterpret_cast<PackfileSource *>(cinfo->src);
    long n = pack_fread(src->buffer, kInputBufferSize, src->file);
    if (n <= 0) {
        if (src->start_of_file) ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        // A fake end-of-image marker lets libjpeg finish the picture with what it has.
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        n = 2;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = static_cast<std::size_t>(n);
    src->start_of_file = FALSE;
    return TRUE;
}

void skip_input_data(j_decompress_ptr cinfo, long num_bytes) {
    if (num_bytes <= 0) return;
    jpeg_source_mgr *src = cinfo->src;
    while (num_bytes > static_cast<long>(src->bytes_in_buffer)) {
        num_bytes -= static_cast<long>(src->bytes_in_buffer);
        fill_input_buffer(cinfo);
    }
    src->next_input_byte += num_bytes;
    src->bytes_in_buffer -= static_cast<std::size_t>(num_bytes);
}

void term_source(j_decompress_ptr) {}

// One decoded scan line (RGB triplets, or one grey byte a pixel) into bitmap row y.
void store_row(BITMAP *bmp, int y, const JSAMPLE *row, int components) {
    const int w = bmp->w;
    const int depth = bitmap_color_depth(bmp);
    for (int x = 0; x < w; ++x) {
        const JSAMPLE *p = row + x * components;
        int r = p[0], g = components == 3 ? p[1] : p[0], b = components == 3 ? p[2] : p[0];
        switch (depth) {
        case 16:
            reinterpret_cast<uint16_t *>(bmp->line[y])[x] = static_cast<uint16_t>(
                ((r >> 3) << _rgb_r_shift_16) | ((g >> 2) << _rgb_g_shift_16) |
                ((b >> 3) << _rgb_b_shift_16));
            break;
        case 24: {
            // Packed with the screen's own layout: on the usual one (red in the high
            // byte) this is the byte order b, g, r.
            uint32_t v = (static_cast<uint32_t>(r) << _rgb_r_shift_24) |
                         (static_cast<uint32_t>(g) << _rgb_g_shift_24) |
                         (static_cast<uint32_t>(b) << _rgb_b_shift_24);
            unsigned char *q = bmp->line[y] + 3 * x;
            q[0] = static_cast<unsigned char>(v);
            q[1] = static_cast<unsigned char>(v >> 8);
            q[2] = static_cast<unsigned char>(v >> 16);
            break;
        }
        case 32:
            reinterpret_cast<uint32_t *>(bmp->line[y])[x] =
                (static_cast<uint32_t>(r) << _rgb_r_shift_32) |
                (static_cast<uint32_t>(g) << _rgb_g_shift_32) |
                (static_cast<uint32_t>(b) << _rgb_b_shift_32);
            break;
        default: // 8 and 15 bits: through the library's own colour mapping
            putpixel(bmp, x, y, makecol_depth(depth, r, g, b));
            break;
        }
    }
}

// Everything the loader must release on any path out, kept outside the jump so that
// its values survive a longjmp.
struct LoadState {
    jpeg_decompress_struct cinfo;
    LoaderError err;
    PACKFILE *file = nullptr;
    BITMAP *bmp = nullptr;
    JSAMPLE *row = nullptr;
    bool created = false;
    bool too_large = false;
};

void release(LoadState *s, bool keep_bitmap) {
    std::free(s->row);
    s->row = nullptr;
    if (!keep_bitmap && s->bmp) destroy_bitmap(s->bmp);
    if (s->created) jpeg_destroy_decompress(&s->cinfo);
    if (s->file) pack_fclose(s->file);
}

bool decode(LoadState *s) {
    jpeg_create_decompress(&s->cinfo);
    s->created = true;
    jpeg_packfile_src(&s->cinfo, s->file);
    jpeg_read_header(&s->cinfo, TRUE);
    // The declared size is checked before libjpeg allocates anything for it.
    if (!picture_size_allowed(static_cast<long>(s->cinfo.image_width),
                              static_cast<long>(s->cinfo.image_height))) {
        s->too_large = true;
        return false;
    }
    s->cinfo.out_color_space =
        s->cinfo.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
    s->cinfo.scale_num = 1;
    s->cinfo.scale_denom = 1;
    jpeg_start_decompress(&s->cinfo);

    const int w = static_cast<int>(s->cinfo.output_width);
    const int h = static_cast<int>(s->cinfo.output_height);
    const int components = s->cinfo.output_components;
    if (components != 1 && components != 3) return false;
    s->bmp = create_bitmap(w, h);
    if (!s->bmp) return false;
    s->row = static_cast<JSAMPLE *>(std::malloc(static_cast<std::size_t>(w) * 3));
    if (!s->row) return false;
    while (s->cinfo.output_scanline < s->cinfo.output_height) {
        int y = static_cast<int>(s->cinfo.output_scanline);
        JSAMPROW rows[1] = {s->row};
        if (jpeg_read_scanlines(&s->cinfo, rows, 1) != 1) return false;
        store_row(s->bmp, y, s->row, components);
    }
    jpeg_finish_decompress(&s->cinfo);
    return true;
}

} // namespace

void jpeg_packfile_src(jpeg_decompress_struct *cinfo, PACKFILE *file) {
    if (!cinfo->src) {
        PackfileSource *src = static_cast<PackfileSource *>((*cinfo->mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(PackfileSource)));
        src->buffer = static_cast<JOCTET *>((*cinfo->mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kInputBufferSize));
        cinfo->src = &src->pub;
    }
    PackfileSource *src = reinterpret_cast<PackfileSource *>(cinfo->src);
    src->pub.init_source = init_source;
    src->pub.fill_input_buffer = fill_input_buffer;
    src->pub.skip_input_data = skip_input_data;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = term_source;
    src->pub.bytes_in_buffer = 0;
    src->pub.next_input_byte = nullptr;
    src->file = file;
}

BITMAP *load_jpg(const char *file_name, RGB *) {
    // Static so that nothing the jump skips over lives on the stack; the game loads
    // one picture at a time on one thread.
    static LoadState s;
    s = LoadState{};
    s.file = data_pack_fopen(file_name, "rb");
    if (!s.file) return nullptr;

    s.cinfo.err = jpeg_std_error(&s.err.pub);
    s.err.pub.error_exit = error_exit_to_loader;
    s.err.pub.output_message = quiet_message;
    if (setjmp(s.err.jump)) {
        release(&s, false);
        return nullptr;
    }
    bool ok = decode(&s);
    if (s.too_large)
        report_data_problem(file_name, "declares a picture larger than 640 x 480: refused");
    BITMAP *result = ok ? s.bmp : nullptr;
    release(&s, ok);
    return result;
}

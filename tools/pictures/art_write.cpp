// PCX and JPEG writers with all-or-nothing output.
#include "art_write.h"

#include "file_out.h"
#include "png_write.h"

#include <allegro.h>
#include <jpeglib.h>

#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <vector>

namespace art {

namespace {

bool finish(const std::string &part, const std::string &path, Diag &err) {
    std::string why;
    if (tool_files::move_into_place(part, path, why)) return true;
    err = Diag{path, 0, "cannot be written: " + why};
    return false;
}

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void jpeg_fail(j_common_ptr cinfo) {
    JpegError *e = reinterpret_cast<JpegError *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, e->message);
    std::longjmp(e->jump, 1);
}

std::string lower(std::string s) {
    for (char &c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool ends_with(const std::string &s, const std::string &end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

} // namespace

bool write_pcx(const std::string &path, const Image &img, Diag &err) {
    BITMAP *bmp = create_bitmap_ex(24, img.w, img.h);
    if (!bmp) {
        err = Diag{path, 0, "no memory for the picture"};
        return false;
    }
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            Rgb c = img.at(x, y);
            putpixel(bmp, x, y, makecol_depth(24, c.r, c.g, c.b));
        }
    PALETTE pal = {};
    std::string part = tool_files::part_path(path);
    int rc = save_pcx(part.c_str(), bmp, pal);
    destroy_bitmap(bmp);
    if (rc != 0) {
        std::remove(part.c_str());
        err = Diag{path, 0, "cannot be written"};
        return false;
    }
    return finish(part, path, err);
}

bool write_jpeg(const std::string &path, const Image &img, int quality, Diag &err) {
    std::string part = tool_files::part_path(path);
    FILE *f = std::fopen(part.c_str(), "wb");
    if (!f) {
        err = Diag{path, 0, "cannot be written"};
        return false;
    }
    jpeg_compress_struct cinfo;
    JpegError jerr;
    cinfo.err = jpeg_std_error(&jerr.mgr);
    jerr.mgr.error_exit = jpeg_fail;
    std::vector<JSAMPLE> row(static_cast<size_t>(img.w) * 3);
    if (setjmp(jerr.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::fclose(f);
        std::remove(part.c_str());
        err = Diag{path, 0, std::string("JPEG error: ") + jerr.message};
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = static_cast<JDIMENSION>(img.w);
    cinfo.image_height = static_cast<JDIMENSION>(img.h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    // No chroma subsampling: pixel art keeps its coloured edges sharp.
    for (int c = 0; c < cinfo.num_components; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < img.w; ++x) {
            Rgb c = img.at(x, y);
            row[3 * x] = c.r;
            row[3 * x + 1] = c.g;
            row[3 * x + 2] = c.b;
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    bool closed = std::fclose(f) == 0;
    if (!closed) {
        std::remove(part.c_str());
        err = Diag{path, 0, "cannot be written"};
        return false;
    }
    return finish(part, path, err);
}

// PNG, for the desktop's icons.
bool write_png(const std::string &path, const Image &img, Diag &err) {
    maps::Raster r;
    r.w = img.w;
    r.h = img.h;
    r.rgb.resize(static_cast<size_t>(img.w) * img.h * 3);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            const Rgb c = img.at(x, y);
            uint8_t *o = r.at(x, y);
            o[0] = c.r;
            o[1] = c.g;
            o[2] = c.b;
        }
    const std::vector<uint8_t> bytes = maps::encode_png(r);
    std::string why;
    if (tool_files::write_file_whole(path, bytes.data(), bytes.size(), why)) return true;
    err = Diag{path, 0, "cannot be written: " + why};
    return false;
}

bool write_picture(const std::string &path, const Image &img, Diag &err) {
    std::string l = lower(path);
    if (ends_with(l, ".png")) return write_png(path, img, err);
    if (ends_with(l, ".pcx")) return write_pcx(path, img, err);
    if (ends_with(l, ".jpg") || ends_with(l, ".jpeg")) return write_jpeg(path, img, 90, err);
    err = Diag{path, 0, "is neither .pcx, .jpg nor .png"};
    return false;
}

} // namespace art

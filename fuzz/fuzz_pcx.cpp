// PCX pictures through the game's resolver loaders (data_load_pcx, data_load_bitmap),
// which check the header before the library's loader reads the file. A file the
// check refuses never reaches the library; a picture the library makes has the size
// its header declares, inside the 640 x 480 screen.
#include "fuzz_support.h"

#include "core/byte_order.h"
#include "core/file_limits.h"
#include "core/paths.h"

#include <allegro.h>

#include <string>

namespace {

std::string path;

void check_picture(BITMAP *b, const uint8_t *data, bool refused, const char *loader) {
    if (!b) return;
    FUZZ_CHECK(!refused, "%s loaded a picture the check refuses", loader);
    const long w = long{read_le16(data + 8)} - read_le16(data + 4) + 1;
    const long h = long{read_le16(data + 10)} - read_le16(data + 6) + 1;
    FUZZ_CHECK(b->w == w && b->h == h, "%s: %d x %d for a header of %ld x %ld", loader, b->w,
               b->h, w, h);
    FUZZ_CHECK(picture_size_allowed(b->w, b->h), "%s: a picture of %d x %d", loader, b->w, b->h);
    destroy_bitmap(b);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz_start_allegro(32);
    path = fuzz_scratch_path("fuzz.pcx");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    fuzz_write_file(path, data, size);
    const bool refused = pcx_header_problem(data, size) != nullptr;
    set_color_depth(size % 2 ? 16 : 32); // the game's two depths
    PALETTE pal;
    check_picture(data_load_pcx(path.c_str(), pal), data, refused, "data_load_pcx");
    check_picture(data_load_bitmap(path.c_str(), pal), data, refused, "data_load_bitmap");
    return 0;
}

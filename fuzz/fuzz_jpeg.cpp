// The JPEG loader (load_jpg) on any file, at the game's two depths. Whatever the
// file, the loader returns null or a picture inside the 640 x 480 screen in the
// current depth, with nothing left allocated either way (LeakSanitizer). The size a
// header declares is judged before libjpeg allocates for it: CTest and
// scripts/fuzz.sh run this target with a malloc limit far below what a picture
// beyond the limit would take.
#include "fuzz_support.h"

#include "core/file_limits.h"
#include "ui/jpeg.h"

#include <allegro.h>

#include <string>

namespace {

std::string path;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz_start_allegro(32);
    path = fuzz_scratch_path("fuzz.jpg");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    fuzz_write_file(path, data, size);
    const int depth = size % 2 ? 16 : 32;
    set_color_depth(depth);
    PALETTE pal;
    BITMAP *b = load_jpg(path.c_str(), pal);
    if (!b) return 0;
    FUZZ_CHECK(picture_size_allowed(b->w, b->h), "a picture of %d x %d", b->w, b->h);
    FUZZ_CHECK(bitmap_color_depth(b) == depth, "a %d-bit picture at %d bits",
               bitmap_color_depth(b), depth);
    destroy_bitmap(b);
    return 0;
}

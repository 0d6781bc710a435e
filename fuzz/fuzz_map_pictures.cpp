// The map tools' PCX reader (read_pcx_pixels: sheets and backdrops named by a map
// source) on any file. A header the game's own check refuses is refused unread; a
// picture it reads has the size its header declares, within the screen, and holds
// 5-6-5 values only, each from a colour the file gives.
#include "fuzz_support.h"

#include "core/byte_order.h"
#include "core/file_limits.h"
#include "map_pictures.h"

#include <string>

namespace {

std::string path;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz_start_allegro(32);
    path = fuzz_scratch_path("fuzz.pcx");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    fuzz_write_file(path, data, size);
    maps::Pixels pixels;
    std::string why;
    const bool ok = maps::read_pcx_pixels(path, pixels, why);
    const char *problem = pcx_header_problem(data, size);
    if (!ok) {
        FUZZ_CHECK(!why.empty(), "refused without a reason");
        return 0;
    }
    FUZZ_CHECK(!problem, "read a picture the check refuses: %s", problem);
    const long w = long{read_le16(data + 8)} - read_le16(data + 4) + 1;
    const long h = long{read_le16(data + 10)} - read_le16(data + 6) + 1;
    FUZZ_CHECK(pixels.w == w && pixels.h == h, "%d x %d for a header of %ld x %ld", pixels.w,
               pixels.h, w, h);
    FUZZ_CHECK(pixels.v.size() == static_cast<std::size_t>(w) * static_cast<std::size_t>(h),
               "%zu values for %ld x %ld", pixels.v.size(), w, h);
    for (uint32_t v : pixels.v) FUZZ_CHECK(v <= 0xFFFF, "value %#x", v);
    return 0;
}

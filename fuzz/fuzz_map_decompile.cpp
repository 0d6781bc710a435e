// The map decompiler (vespertil-mapd) on map files built from the fuzzer's input
// (the layout of map_input.h). It promises a source for every map file, whatever
// its values, from which the compiler makes the same bytes again (it compiles its
// own text to prove it): so any file of a map's length decompiles, with every byte
// kept, and a shorter one is refused with the reason.
#include "fuzz_support.h"
#include "map_input.h"

#include "map_decompile.h"

#include <string>
#include <vector>

namespace {

std::vector<uint8_t> image;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz_start_allegro(32);
    image = painted_map_image(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const MapInput in = take_map_input(data, size, image);
    const std::vector<uint8_t> bytes(image.begin(), image.begin() + static_cast<long>(in.length));
    maps::DecompileOptions options;
    options.map_name = "fuzz.map";
    maps::Decompiled source;
    maps::Report report;
    const bool ok = maps::decompile_map(bytes, options, source, report);
    if (in.length < kMapFileSize) {
        FUZZ_CHECK(!ok && report.error.rfind("fuzz.map", 0) == 0,
                   "a file of %zu bytes: %d, '%s'", in.length, ok, report.error.c_str());
        return 0;
    }
    FUZZ_CHECK(ok, "a map file of %zu bytes does not decompile: %s", in.length,
               report.error.c_str());
    FUZZ_CHECK(!source.text.empty() && source.pictures.size() >= 2,
               "a decompiled map without text or sheets");
    return 0;
}

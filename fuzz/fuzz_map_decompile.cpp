// The map decompiler (vespertil-mapd) on map files built from the input (map_input.h).
// What it promises is written once, in tools/maps/tests/map_promises.cpp, and also
// checked on every seed of corpus/map_decompile/ by the tool's test binary.
#include "fuzz_support.h"
#include "tool_promises.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz_start_allegro(32);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const std::string why = map_decompile_promise(data, size);
    FUZZ_CHECK(why.empty(), "%s", why.c_str());
    return 0;
}

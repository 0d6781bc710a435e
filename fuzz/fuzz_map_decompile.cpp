// The map decompiler (vespertil-mapd) on map files built from the input (map_input.h).
// What it promises is written once, in tools/maps/tests/map_promises.cpp, and also
// checked on every seed of corpus/map_decompile/ by the tool's test binary.
#include "fuzz_support.h"
#include "tool_promises.h"

FUZZ_PROMISE_TARGET(map_decompile_promise)

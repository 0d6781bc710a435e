// The map tools' PCX reader (sheets and backdrops named by a map source) on any file.
// What it promises is written once, in tools/maps/tests/map_promises.cpp, and also
// checked on every seed of corpus/map_pictures/ by the tool's test binary.
#include "fuzz_support.h"
#include "tool_promises.h"

FUZZ_PROMISE_TARGET(map_pictures_promise)

// The map compiler (vespertil-mapc) on any map source text.
// What it promises is written once, in tools/maps/tests/map_promises.cpp, and also
// checked on every seed of corpus/map_source/ by the tool's test binary.
#include "fuzz_support.h"
#include "tool_promises.h"

FUZZ_PROMISE_TARGET(map_source_promise)

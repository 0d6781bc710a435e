// The palette source of vespertil-art on any text.
// What it promises is written once, in tools/pictures/tests/art_promises.cpp, and also
// checked on every seed of corpus/art_palette/ by the tool's test binary.
#include "fuzz_support.h"
#include "tool_promises.h"

FUZZ_PROMISE_TARGET(art_palette_promise)

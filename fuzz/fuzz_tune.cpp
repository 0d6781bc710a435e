// The tune notation of vespertil-xm on any text.
// What it promises is written once, in tools/music/tests/tune_promise.cpp, and also
// checked on every seed of corpus/tune/ by the tool's test binary.
#include "fuzz_support.h"
#include "tool_promises.h"

FUZZ_PROMISE_TARGET(tune_promise)

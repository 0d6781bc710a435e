// The map loader (load_map_file) on map files built from the input (fuzz/map_input.h).
// What it promises is written once, in promises/, and also checked on every seed
// of corpus/map_file/ by promise_tests.
#include "fuzz_support.h"
#include "promises.h"

FUZZ_PROMISE_TARGET(map_file_promise)

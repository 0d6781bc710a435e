// PCX pictures through the game's resolver loaders (data_load_pcx, data_load_bitmap).
// What it promises is written once, in promises/, and also checked on every seed
// of corpus/pcx/ by promise_tests.
#include "fuzz_support.h"
#include "promises.h"

FUZZ_PROMISE_TARGET(pcx_promise)

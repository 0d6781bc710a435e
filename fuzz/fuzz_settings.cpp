// The settings reader (config_decode, and read_settings_file on the same bytes) on
// any file.
// What it promises is written once, in promises/, and also checked on every seed
// of corpus/settings/ by promise_tests.
#include "fuzz_support.h"
#include "promises.h"

FUZZ_PROMISE_TARGET(settings_promise)

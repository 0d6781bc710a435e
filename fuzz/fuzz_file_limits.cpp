// The header checks in front of the library's picture and sample loaders
// (core/file_limits.h), on any bytes.
// What it promises is written once, in promises/, and also checked on every seed
// of corpus/file_limits/ by promise_tests.
#include "fuzz_support.h"
#include "promises.h"

FUZZ_PROMISE_TARGET(file_limits_promise)

// Module music through the six music operations, with the module check in front
// of libxmp, on any file.
// What it promises is written once, in promises/, and also checked on every seed
// of corpus/module/ by promise_tests.
#include "fuzz_support.h"
#include "promises.h"

FUZZ_PROMISE_TARGET(module_promise)

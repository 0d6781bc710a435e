// The data-path resolver (resolve_data_path) on any name, as a map file dropped into
// MAP/ or a name in a data file can be: the first byte chooses the size of the output
// buffer, the rest is the name (up to a NUL).
// What it promises is written once, in promises/, and also checked on every seed
// of corpus/data_path/ by promise_tests.
#include "fuzz_support.h"
#include "promises.h"

FUZZ_PROMISE_TARGET(data_path_promise)

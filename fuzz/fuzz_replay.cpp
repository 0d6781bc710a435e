// The replay reader (parse_replay, and read_replay_file on the same bytes). What it
// promises is written once, in promises/, and also checked on every seed of
// corpus/replay/ by promise_tests.
#include "fuzz_support.h"
#include "promises.h"

FUZZ_PROMISE_TARGET(replay_promise)

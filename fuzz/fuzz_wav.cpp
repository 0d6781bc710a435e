// WAV samples through the game's resolver loaders (data_load_wav, data_load_sample).
// What it promises is written once, in promises/, and also checked on every seed
// of corpus/wav/ by promise_tests.
#include "fuzz_support.h"
#include "promises.h"

FUZZ_PROMISE_TARGET(wav_promise)

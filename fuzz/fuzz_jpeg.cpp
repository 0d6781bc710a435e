// The JPEG loader (load_jpg) on any file, at the game's two depths. CTest and
// scripts/fuzz.sh run it with a malloc limit far below what a picture beyond the
// size limit would take, so a size believed before it is judged stops the run.
// What it promises is written once, in promises/, and also checked on every seed
// of corpus/jpeg/ by promise_tests.
#include "fuzz_support.h"
#include "promises.h"

FUZZ_PROMISE_TARGET(jpeg_promise)

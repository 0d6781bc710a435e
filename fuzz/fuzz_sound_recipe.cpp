// The sample recipe reader of vespertil-sfx on any text.
// What it promises is written once, in tools/sounds/tests/recipe_promise.cpp, and also
// checked on every seed of corpus/sound_recipe/ by the tool's test binary.
#include "fuzz_support.h"
#include "tool_promises.h"

FUZZ_PROMISE_TARGET(sound_recipe_promise)

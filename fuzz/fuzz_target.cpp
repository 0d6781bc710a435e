// Every fuzz target: one reader's promise, FUZZ_PROMISE, checked on each input the
// fuzzer makes. CMake builds one target a reader (vespertil_fuzz in CMakeLists.txt,
// which says what each reads) and names the header declaring its promise:
// promises/promises.h for the game's readers, tool_promises.h for the content tools'.
// Each promise is also checked on every seed of its corpus/<name>/ by the plain build.
#include "fuzz_support.h"

#include FUZZ_PROMISE_HEADER

FUZZ_PROMISE_TARGET(FUZZ_PROMISE)

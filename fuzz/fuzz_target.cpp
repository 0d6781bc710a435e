// Every fuzz target: one reader's promise, FUZZ_PROMISE, checked on each input the
// fuzzer makes, the run stopped when it reports a broken promise. CMake builds one
// target a reader (vespertil_fuzz in CMakeLists.txt, which says what each reads),
// linked with the library holding its promise (tests/support/promise.h declares them
// all). Each promise is also checked on every seed of its corpus/<name>/ by the plain
// build.
#include "fuzz_support.h"

#include "support/promise.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz_start_allegro(32);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const std::string why = FUZZ_PROMISE(data, size);
    if (!why.empty()) fuzz_fail(__FILE__, __LINE__, "%s", why.c_str());
    return 0;
}

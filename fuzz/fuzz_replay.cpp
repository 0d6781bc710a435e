// The replay reader on any text: the promises of replay_promises.h.
#include "fuzz_support.h"
#include "replay_promises.h"

namespace {
std::string path;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    path = fuzz_scratch_path("fuzz.replay");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const std::string broken = broken_replay_promise(data, size, path);
    FUZZ_CHECK(broken.empty(), "%s", broken.c_str());
    return 0;
}

// The sample recipe reader of vespertil-sfx on any text. A refused recipe is named
// by the file and line of its fault; an accepted one of up to a quarter of a second
// (longer ones only cost time here) renders to samples inside -1..1, and the WAV the
// tool writes from them passes the game's own check in front of the library loader.
#include "fuzz_support.h"

#include "core/file_limits.h"
#include "recipe.h"
#include "synth.h"
#include "wav_file.h"

#include <cmath>
#include <memory>
#include <string>

namespace {

constexpr double kLongestRendered = 0.25; // seconds

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    auto recipe = std::make_unique<Recipe>();
    std::string error;
    if (!parse_recipe_text("fuzz.sfx", text, *recipe, error)) {
        FUZZ_CHECK(error.rfind("fuzz.sfx", 0) == 0, "error without the file: %s", error.c_str());
        return 0;
    }
    FUZZ_CHECK(recipe->layer_count >= 1 && recipe->layer_count <= kMaxLayers, "%d layers",
               recipe->layer_count);
    FUZZ_CHECK(recipe->length > 0 && recipe->length <= kMaxSeconds, "length %g", recipe->length);
    FUZZ_CHECK(recipe->rate >= kMinRate && recipe->rate <= kMaxRate, "rate %g", recipe->rate);
    FUZZ_CHECK(recipe->bits == 8 || recipe->bits == 16, "%d bits", recipe->bits);
    if (recipe->length > kLongestRendered) return 0;

    Rendered out;
    if (!render_recipe(*recipe, out, error)) return 0;
    FUZZ_CHECK(!out.samples.empty(), "a sound of no samples");
    for (float s : out.samples)
        FUZZ_CHECK(std::isfinite(s) && s >= -1.0f && s <= 1.0f, "sample %g", static_cast<double>(s));
    if (out.loop)
        FUZZ_CHECK(out.loop_start >= 0 && out.loop_start < out.loop_end &&
                       out.loop_end == static_cast<long>(out.samples.size()),
                   "loop %ld..%ld of %zu samples", out.loop_start, out.loop_end, out.samples.size());
    const std::vector<uint8_t> wav = wav_bytes(out.samples, static_cast<int>(out.rate), recipe->bits);
    const char *problem = wav_file_problem(wav.data(), wav.size());
    FUZZ_CHECK(!problem, "the game refuses the tool's WAV: %s", problem);
    return 0;
}

// What the sample recipe reader of vespertil-sfx promises on any text
// (support/promise.h): a refused recipe is named by its file and line; an accepted one
// stays inside the limits, and one of up to a quarter of a second (longer ones only
// cost time here) renders to samples inside -1..1 whose WAV passes the game's own
// check in front of the library loader.
#include "support/promise.h"

#include "core/file_limits.h"
#include "recipe.h"
#include "synth.h"
#include "wav_file.h"

#include <cmath>
#include <memory>

std::string sound_recipe_promise(const uint8_t *data, std::size_t size) {
    constexpr double kLongestRendered = 0.25; // seconds
    auto recipe = std::make_unique<Recipe>();
    std::string error;
    if (!parse_recipe_text("fuzz.sfx", std::string(reinterpret_cast<const char *>(data), size), *recipe,
                           error)) {
        PROMISE(error.rfind("fuzz.sfx", 0) == 0, "a refusal without the file: '%s'", error.c_str());
        return "";
    }
    const Recipe &r = *recipe;
    PROMISE(r.layer_count >= 1 && r.layer_count <= kMaxLayers, "%d layers", r.layer_count);
    PROMISE(r.length > 0 && r.length <= kMaxSeconds, "length %g", r.length);
    PROMISE(r.rate >= kMinRate && r.rate <= kMaxRate, "rate %g", r.rate);
    PROMISE(r.bits == 8 || r.bits == 16, "%d bits", r.bits);
    if (r.length > kLongestRendered) return "";
    Rendered out;
    if (!render_recipe(r, out, error)) return "";
    PROMISE(!out.samples.empty(), "a sound of no samples");
    for (float s : out.samples)
        PROMISE(std::isfinite(s) && s >= -1.0f && s <= 1.0f, "sample %g", static_cast<double>(s));
    PROMISE(!out.loop || (out.loop_start >= 0 && out.loop_start < out.loop_end &&
                               out.loop_end == static_cast<long>(out.samples.size())),
                 "loop %ld..%ld of %zu samples", out.loop_start, out.loop_end, out.samples.size());
    const std::vector<uint8_t> wav = wav_bytes(out.samples, static_cast<int>(out.rate), r.bits);
    const char *problem = wav_file_problem(wav.data(), wav.size());
    PROMISE(!problem, "the game refuses the tool's WAV: %s", problem);
    return "";
}

// Writing the game's WAV samples and the vespertil-sfx command.
#include "wav_file.h"

#include "recipe.h"
#include "source_text.h"
#include "synth.h"

#include <cmath>
#include <cstdio>

namespace {

void put16(std::vector<std::uint8_t> &b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v & 0xff));
    b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
}

void put32(std::vector<std::uint8_t> &b, std::uint32_t v) {
    put16(b, v & 0xffff);
    put16(b, v >> 16);
}

void put_tag(std::vector<std::uint8_t> &b, const char *tag) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(tag[i]));
}

long quantise(float v, long full) {
    long q = std::lround(static_cast<double>(v) * full);
    if (q > full) q = full;
    if (q < -full) q = -full;
    return q;
}

}  // namespace

std::vector<std::uint8_t> wav_bytes(const std::vector<float> &samples, int rate, int bits) {
    std::uint32_t bytes_per_sample = bits == 8 ? 1 : 2;
    std::uint32_t data_size = static_cast<std::uint32_t>(samples.size()) * bytes_per_sample;
    std::uint32_t padded = data_size + (data_size & 1);  // chunks end on an even byte
    std::vector<std::uint8_t> b;
    b.reserve(44 + padded);
    put_tag(b, "RIFF");
    put32(b, 4 + (8 + 16) + (8 + padded));
    put_tag(b, "WAVE");
    put_tag(b, "fmt ");
    put32(b, 16);
    put16(b, 1);  // PCM
    put16(b, 1);  // mono
    put32(b, static_cast<std::uint32_t>(rate));
    put32(b, static_cast<std::uint32_t>(rate) * bytes_per_sample);  // bytes a second
    put16(b, bytes_per_sample);                                     // block align
    put16(b, static_cast<std::uint32_t>(bits));
    put_tag(b, "data");
    put32(b, data_size);
    for (float v : samples) {
        if (bits == 8) {
            b.push_back(static_cast<std::uint8_t>(quantise(v, 127) + 128));
        } else {
            put16(b, static_cast<std::uint32_t>(quantise(v, 32767)) & 0xffff);
        }
    }
    if (padded != data_size) b.push_back(0);
    return b;
}

bool make_sound_file(const std::string &recipe_path, const std::string &out_path,
                     std::string &error) {
    Recipe recipe;
    if (!load_recipe_file(recipe_path, recipe, error)) return false;
    Rendered rendered;
    std::string what;
    if (!render_recipe(recipe, rendered, what)) {
        error = source_message(recipe_path, 0, what);
        return false;
    }
    std::vector<std::uint8_t> bytes =
        wav_bytes(rendered.samples, static_cast<int>(recipe.rate), recipe.bits);
    return write_file_whole(out_path, bytes, error);
}

int sfx_main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: vespertil-sfx RECIPE OUT.wav\n");
        return 2;
    }
    std::string error;
    if (!make_sound_file(argv[1], argv[2], error)) {
        std::fprintf(stderr, "vespertil-sfx: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

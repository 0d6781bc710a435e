// WAV samples through the game's resolver loaders (data_load_wav, data_load_sample),
// which check the file before the library's loader reads it. A file the check
// refuses never reaches the library; one it passes loads, as exactly the sound the
// check judged: the one "data" chunk, in the format before it, no more than 30 s.
#include "fuzz_support.h"

#include "core/byte_order.h"
#include "core/file_limits.h"
#include "core/paths.h"

#include <allegro.h>

#include <cstring>
#include <string>

namespace {

std::string path;

struct Sound {
    bool found = false;
    int bits = 8, channels = 1;
    uint32_t bytes = 0;
};

// The last "data" chunk and the format in force there, on the walk the library's
// loader takes: chunk after chunk to the end, lengths signed, no padding, 16 bytes
// read from every format chunk.
Sound loader_sound(const uint8_t *data, std::size_t size) {
    Sound s;
    int bits = 8, channels = 1;
    for (std::size_t pos = 12; size >= pos + 8;) {
        const int32_t length = static_cast<int32_t>(read_le32(data + pos + 4));
        const std::size_t body = pos + 8;
        if (std::memcmp(data + pos, "fmt ", 4) == 0 && size >= body + 16) {
            channels = read_le16(data + body + 2);
            bits = read_le16(data + body + 14);
        } else if (std::memcmp(data + pos, "data", 4) == 0) {
            s.found = true;
            s.bits = bits;
            s.channels = channels;
            s.bytes = static_cast<uint32_t>(length);
        }
        if (length <= 0) {
            pos = body;
            continue;
        }
        if (static_cast<std::size_t>(length) >= size - body) break;
        pos = body + static_cast<std::size_t>(length);
    }
    return s;
}

void check_sample(SAMPLE *s, const char *problem, const Sound &sound, const char *loader) {
    FUZZ_CHECK(!(s && problem), "%s loaded a file the check refuses: %s", loader, problem);
    if (problem) return;
    FUZZ_CHECK(s != nullptr, "%s: the library refused a file the check passed", loader);
    FUZZ_CHECK(sound.found, "%s: a passed file without sound", loader);
    unsigned long frames = sound.channels == 2 ? (sound.bytes + 1) / 2 : sound.bytes;
    if (sound.bits == 16) frames /= 2;
    FUZZ_CHECK(s->len == frames && s->bits == sound.bits && (s->stereo != 0) == (sound.channels == 2),
               "%s: %lu frames of %d bits, stereo %d; the check judged %u bytes of %d bits, "
               "%d channels", loader, s->len, s->bits, s->stereo, sound.bytes, sound.bits,
               sound.channels);
    FUZZ_CHECK(sound.bytes <= kMaxSampleDataBytes, "%s: %u bytes of sound", loader, sound.bytes);
    destroy_sample(s);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz_start_allegro(32);
    path = fuzz_scratch_path("fuzz.wav");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    fuzz_write_file(path, data, size);
    const char *problem = wav_file_problem(data, size);
    const Sound sound = problem ? Sound{} : loader_sound(data, size);
    check_sample(data_load_wav(path.c_str()), problem, sound, "data_load_wav");
    check_sample(data_load_sample(path.c_str()), problem, sound, "data_load_sample");
    return 0;
}

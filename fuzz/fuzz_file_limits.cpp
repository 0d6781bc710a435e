// The header checks in front of the library's picture and sample loaders, on any
// bytes. A PCX picture is judged by its 128-byte header alone and passes only with
// the PCX mark and a declared size inside the screen; a WAV file passes only when a
// PCM format chunk comes before its one data chunk, which the file really holds and
// which is no longer than 30 s; it then still passes with more bytes after it, but
// not with its sound cut short.
#include "fuzz_support.h"

#include "core/byte_order.h"
#include "core/file_limits.h"

#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kPcxHeaderBytes = 128;

void check_picture_size(const uint8_t *data, std::size_t size) {
    if (size < 4) return;
    long w = static_cast<int16_t>(read_le16(data)), h = static_cast<int16_t>(read_le16(data + 2));
    bool want = w >= 1 && w <= kMaxPictureWidth && h >= 1 && h <= kMaxPictureHeight;
    FUZZ_CHECK(picture_size_allowed(w, h) == want, "%ld x %ld judged %d", w, h, !want);
}

void check_pcx(const uint8_t *data, std::size_t size) {
    const char *problem = pcx_header_problem(data, size);
    if (size >= kPcxHeaderBytes) {
        const char *header_only = pcx_header_problem(data, kPcxHeaderBytes);
        FUZZ_CHECK((problem == nullptr) == (header_only == nullptr),
                   "a PCX is judged by more than its header");
    }
    if (problem) return;
    FUZZ_CHECK(size >= kPcxHeaderBytes && data[0] == 10, "a PCX without its header passed");
    long w = long{read_le16(data + 8)} - read_le16(data + 4) + 1;
    long h = long{read_le16(data + 10)} - read_le16(data + 6) + 1;
    FUZZ_CHECK(w >= 1 && w <= kMaxPictureWidth && h >= 1 && h <= kMaxPictureHeight,
               "a PCX of %ld x %ld passed", w, h);
}

// Where the sound of an accepted WAV file ends: its one "data" chunk, after a PCM
// "fmt " chunk, on the walk the library's loader takes (chunk after chunk, lengths
// signed, no padding after an odd length).
bool wav_sound_end(const uint8_t *data, std::size_t size, std::size_t &end, uint32_t &length) {
    bool format = false, found = false;
    for (std::size_t pos = 12; size >= pos + 8;) {
        const int32_t n = static_cast<int32_t>(read_le32(data + pos + 4));
        if (std::memcmp(data + pos, "fmt ", 4) == 0) {
            format = read_le16(data + pos + 8) == 1;
        } else if (std::memcmp(data + pos, "data", 4) == 0) {
            if (found || !format || n < 0) return false;
            found = true;
            end = pos + 8 + static_cast<std::size_t>(n);
            length = static_cast<uint32_t>(n);
        }
        pos += 8 + static_cast<std::size_t>(n > 0 ? n : 0);
    }
    return found;
}

void check_wav(const uint8_t *data, std::size_t size) {
    if (wav_file_problem(data, size)) return;
    FUZZ_CHECK(size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WAVE", 4) == 0,
               "a WAV without RIFF and WAVE passed");
    std::size_t end = 0;
    uint32_t length = 0;
    FUZZ_CHECK(wav_sound_end(data, size, end, length),
               "a WAV passed without format and one sound");
    FUZZ_CHECK(length <= kMaxSampleDataBytes, "%u bytes of sound passed", length);
    FUZZ_CHECK(end <= size, "sound to byte %zu of a file of %zu passed", end, size);

    // The same chunks followed by more bytes hold the same sound; cut one byte short
    // of its end, the sound is no longer all there.
    std::vector<uint8_t> longer(data, data + size);
    longer.insert(longer.end(), 9, 0xEE);
    FUZZ_CHECK(!wav_file_problem(longer.data(), longer.size()), "bytes after a sound WAV refuse it");
    if (length > 0) {
        const char *cut = wav_file_problem(data, end - 1);
        FUZZ_CHECK(cut != nullptr, "a WAV whose sound is cut short passed");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    check_picture_size(data, size);
    check_pcx(data, size);
    check_wav(data, size);
    return 0;
}

// Header checks of the picture and sample files handed to the library's loaders.
#include "core/file_limits.h"

#include "core/byte_order.h"

#include <cstring>

namespace {

constexpr std::size_t kPcxHeaderSize = 128;

} // namespace

const char *pcx_header_problem(const uint8_t *bytes, std::size_t size) {
    if (!bytes || size < kPcxHeaderSize) return "is too short to be a PCX picture";
    if (bytes[0] != 10) return "is not a PCX picture";
    const long xmin = read_le16(bytes + 4), ymin = read_le16(bytes + 6);
    const long xmax = read_le16(bytes + 8), ymax = read_le16(bytes + 10);
    if (!picture_size_allowed(xmax - xmin + 1, ymax - ymin + 1))
        return "declares a picture larger than 640 x 480 (or empty): refused";
    return nullptr;
}

const char *wav_file_problem(const uint8_t *bytes, std::size_t size) {
    if (!bytes || size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 ||
        std::memcmp(bytes + 8, "WAVE", 4) != 0)
        return "is not a WAV file";
    bool have_format = false;
    std::size_t pos = 12;
    while (pos + 8 <= size) {
        const uint8_t *chunk = bytes + pos;
        const uint32_t length = read_le32(chunk + 4);
        const std::size_t body = pos + 8;
        const std::size_t left = size - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (length < 16 || left < 16) return "has a short format chunk";
            const uint16_t format = read_le16(chunk + 8), channels = read_le16(chunk + 10);
            const uint32_t rate = read_le32(chunk + 12);
            const uint16_t bits = read_le16(chunk + 22);
            if (format != 1) return "is not plain PCM sound";
            if (channels < 1 || channels > 2) return "has neither one nor two channels";
            if (bits != 8 && bits != 16) return "has samples of neither 8 nor 16 bits";
            if (rate < 1 || rate > 192000) return "has an unusable sampling rate";
            have_format = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!have_format) return "has its sound before its format";
            if (length > kMaxSampleDataBytes) return "declares more than 30 s of sound: refused";
            if (length > left) return "declares more sound than the file holds";
            return nullptr;
        }
        // Chunks are padded to an even length.
        const std::size_t step = static_cast<std::size_t>(length) + (length & 1);
        if (step > left) break;
        pos = body + step;
    }
    return "has no sound data";
}

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

// The library's WAV loader reads the chunks one after another to the end of the
// file: it takes a chunk's length as a signed number, skips no padding byte after
// an odd-length chunk, reads 16 bytes of every "fmt " chunk whatever its length
// says, and makes a new sample for every "data" chunk it meets with the format read
// last (dropping the sample before). The check walks the file the same way, so it
// judges exactly the chunks the loader acts on; a file with more than one sound is
// refused outright.
const char *wav_file_problem(const uint8_t *bytes, std::size_t size) {
    if (!bytes || size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 ||
        std::memcmp(bytes + 8, "WAVE", 4) != 0)
        return "is not a WAV file";
    bool have_format = false, have_sound = false;
    std::size_t pos = 12;
    while (size - pos >= 4) {
        const uint8_t *chunk = bytes + pos;
        const bool is_format = std::memcmp(chunk, "fmt ", 4) == 0;
        const bool is_sound = std::memcmp(chunk, "data", 4) == 0;
        if (size - pos < 8) { // the loader would read the missing length as -1
            if (is_format || is_sound) return "ends inside a chunk header";
            break;
        }
        const int32_t length = static_cast<int32_t>(read_le32(chunk + 4));
        const std::size_t body = pos + 8;
        const std::size_t left = size - body;
        if (is_format) {
            if (length < 16 || left < 16) return "has a short format chunk";
            const uint16_t format = read_le16(chunk + 8), channels = read_le16(chunk + 10);
            const uint32_t rate = read_le32(chunk + 12);
            const uint16_t bits = read_le16(chunk + 22);
            if (format != 1) return "is not plain PCM sound";
            if (channels < 1 || channels > 2) return "has neither one nor two channels";
            if (bits != 8 && bits != 16) return "has samples of neither 8 nor 16 bits";
            if (rate < 1 || rate > 192000) return "has an unusable sampling rate";
            have_format = true;
        } else if (is_sound) {
            if (!have_format) return "has its sound before its format";
            if (have_sound) return "holds more than one sound";
            if (length < 0 || static_cast<uint32_t>(length) > kMaxSampleDataBytes)
                return "declares more than 30 s of sound: refused";
            if (static_cast<std::size_t>(length) > left) return "declares more sound than the file holds";
            have_sound = true;
        }
        // A "negative" length skips nothing: the next chunk follows the length field.
        const std::size_t skip = length > 0 ? static_cast<std::size_t>(length) : 0;
        if (skip >= left) break; // the rest of the file lies inside this chunk
        pos = body + skip;
    }
    return have_sound ? nullptr : "has no sound data";
}

// Decides whether a file's bytes are a module the player accepts: one of the formats
// the game knows (recognised by libxmp from the contents, never from the name) and,
// for an Extended Module, complete from its header to the end of its last sample.
#include "music/music_private.h"

#include "core/byte_order.h"

#include <xmp.h>

#include <cstdint>
#include <cstring>

namespace {

// libxmp's names for the loaders of the formats the game accepts: Extended Module,
// ProTracker-style MOD with a 31-sample signature (the FLT and EXO signatures have
// their own loader), Scream Tracker 3, Impulse Tracker, and those in an Unreal
// package. Everything else libxmp can read (15-sample Soundtracker, packers without
// a signature, dozens of rarer trackers) is refused.
constexpr const char *kAcceptedLoaders[] = {
    "Fast Tracker II",
    "Amiga Protracker/Compatible",
    "Startrekker",
    "Scream Tracker 3",
    "Impulse Tracker",
    "Epic Games UMX",
};

constexpr char kXmSignature[] = "Extended Module: ";
constexpr std::size_t kXmSignatureBytes = sizeof kXmSignature - 1;
constexpr unsigned kXmVersionWithPatternsFirst = 0x0104;
constexpr uint64_t kXmHeaderSizeOffset = 60;
constexpr uint64_t kXmPatternHeaderBytes = 9;
constexpr uint64_t kXmInstrumentHeaderBytes = 29; // size, name, type, sample count
constexpr uint64_t kXmSampleHeaderBytes = 40;
constexpr unsigned kXmMaxPatterns = 256;
constexpr unsigned kXmMaxInstruments = 255;
constexpr unsigned kXmMaxSamplesPerInstrument = 32;
constexpr unsigned kXmAdpcmMark = 0xad; // ModPlug's packed samples: 16 + len/2 bytes


bool loader_accepted(const char *name) {
    for (const char *accepted : kAcceptedLoaders)
        if (std::strcmp(name, accepted) == 0) return true;
    return false;
}

// Steps over the patterns from `pos`; false when one reaches past `size`.
bool skip_xm_patterns(const unsigned char *data, uint64_t size, unsigned count, uint64_t &pos) {
    for (unsigned p = 0; p < count; ++p) {
        if (pos + kXmPatternHeaderBytes > size) return false;
        const uint64_t header = read_le32(data + pos);
        const uint64_t packed = read_le16(data + pos + 7);
        pos += header + packed;
        if (pos > size) return false;
    }
    return true;
}

// Steps over one instrument: its header, its sample headers and its sample data.
bool skip_xm_instrument(const unsigned char *data, uint64_t size, uint64_t &pos) {
    if (pos + kXmInstrumentHeaderBytes > size) return false;
    const uint64_t header = read_le32(data + pos);
    const unsigned samples = read_le16(data + pos + 27);
    if (header < kXmInstrumentHeaderBytes || samples > kXmMaxSamplesPerInstrument) return false;
    uint64_t end = pos + header;
    if (end > size) return false;
    uint64_t sample_bytes = 0;
    for (unsigned s = 0; s < samples; ++s) {
        const uint64_t at = end + s * kXmSampleHeaderBytes;
        if (at + kXmSampleHeaderBytes > size) return false;
        const uint64_t length = read_le32(data + at);
        sample_bytes += data[at + 17] == kXmAdpcmMark ? 16 + (length + 1) / 2 : length;
    }
    end += samples * kXmSampleHeaderBytes + sample_bytes;
    if (end > size) return false;
    pos = end;
    return true;
}

// An Extended Module is complete when every pattern, instrument and sample it
// declares lies inside the file. Versions before 1.04 store their parts in another
// order and are left to libxmp.
bool xm_complete(const unsigned char *data, uint64_t size) {
    if (size < kXmHeaderSizeOffset + 4 + 16) return false;
    // A module without channels plays nothing, and libxmp can play one for ever
    // without filling a buffer.
    if (read_le16(data + kXmHeaderSizeOffset + 8) == 0) return false;
    if (read_le16(data + 58) < kXmVersionWithPatternsFirst) return true;
    const unsigned patterns = read_le16(data + 70);
    const unsigned instruments = read_le16(data + 72);
    if (patterns > kXmMaxPatterns || instruments > kXmMaxInstruments) return false;
    uint64_t pos = kXmHeaderSizeOffset + read_le32(data + kXmHeaderSizeOffset);
    if (!skip_xm_patterns(data, size, patterns, pos)) return false;
    for (unsigned i = 0; i < instruments; ++i)
        if (!skip_xm_instrument(data, size, pos)) return false;
    return true;
}

} // namespace

bool module_file_acceptable(const unsigned char *data, long size) {
    if (!data || size <= 0) return false;
    xmp_test_info info;
    if (xmp_test_module_from_memory(data, size, &info) != 0) return false;
    if (!loader_accepted(info.type)) return false;
    const bool is_xm = static_cast<uint64_t>(size) >= kXmSignatureBytes &&
                       std::memcmp(data, kXmSignature, kXmSignatureBytes) == 0;
    return !is_xm || xm_complete(data, static_cast<uint64_t>(size));
}

// What a picture or sample file may declare before the game believes it. The
// library's loaders allocate whatever a header says, so a few hundred bytes that
// claim 30,000 x 30,000 pixels or a 4 GB sample would cost gigabytes; such files are
// refused from their header, before anything is allocated or decoded.
#pragma once

#include <cstddef>
#include <cstdint>

// The largest picture the game draws is the 640 x 480 screen (the logo, the menu
// backdrop and the end pictures); sheets, frames and bars are smaller.
constexpr long kMaxPictureWidth = 640;
constexpr long kMaxPictureHeight = 480;

// The longest sample the game plays is under 3 s; 30 s of 44.1 kHz 16-bit stereo
// leaves a level maker plenty of room.
constexpr uint32_t kMaxSampleDataBytes = 30u * 44100u * 4u;
// A WAV file may hold other chunks besides its sound; this much more is allowed.
constexpr std::size_t kMaxSampleFileBytes = kMaxSampleDataBytes + 65536;

// True when a picture of w x h may be loaded: 1..640 wide and 1..480 high.
constexpr bool picture_size_allowed(long w, long h) {
    return w >= 1 && h >= 1 && w <= kMaxPictureWidth && h <= kMaxPictureHeight;
}

// The 128-byte header of a PCX file (`size` bytes of it available): null when the
// picture may be loaded, else why not.
const char *pcx_header_problem(const uint8_t *bytes, std::size_t size);

// A whole WAV file, its chunks walked as the library's loader walks them (one after
// another to the end of the file, no padding after odd lengths): null when every
// "fmt " chunk is sound and exactly one "data" chunk follows one, fitting both the
// file and kMaxSampleDataBytes; else why not.
const char *wav_file_problem(const uint8_t *bytes, std::size_t size);

// Map files from fuzz inputs: see map_input.h.
#include "map_input.h"

#include "core/byte_order.h"
#include "world/map_format.h"

#include <cstring>

namespace {

constexpr std::size_t kShapeBytes = 4;

// Where each record of the input goes in the file.
struct Span {
    std::size_t file_offset;
    std::size_t size;
};
constexpr Span kRecordOrder[] = {
    {kMapHeaderOffset, kMapHeaderSize},
    {kSwitchRecordsOffset, kSwitchCount * kPlacementRecordSize},
    {kRefillRecordsOffset, kRefillCount * kPlacementRecordSize},
    {kTextSlotsOffset, kTextSlotCount * kFixedStringSize},
    {kRoomsOffset, kRoomCount * kRoomRecordSize},
};

uint32_t pattern_pixel(uint32_t i) {
    uint32_t v = i * 2654435761u;
    v ^= v >> 15;
    v *= 2246822519u;
    v ^= v >> 13;
    return i % 7 == 3 ? (v & 0xFFFF0000u) | kMapMaskColour : v;
}

std::size_t file_length(uint8_t shape, uint32_t number) {
    switch (shape & 3) {
    case 0: return kMapFileSize;
    case 1: return kMapFileSizeWithOverride;
    case 2: return kMapFileSize + 1 + number % 3;
    default: return number % kMapFileSize;
    }
}

} // namespace

std::vector<uint8_t> painted_map_image(bool noisy_high_halves) {
    std::vector<uint8_t> image(kMapFileSizeWithOverride + 3, 0);
    const uint32_t keep = noisy_high_halves ? 0xFFFFFFFFu : 0xFFFFu;
    for (std::size_t at = kBackdropPixelsOffset; at < kMapFileSize; at += 4)
        write_le32(&image[at], pattern_pixel(static_cast<uint32_t>(at / 4)) & keep);
    return image;
}

MapInput take_map_input(const uint8_t *data, std::size_t size, std::vector<uint8_t> &image) {
    MapInput in;
    in.shape = size > 0 ? data[0] : 0;
    in.number = 0;
    for (std::size_t i = 1; i < kShapeBytes && i < size; ++i)
        in.number |= uint32_t{data[i]} << (8 * (i - 1));
    const uint8_t *records = data + (size < kShapeBytes ? size : kShapeBytes);
    std::size_t records_size = size < kShapeBytes ? 0 : size - kShapeBytes;

    std::memset(image.data(), 0, kBackdropPixelsOffset);
    if ((in.shape & 3) == 1) { // the last four bytes are the override
        uint8_t id[4] = {};
        std::size_t n = records_size < 4 ? records_size : 4;
        std::memcpy(id, records + records_size - n, n);
        records_size -= n;
        std::memcpy(&image[kMapOverrideOffset], id, 4);
    } else {
        for (std::size_t i = kMapFileSize; i < image.size(); ++i)
            image[i] = static_cast<uint8_t>(i * 37 + in.number);
    }
    std::size_t taken = 0;
    for (const Span &s : kRecordOrder) {
        if (taken >= records_size) break;
        std::size_t n = records_size - taken < s.size ? records_size - taken : s.size;
        std::memcpy(&image[s.file_offset], records + taken, n);
        taken += n;
    }
    in.length = file_length(in.shape, in.number);
    return in;
}

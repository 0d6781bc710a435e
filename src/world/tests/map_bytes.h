// A map file built byte by byte in a test. The offsets are written out here from the
// file layout (not taken from world/map_format.h), so a slip in the shared layout
// shows up as a field landing in the wrong place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace map_bytes {

constexpr std::size_t kFileSize = 1211594;

constexpr std::size_t room_at(int room) { return 110 + 1114 * static_cast<std::size_t>(room); }
constexpr std::size_t cell_at(int room, int column, int row) {
    return room_at(room) + 304 + 90 * row + 6 * column;
}
// group 0: enemies, group 1: platforms
constexpr std::size_t spawn_at(int room, int group, int slot) {
    return room_at(room) + (group == 0 ? 2 : 153) + 6 * slot;
}
constexpr std::size_t switch_at(int i) { return 27960 + 4 * static_cast<std::size_t>(i); }
constexpr std::size_t refill_at(int i) { return 28060 + 4 * static_cast<std::size_t>(i); }
constexpr std::size_t backdrop_pixel_at(int b, int x, int y) {
    return 28874 + ((static_cast<std::size_t>(b) * 144 + y) * 240 + x) * 4;
}

struct MapBytes {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(kFileSize, 0);

    void put8(std::size_t at, int v) { bytes.at(at) = static_cast<uint8_t>(v); }
    void put16(std::size_t at, int v) {
        put8(at, v & 0xFF);
        put8(at + 1, (v >> 8) & 0xFF);
    }
    void put32(std::size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) put8(at + i, static_cast<int>((v >> (8 * i)) & 0xFF));
    }
    void put_text(std::size_t at, const std::string &t) {
        for (std::size_t i = 0; i < t.size(); ++i) put8(at + i, static_cast<uint8_t>(t[i]));
    }
    void put_cell(int room, int column, int row, int back, int front, int flags) {
        std::size_t at = cell_at(room, column, row);
        put16(at, back);
        put16(at + 2, front);
        put8(at + 4, flags);
    }
    // Every spawn slot of every room emptied (sprite byte -1).
    void empty_all_spawns() {
        for (int r = 0; r < 25; ++r)
            for (int g = 0; g < 2; ++g)
                for (int s = 0; s < 25; ++s) put8(spawn_at(r, g, s) + 5, 0xFF);
    }
    void append32(uint32_t v) {
        bytes.resize(bytes.size() + 4);
        put32(bytes.size() - 4, v);
    }
};

} // namespace map_bytes

// PNG writing: deflate with the fixed Huffman codes of RFC 1951 section 3.2.6, the
// zlib wrapper, and the PNG chunks.
#include "png_write.h"

#include <array>

namespace maps {

namespace {

constexpr int kWindow = 32768;
constexpr int kHashSize = 1 << 15;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 258;
constexpr int kChainLimit = 128; // candidates tried per position

constexpr int kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int kDistBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                               33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                               1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr int kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

class BitWriter {
public:
    explicit BitWriter(std::vector<uint8_t> &out) : out_(out) {}
    // `n` bits of `v`, least significant first (extra bits, block headers).
    void bits(uint32_t v, int n) {
        for (int i = 0; i < n; ++i) bit((v >> i) & 1);
    }
    // A Huffman code of `n` bits, most significant first.
    void code(uint32_t v, int n) {
        for (int i = n - 1; i >= 0; --i) bit((v >> i) & 1);
    }
    void flush() {
        if (count_ > 0) out_.push_back(static_cast<uint8_t>(acc_));
        acc_ = 0;
        count_ = 0;
    }

private:
    std::vector<uint8_t> &out_;
    uint32_t acc_ = 0;
    int count_ = 0;
    void bit(uint32_t b) {
        acc_ |= b << count_;
        if (++count_ == 8) flush();
    }
};

void literal_or_length(BitWriter &w, int sym) {
    if (sym < 144) w.code(0x30 + sym, 8);
    else if (sym < 256) w.code(0x190 + sym - 144, 9);
    else if (sym < 280) w.code(sym - 256, 7);
    else w.code(0xC0 + sym - 280, 8);
}

void match(BitWriter &w, int length, int distance) {
    int li = 28;
    while (kLengthBase[li] > length) --li;
    literal_or_length(w, 257 + li);
    w.bits(static_cast<uint32_t>(length - kLengthBase[li]), kLengthExtra[li]);
    int di = 29;
    while (kDistBase[di] > distance) --di;
    w.code(static_cast<uint32_t>(di), 5);
    w.bits(static_cast<uint32_t>(distance - kDistBase[di]), kDistExtra[di]);
}

int hash_at(const std::vector<uint8_t> &d, std::size_t i) {
    return ((d[i] << 10) ^ (d[i + 1] << 5) ^ d[i + 2]) & (kHashSize - 1);
}

void deflate_fixed(const std::vector<uint8_t> &d, std::vector<uint8_t> &out) {
    BitWriter w(out);
    w.bits(1, 1); // the last block
    w.bits(1, 2); // fixed Huffman codes
    std::vector<int> head(kHashSize, -1);
    std::vector<int> prev(kWindow, -1);
    const std::size_t n = d.size();
    auto insert = [&](std::size_t i) {
        if (i + kMinMatch > n) return;
        int h = hash_at(d, i);
        prev[i % kWindow] = head[h];
        head[h] = static_cast<int>(i);
    };
    std::size_t i = 0;
    while (i < n) {
        int best_len = 0, best_dist = 0;
        if (i + kMinMatch <= n) {
            int candidate = head[hash_at(d, i)];
            for (int tries = 0; candidate >= 0 && tries < kChainLimit; ++tries) {
                std::size_t dist = i - static_cast<std::size_t>(candidate);
                if (dist > kWindow) break;
                std::size_t limit = n - i < kMaxMatch ? n - i : kMaxMatch;
                std::size_t len = 0;
                while (len < limit && d[candidate + len] == d[i + len]) ++len;
                if (static_cast<int>(len) > best_len) {
                    best_len = static_cast<int>(len);
                    best_dist = static_cast<int>(dist);
                    if (len == limit) break;
                }
                int next = prev[candidate % kWindow];
                if (next >= candidate) break; // the slot was reused by a newer position
                candidate = next;
            }
        }
        if (best_len >= kMinMatch) {
            match(w, best_len, best_dist);
            for (int k = 0; k < best_len; ++k) insert(i + k);
            i += best_len;
        } else {
            literal_or_length(w, d[i]);
            insert(i);
            ++i;
        }
    }
    literal_or_length(w, 256); // end of block
    w.flush();
}

std::array<uint32_t, 256> make_crc_table() {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[n] = c;
    }
    return t;
}

void put32_be(std::vector<uint8_t> &out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void chunk(std::vector<uint8_t> &out, const char *type, const std::vector<uint8_t> &body) {
    put32_be(out, static_cast<uint32_t>(body.size()));
    std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    put32_be(out, crc32_of(out.data() + start, out.size() - start));
}

} // namespace

uint32_t crc32_of(const uint8_t *p, std::size_t n, uint32_t crc) {
    static const std::array<uint32_t, 256> table = make_crc_table();
    uint32_t c = crc ^ 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint32_t adler32_of(const uint8_t *p, std::size_t n) {
    uint32_t a = 1, b = 0;
    for (std::size_t i = 0; i < n; ++i) {
        a = (a + p[i]) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

std::vector<uint8_t> zlib_compress(const std::vector<uint8_t> &data) {
    std::vector<uint8_t> out = {0x78, 0x9C}; // deflate, 32 KB window; the check bits fit
    deflate_fixed(data, out);
    put32_be(out, adler32_of(data.data(), data.size()));
    return out;
}

std::vector<uint8_t> encode_png(const Raster &img) {
    std::vector<uint8_t> rows;
    rows.reserve(static_cast<std::size_t>(img.h) * (img.w * 3 + 1));
    for (int y = 0; y < img.h; ++y) {
        rows.push_back(0); // no filter
        const uint8_t *p = img.at(0, y);
        rows.insert(rows.end(), p, p + img.w * 3);
    }
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    put32_be(ihdr, static_cast<uint32_t>(img.w));
    put32_be(ihdr, static_cast<uint32_t>(img.h));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter set, no interlace
    chunk(out, "IHDR", ihdr);
    chunk(out, "IDAT", zlib_compress(rows));
    chunk(out, "IEND", {});
    return out;
}

} // namespace maps

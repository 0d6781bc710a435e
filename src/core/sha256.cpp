// SHA-256 as FIPS 180-4 describes it: big-endian words, a 64-word message schedule and
// 64 rounds a block.
#include "core/sha256.h"

#include <cstdio>
#include <cstring>

namespace {

// The first 32 bits of the fractional parts of the cube roots of the first 64 primes.
constexpr uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

// The first 32 bits of the fractional parts of the square roots of the first 8 primes.
constexpr uint32_t kInitial[8] = {
    0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19,
};

// Where the message length goes in the last block: its final 8 bytes.
constexpr int kLengthAt = kSha256BlockBytes - 8;

uint32_t rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }
uint32_t choose(uint32_t x, uint32_t y, uint32_t z) { return (x & y) ^ (~x & z); }
uint32_t majority(uint32_t x, uint32_t y, uint32_t z) { return (x & y) ^ (x & z) ^ (y & z); }
uint32_t big_sigma0(uint32_t x) { return rotr(x, 2) ^ rotr(x, 13) ^ rotr(x, 22); }
uint32_t big_sigma1(uint32_t x) { return rotr(x, 6) ^ rotr(x, 11) ^ rotr(x, 25); }
uint32_t small_sigma0(uint32_t x) { return rotr(x, 7) ^ rotr(x, 18) ^ (x >> 3); }
uint32_t small_sigma1(uint32_t x) { return rotr(x, 17) ^ rotr(x, 19) ^ (x >> 10); }

uint32_t read_be32(const uint8_t *p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

void compress(uint32_t state[8], const uint8_t block[kSha256BlockBytes]) {
    uint32_t w[64];
    for (int t = 0; t < 16; ++t) w[t] = read_be32(block + 4 * t);
    for (int t = 16; t < 64; ++t)
        w[t] = small_sigma1(w[t - 2]) + w[t - 7] + small_sigma0(w[t - 15]) + w[t - 16];

    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
    for (int t = 0; t < 64; ++t) {
        const uint32_t t1 = h + big_sigma1(e) + choose(e, f, g) + kRound[t] + w[t];
        const uint32_t t2 = big_sigma0(a) + majority(a, b, c);
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
}

} // namespace

void sha256_init(Sha256 &ctx) {
    std::memcpy(ctx.state, kInitial, sizeof ctx.state);
    ctx.total_bytes = 0;
    ctx.block_used = 0;
}

void sha256_update(Sha256 &ctx, const void *data, std::size_t size) {
    const uint8_t *p = static_cast<const uint8_t *>(data);
    ctx.total_bytes += size;
    while (size > 0) {
        std::size_t take = static_cast<std::size_t>(kSha256BlockBytes - ctx.block_used);
        if (take > size) take = size;
        std::memcpy(ctx.block + ctx.block_used, p, take);
        ctx.block_used += static_cast<int>(take);
        p += take;
        size -= take;
        if (ctx.block_used == kSha256BlockBytes) {
            compress(ctx.state, ctx.block);
            ctx.block_used = 0;
        }
    }
}

void sha256_final(Sha256 &ctx, uint8_t out[kSha256Bytes]) {
    const uint64_t bits = ctx.total_bytes * 8;
    // A single 1 bit, then zeros up to the length field; when the length no longer
    // fits in this block, the padding runs on into one more.
    ctx.block[ctx.block_used++] = 0x80;
    if (ctx.block_used > kLengthAt) {
        std::memset(ctx.block + ctx.block_used, 0, kSha256BlockBytes - ctx.block_used);
        compress(ctx.state, ctx.block);
        ctx.block_used = 0;
    }
    std::memset(ctx.block + ctx.block_used, 0, kLengthAt - ctx.block_used);
    for (int i = 0; i < 8; ++i) ctx.block[kLengthAt + i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
    compress(ctx.state, ctx.block);

    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 4; ++j) out[4 * i + j] = static_cast<uint8_t>(ctx.state[i] >> (24 - 8 * j));
}

void sha256(const void *data, std::size_t size, uint8_t out[kSha256Bytes]) {
    Sha256 ctx;
    sha256_init(ctx);
    sha256_update(ctx, data, size);
    sha256_final(ctx, out);
}

bool sha256_file(const char *path, uint8_t out[kSha256Bytes]) {
    FILE *f = std::fopen(path, "rb");
    if (!f) return false;
    Sha256 ctx;
    sha256_init(ctx);
    uint8_t chunk[16384];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) sha256_update(ctx, chunk, got);
    // fread returns short both at the end and on an error (a directory reads as
    // EISDIR); only the error flag tells them apart.
    const bool ok = !std::ferror(f);
    std::fclose(f);
    if (ok) sha256_final(ctx, out);
    return ok;
}

std::string sha256_hex(const uint8_t digest[kSha256Bytes]) {
    static const char kDigits[] = "0123456789abcdef";
    std::string s(2 * kSha256Bytes, '0');
    for (int i = 0; i < kSha256Bytes; ++i) {
        s[2 * i] = kDigits[digest[i] >> 4];
        s[2 * i + 1] = kDigits[digest[i] & 15];
    }
    return s;
}

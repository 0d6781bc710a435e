// SHA-256 (FIPS 180-4): a replay names the exact map file it was recorded on by this
// digest, so a replay is never run against a map that has since changed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr int kSha256Bytes = 32;     // digest size
constexpr int kSha256BlockBytes = 64; // the compression works on 512-bit blocks

// A digest in progress: sha256_init, any number of sha256_update, one sha256_final.
struct Sha256 {
    uint32_t state[8];
    uint64_t total_bytes; // message length so far; its bit count ends the padding
    uint8_t block[kSha256BlockBytes];
    int block_used; // bytes waiting in `block` for a whole block
};

void sha256_init(Sha256 &ctx);
void sha256_update(Sha256 &ctx, const void *data, std::size_t size);
// Pads and writes the digest; `ctx` takes no more data until sha256_init again.
void sha256_final(Sha256 &ctx, uint8_t out[kSha256Bytes]);

void sha256(const void *data, std::size_t size, uint8_t out[kSha256Bytes]);

// The digest of a whole file, read in pieces; false (and `out` unspecified) when the
// file cannot be opened or a read fails.
bool sha256_file(const char *path, uint8_t out[kSha256Bytes]);

// 64 lowercase hex digits, first byte first.
std::string sha256_hex(const uint8_t digest[kSha256Bytes]);

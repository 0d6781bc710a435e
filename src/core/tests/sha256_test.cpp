// SHA-256 against the published test vectors and digests from another implementation
// (Python's hashlib); streaming in uneven pieces; whole files; files that fail.
#include "core/sha256.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using testing_support::TempDir;
using testing_support::write_file;

namespace {

std::string hex_of(const void *data, std::size_t size) {
    uint8_t d[kSha256Bytes];
    sha256(data, size, d);
    return sha256_hex(d);
}

std::string hex_of(const std::string &s) { return hex_of(s.data(), s.size()); }

// A message with no repeating structure within a block: byte i is (131 i + 7) mod 251.
std::vector<unsigned char> patterned(std::size_t size) {
    std::vector<unsigned char> v(size);
    for (std::size_t i = 0; i < size; ++i) v[i] = static_cast<unsigned char>((i * 131 + 7) % 251);
    return v;
}

constexpr const char *kPatterned1000 = "557a0d461baa2b2c24a7b8bf35cb30016e7044666719436f38a03d7e84238259";
constexpr const char *kPatterned100000 = "d290660d6935703601a59249c6e0088fe3a1740d57b1ccba2cebbd8a9be58700";

TEST(Sha256Vectors, Published) {
    EXPECT_EQ(hex_of(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(hex_of("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(hex_of("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(hex_of("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopq"
                     "klmnopqrlmnopqrsmnopqrstnopqrstu"),
              "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
}

TEST(Sha256Vectors, OneMillionA) {
    const std::string a(1000000, 'a');
    EXPECT_EQ(hex_of(a), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// Around each length where the padding changes shape: the length field still fits
// after the 1 bit (55), just doesn't (56, 57), the message fills a block (63, 64, 65).
TEST(Sha256Vectors, PaddingBoundaries) {
    const struct {
        std::size_t length;
        const char *hex;
    } cases[] = {
        {55, "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {56, "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        {57, "f13b2d724659eb3bf47f2dd6af1accc87b81f09f59f2b75e5c0bed6589dfe8c6"},
        {63, "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
        {64, "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        {65, "635361c48bb9eab14198e76ea8ab7f1a41685d6ad62aa9146d301d4f17eb0ae0"},
        {119, "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb"},
        {120, "2f3d335432c70b580af0e8e1b3674a7c020d683aa5f73aaaedfdc55af904c21c"},
        {128, "6836cf13bac400e9105071cd6af47084dfacad4e5e302c94bfed24e013afb73e"},
    };
    for (const auto &c : cases) EXPECT_EQ(hex_of(std::string(c.length, 'a')), c.hex) << c.length << " a";
}

TEST(Sha256Vectors, PatternedBytes) {
    const std::vector<unsigned char> m = patterned(1000);
    EXPECT_EQ(hex_of(m.data(), m.size()), kPatterned1000);
}

TEST(Sha256Stream, UnevenPiecesGiveTheOneShotDigest) {
    const std::vector<unsigned char> m = patterned(1000);
    // Piece sizes that land the block boundary everywhere, with empty updates between.
    const std::size_t pieces[] = {1, 0, 3, 7, 13, 0, 61, 64, 65, 127, 128, 2, 55, 9};
    for (std::size_t start = 0; start < 5; ++start) {
        Sha256 ctx;
        sha256_init(ctx);
        std::size_t at = 0;
        for (std::size_t i = start; at < m.size(); ++i) {
            std::size_t n = pieces[i % (sizeof pieces / sizeof pieces[0])];
            if (n > m.size() - at) n = m.size() - at;
            sha256_update(ctx, m.data() + at, n);
            at += n;
        }
        uint8_t d[kSha256Bytes];
        sha256_final(ctx, d);
        EXPECT_EQ(sha256_hex(d), kPatterned1000) << "pieces from " << start;
    }
}

TEST(Sha256Stream, ByteAtATime) {
    const std::vector<unsigned char> m = patterned(1000);
    Sha256 ctx;
    sha256_init(ctx);
    for (unsigned char byte : m) sha256_update(ctx, &byte, 1);
    uint8_t d[kSha256Bytes];
    sha256_final(ctx, d);
    EXPECT_EQ(sha256_hex(d), kPatterned1000);
}

TEST(Sha256Stream, ContextIsReusableAfterInit) {
    Sha256 ctx;
    sha256_init(ctx);
    sha256_update(ctx, "something else", 14);
    uint8_t d[kSha256Bytes];
    sha256_final(ctx, d);
    sha256_init(ctx);
    sha256_update(ctx, "abc", 3);
    sha256_final(ctx, d);
    EXPECT_EQ(sha256_hex(d), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(Sha256Hex, LowercaseWithLeadingZeros) {
    uint8_t d[kSha256Bytes] = {};
    d[0] = 0x00;
    d[1] = 0x0f;
    d[2] = 0xa0;
    d[3] = 0xff;
    d[31] = 0x5c;
    EXPECT_EQ(sha256_hex(d), "000fa0ff" + std::string(54, '0') + "5c");
}

TEST(Sha256File, LargerThanOneReadChunk) {
    TempDir dir;
    write_file(dir.file("big.bin"), patterned(100000));
    uint8_t d[kSha256Bytes];
    ASSERT_TRUE(sha256_file(dir.file("big.bin").c_str(), d));
    EXPECT_EQ(sha256_hex(d), kPatterned100000);
}

// Reads come in whole chunks; a file one byte longer than a chunk ends on a read of
// a single byte, and so does a file of one byte.
TEST(Sha256File, LastReadOfOneByte) {
    TempDir dir;
    write_file(dir.file("chunk-and-one.bin"), patterned(16385));
    write_file(dir.file("a.txt"), std::string("a"));
    uint8_t d[kSha256Bytes];
    ASSERT_TRUE(sha256_file(dir.file("chunk-and-one.bin").c_str(), d));
    EXPECT_EQ(sha256_hex(d), "6490f5bed670908425c73196e9d852dce478544c22d23334d4005376751a2a48");
    ASSERT_TRUE(sha256_file(dir.file("a.txt").c_str(), d));
    EXPECT_EQ(sha256_hex(d), "ca978112ca1bbdcafac231b39a23dc4da786eff8147c4e72b9807785afee48bb");
}

TEST(Sha256File, SmallAndEmptyFiles) {
    TempDir dir;
    write_file(dir.file("abc.txt"), std::string("abc"));
    write_file(dir.file("empty"), std::string());
    uint8_t d[kSha256Bytes];
    ASSERT_TRUE(sha256_file(dir.file("abc.txt").c_str(), d));
    EXPECT_EQ(sha256_hex(d), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    ASSERT_TRUE(sha256_file(dir.file("empty").c_str(), d));
    EXPECT_EQ(sha256_hex(d), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

TEST(Sha256File, MissingFileFails) {
    TempDir dir;
    uint8_t d[kSha256Bytes];
    EXPECT_FALSE(sha256_file(dir.file("no-such-file").c_str(), d));
}

// A directory opens on this system but every read fails.
TEST(Sha256File, DirectoryFails) {
    TempDir dir;
    uint8_t d[kSha256Bytes];
    EXPECT_FALSE(sha256_file(dir.path().c_str(), d));
}

} // namespace

// SHA-256 known answers (the published vectors, lengths on each side of the padding's
// edges, and digests from another implementation, Python's hashlib): whole, streamed
// in uneven pieces, and from a file; and files that cannot be read.
#include "core/sha256.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::TempDir;

namespace {

// A message with no repeating structure within a block: byte i is (131 i + 7) mod 251.
std::string patterned(std::size_t size) {
    std::string v(size, '\0');
    for (std::size_t i = 0; i < size; ++i) v[i] = static_cast<char>((i * 131 + 7) % 251);
    return v;
}

struct Known {
    std::string message;
    const char *hex;
};

const Known kKnown[] = {
    {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
    {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
    {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
    {std::string(120, 'a'), "2f3d335432c70b580af0e8e1b3674a7c020d683aa5f73aaaedfdc55af904c21c"},
    {patterned(1000), "557a0d461baa2b2c24a7b8bf35cb30016e7044666719436f38a03d7e84238259"},
    // One byte past a whole read chunk of the file reader.
    {patterned(16385), "6490f5bed670908425c73196e9d852dce478544c22d23334d4005376751a2a48"},
    {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
};

TEST(Sha256, KnownAnswersWholeStreamedAndFromAFile) {
    TempDir dir;
    // Piece sizes that land a block's edge everywhere, with empty updates between.
    const std::size_t pieces[] = {1, 0, 3, 7, 13, 0, 61, 64, 65, 127, 128, 2, 55, 9};
    Sha256 ctx;
    uint8_t d[kSha256Bytes];
    for (const Known &k : kKnown) {
        const std::string &m = k.message;
        sha256(m.data(), m.size(), d);
        EXPECT_EQ(sha256_hex(d), k.hex) << m.size() << " bytes whole";

        sha256_init(ctx); // the same context each time: init starts afresh
        for (std::size_t at = 0, i = m.size() % 5; at < m.size(); ++i) {
            const std::size_t n = std::min(pieces[i % 14], m.size() - at);
            sha256_update(ctx, m.data() + at, n);
            at += n;
        }
        sha256_final(ctx, d);
        EXPECT_EQ(sha256_hex(d), k.hex) << m.size() << " bytes in pieces";

        testing_support::write_file(dir.file("m"), m);
        ASSERT_TRUE(sha256_file(dir.file("m").c_str(), d));
        EXPECT_EQ(sha256_hex(d), k.hex) << m.size() << " bytes from a file";
    }
}

TEST(Sha256, FilesThatCannotBeReadFail) {
    TempDir dir;
    uint8_t d[kSha256Bytes];
    EXPECT_FALSE(sha256_file(dir.file("no-such-file").c_str(), d));
    EXPECT_FALSE(sha256_file(dir.path().c_str(), d)) << "a directory opens, but reads fail";
}

} // namespace

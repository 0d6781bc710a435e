// Replay files: which texts are replays, one refusal per message (with its line), what
// the writer produces and the file reader's limits. What the reader promises of any
// text (a written replay reads back the same, the file reader answers as the parser)
// is fuzz/promises/replay_promise.cpp, run over fuzz/corpus/replay/ by promise_tests.
#include "level/replay_file.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

using testing_support::TempDir;
using testing_support::write_file;

namespace {

const std::string kHex = "00112233445566778899aabbccddeeff0123456789abcdeffedcba9876543210";
const uint8_t kDigest[32] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xaa,
                             0xbb, 0xcc, 0xdd, 0xee, 0xff, 0x01, 0x23, 0x45, 0x67, 0x89, 0xab,
                             0xcd, 0xef, 0xfe, 0xdc, 0xba, 0x98, 0x76, 0x54, 0x32, 0x10};
const std::string kMagic = "VESPERTIL REPLAY 1\n";
const std::string kHeader = kMagic + "map prueba.map\nsha256 " + kHex + "\n";

constexpr KeyRecord kLeft = key_bit(Key::Left), kRight = key_bit(Key::Right),
                    kUp = key_bit(Key::Up), kEnter = key_bit(Key::Enter);

std::vector<KeyRecord> runs(std::initializer_list<std::pair<int, KeyRecord>> list) {
    std::vector<KeyRecord> v;
    for (const auto &run : list) v.insert(v.end(), static_cast<std::size_t>(run.first), run.second);
    return v;
}

bool parse(const std::string &text, ReplayScript &out, std::string &error) {
    return parse_replay(text.data(), text.size(), "t.rpl", out, error);
}

TEST(ReplayParse, GoodTexts) {
    const struct {
        const char *what;
        std::string text;
        std::vector<KeyRecord> frames;
    } cases[] = {
        {"header only", kHeader, {}},
        {"runs", kHeader + "3 ENTER\n40 RIGHT\n1 RIGHT+UP\n10 -\n",
         runs({{3, kEnter}, {40, kRight}, {1, kRight | kUp}, {10, 0}})},
        {"comments and blanks", kMagic + "# by hand\n\nmap prueba.map\n  \t\n#\nsha256 " + kHex +
             "\n\n# go\n2 LEFT\n", runs({{2, kLeft}})},
        {"CRLF, no line end at the close", kMagic + "map prueba.map\r\nsha256 " + kHex +
             "\r\n2 UP+LEFT\r\n4 ENTER", runs({{2, kLeft | kUp}, {4, kEnter}})},
        {"leading zeros", kHeader + "007 -\r", runs({{7, 0}})},
        {"the frame limit exactly", kHeader + "1999999 -\n1 LEFT\n",
         runs({{kMaxReplayFrames - 1, 0}, {1, kLeft}})},
    };
    for (const auto &c : cases) {
        ReplayScript s;
        std::string error;
        ASSERT_TRUE(parse(c.text, s, error)) << c.what << ": " << error;
        EXPECT_EQ(s.map_name, "prueba.map") << c.what;
        EXPECT_EQ(0, memcmp(s.map_sha256, kDigest, 32)) << c.what;
        EXPECT_TRUE(s.frames == c.frames) << c.what << ": " << s.frames.size() << " frames";
    }
}

// One row per message the reader gives; comments, blank lines and CRLF count as lines.
TEST(ReplayParse, EachRefusalSaysWhatAndWhere) {
    using namespace std::string_literals;
    const auto map = [](const std::string &name) { return kMagic + "map " + name + "\nsha256 " + kHex + "\n"; };
    const std::string sha = kMagic + "map a\nsha256 ";
    const std::pair<std::string, const char *> cases[] = {
        {"", "t.rpl: empty, not a replay"},
        {"\xEF\xBB\xBFVESPERTIL REPLAY 1\n", "t.rpl:1: not a replay: the first line must be 'VESPERTIL REPLAY 1'"},
        {kMagic + "# x\n", "t.rpl: ends before the map line"},
        {kMagic + "map a\n", "t.rpl: ends before the sha256 line"},
        {kMagic + "sha256 " + kHex + "\n", "t.rpl:2: the sha256 line comes before the map line"},
        {kMagic + "MAP a\n", "t.rpl:2: expected the map line ('map NAME'), not 'MAP a'"},
        {kMagic + "map a\n3 LEFT\n", "t.rpl:3: expected the sha256 line ('sha256 DIGEST'), not '3 LEFT'"},
        {kMagic + "map a\nmap b\n", "t.rpl:3: a second map line"},
        {kHeader + "1 -\nsha256 " + kHex + "\n", "t.rpl:5: a second sha256 line"},
        {map(""), "t.rpl:2: the map name is empty"},
        {map(std::string(kMaxReplayMapName + 1, 'm')), "t.rpl:2: the map name is longer than 99 characters"},
        {map(".."), "t.rpl:2: the map name must name a file in MAP/"},
        {map("a\\b"), "t.rpl:2: the map name must name a file in MAP/, without '/' or '\\'"},
        {map("a\tb"), "t.rpl:2: a space in the map name"},
        {map("a\x7F"), "t.rpl:2: the map name must be printable ASCII"},
        {sha + kHex.substr(1) + "G\n", "t.rpl:3: the sha256 must be 64 lowercase hex digits"},
        {kHeader + "000 LEFT\n", "t.rpl:4: a frame count must be at least 1"},
        {kHeader + "# a\n\n\r\n+1 LEFT\n", "t.rpl:7: expected a frame count (a positive decimal number), not '+1 LEFT'"},
        {kHeader + "3\n", "t.rpl:4: no keys after the count"},
        {kHeader + "2000001 -\n", "t.rpl:4: the count is more than the 2000000 frames a replay may hold"},
        {kHeader + "2000000 -\n1 -\n", "t.rpl:5: the replay is longer than 2000000 frames"},
        {kHeader + "3 LEFT+ABCDEFGHIJKLMNOPQRSTUVWXYZ\n", "t.rpl:4: unknown key 'ABCDEFGHIJKLMNOPQRSTUVWX...'"},
        {kHeader + "3 LEFT++UP\n", "t.rpl:4: an empty key name between '+'"},
        {kHeader + "3 LEFT+UP+LEFT\n", "t.rpl:4: the key 'LEFT' is given twice"},
        {kHeader + "3  LEFT\n", "t.rpl:4: more than one space after the count"},
        {kHeader + "1 -\r2 -\n", "t.rpl:4: unexpected text after the keys: ' -'"}, // a bare CR ends no line
        {kHeader + "1 -\n3 LE\0FT\n"s, "t.rpl:5: a NUL byte in the text"},
    };
    for (const auto &c : cases) {
        ReplayScript s;
        std::string error;
        EXPECT_FALSE(parse(c.first, s, error)) << c.second;
        EXPECT_EQ(error, c.second);
    }
    ReplayScript s;
    std::string error;
    EXPECT_FALSE(parse_replay(nullptr, 10, nullptr, s, error));
    EXPECT_EQ(error, "replay: empty, not a replay");
}

// The text need not end where its size says: what follows is not read.
TEST(ReplayParse, ReadsOnlyTheGivenSize) {
    const std::string buffer = kHeader + "3 LEFT" + "+UP\n";
    ReplayScript s;
    std::string error;
    ASSERT_TRUE(parse_replay(buffer.data(), kHeader.size() + 6, "t.rpl", s, error)) << error;
    EXPECT_TRUE(s.frames == runs({{3, kLeft}}));
}

TEST(ReplayFormat, RunsMergeAndUnnamedKeysAreDropped) {
    std::vector<KeyRecord> frames = runs({{3, kLeft}, {2, 0}, {1, kLeft | kUp}, {1, kLeft},
                                          {12345, kUp | key_bit(Key::B)}, {1, key_bit(Key::Z)}});
    EXPECT_EQ(format_replay("prueba.map", kDigest, frames),
              kHeader + "3 LEFT\n2 -\n1 LEFT+UP\n1 LEFT\n12345 UP\n1 -\n");
    EXPECT_EQ(format_replay("prueba.map", kDigest, {}), kHeader);
    // Only the records given are written, whatever the memory beyond them holds.
    frames.assign(3, kLeft);
    frames.resize(2);
    EXPECT_EQ(format_replay("prueba.map", kDigest, frames), kHeader + "2 LEFT\n");
    EXPECT_EQ(key_record_text(~KeyRecord{0}),
              "LEFT+RIGHT+UP+DOWN+O+P+Q+A+LSHIFT+RSHIFT+ESC+ENTER+SPACE+LCONTROL+ALT+D");
}

TEST(ReplayReadFile, ErrorsNameThePathAndTheSizeIsLimited) {
    TempDir dir;
    const std::string path = dir.file("big.rpl"), missing = dir.file("missing.rpl");
    std::string text = kHeader + "1 -\n#";
    text.append(static_cast<std::size_t>(kMaxReplayFileBytes) - text.size() - 1, 'c');
    text += '\n';
    write_file(path, text);
    ReplayScript s;
    std::string error;
    EXPECT_TRUE(read_replay_file(path.c_str(), s, error)) << error;
    EXPECT_EQ(s.frames.size(), 1u);
    write_file(path, text + "\n");
    EXPECT_FALSE(read_replay_file(path.c_str(), s, error));
    EXPECT_EQ(error, path + ": larger than 16777216 bytes, too large for a replay");
    EXPECT_FALSE(read_replay_file(missing.c_str(), s, error));
    EXPECT_EQ(error, missing + ": cannot be opened");
    EXPECT_FALSE(read_replay_file(dir.path().c_str(), s, error));
    EXPECT_EQ(error, dir.path() + ": cannot be read");
}

} // namespace

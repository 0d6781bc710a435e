// Replay files: which texts are replays and which are refused (with the right line in
// the message), what the writer produces, and that writing and reading back loses
// nothing.
#include "level/replay_file.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
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
const std::string kHeader = "VESPERTIL REPLAY 1\nmap prueba.map\nsha256 " + kHex + "\n";

constexpr KeyRecord kLeft = key_bit(Key::Left), kRight = key_bit(Key::Right),
                    kUp = key_bit(Key::Up), kEnter = key_bit(Key::Enter);

// The key names of the file format and the keys they stand for, in writing order.
const std::pair<const char *, Key> kNames[] = {
    {"LEFT", Key::Left},      {"RIGHT", Key::Right},       {"UP", Key::Up},
    {"DOWN", Key::Down},      {"O", Key::O},               {"P", Key::P},
    {"Q", Key::Q},            {"A", Key::A},               {"LSHIFT", Key::LeftShift},
    {"RSHIFT", Key::RightShift}, {"ESC", Key::Esc},        {"ENTER", Key::Enter},
    {"SPACE", Key::Space},    {"LCONTROL", Key::LeftControl}, {"ALT", Key::Alt},
    {"D", Key::D},
};

KeyRecord all_named_keys() {
    KeyRecord r = 0;
    for (const auto &n : kNames) r |= key_bit(n.second);
    return r;
}

std::vector<KeyRecord> runs(std::initializer_list<std::pair<int, KeyRecord>> list) {
    std::vector<KeyRecord> v;
    for (const auto &run : list) v.insert(v.end(), static_cast<std::size_t>(run.first), run.second);
    return v;
}

bool parse(const std::string &text, ReplayScript &out, std::string &error) {
    return parse_replay(text.data(), text.size(), "t.rpl", out, error);
}

// ---- Good texts ----

struct GoodCase {
    const char *what;
    std::string text;
    std::vector<KeyRecord> frames;
};

TEST(ReplayParse, GoodTexts) {
    const GoodCase cases[] = {
        {"header only: no frames", kHeader, {}},
        {"the example", kHeader + "3 ENTER\n40 RIGHT\n1 RIGHT+UP\n10 -\n",
         runs({{3, kEnter}, {40, kRight}, {1, kRight | kUp}, {10, 0}})},
        {"comments and blank lines between and after the header lines",
         "VESPERTIL REPLAY 1\n# recorded by hand\n\nmap prueba.map\n  \t\n#\nsha256 " + kHex +
             "\n\n# go\n2 LEFT\n\n# stop\n1 -\n",
         runs({{2, kLeft}, {1, 0}})},
        {"CRLF line ends", "VESPERTIL REPLAY 1\r\nmap prueba.map\r\nsha256 " + kHex + "\r\n\r\n2 UP\r\n",
         runs({{2, kUp}})},
        {"last line without a line end", kHeader + "1 LEFT\n4 ENTER", runs({{1, kLeft}, {4, kEnter}})},
        {"last line with CR and no LF", kHeader + "4 ENTER\r", runs({{4, kEnter}})},
        {"keys in any order", kHeader + "2 UP+LEFT\n", runs({{2, kLeft | kUp}})},
        {"every key at once",
         kHeader + "1 D+ALT+LCONTROL+SPACE+ENTER+ESC+RSHIFT+LSHIFT+A+Q+P+O+DOWN+UP+RIGHT+LEFT\n",
         runs({{1, all_named_keys()}})},
        {"leading zeros in a count", kHeader + "007 -\n", runs({{7, 0}})},
        {"the frame limit exactly", kHeader + "1999999 -\n1 LEFT\n",
         runs({{kMaxReplayFrames - 1, 0}, {1, kLeft}})},
    };
    for (const GoodCase &c : cases) {
        ReplayScript s;
        std::string error;
        ASSERT_TRUE(parse(c.text, s, error)) << c.what << ": " << error;
        EXPECT_EQ(s.map_name, "prueba.map") << c.what;
        EXPECT_EQ(std::vector<uint8_t>(s.map_sha256, s.map_sha256 + 32),
                  std::vector<uint8_t>(kDigest, kDigest + 32))
            << c.what;
        EXPECT_TRUE(s.frames == c.frames) << c.what << ": " << s.frames.size() << " frames";
    }
}

TEST(ReplayParse, EachKeyNameAlone) {
    for (const auto &n : kNames) {
        ReplayScript s;
        std::string error;
        ASSERT_TRUE(parse(kHeader + "2 " + n.first + "\n", s, error)) << error;
        EXPECT_TRUE(s.frames == runs({{2, key_bit(n.second)}})) << n.first;
    }
}

TEST(ReplayParse, MapNames) {
    const std::string longest(kMaxReplayMapName, 'm');
    for (const std::string &name : {longest, std::string("x"), std::string("level_1-b.v2.map"),
                                    std::string("...map")}) {
        ReplayScript s;
        std::string error;
        ASSERT_TRUE(parse("VESPERTIL REPLAY 1\nmap " + name + "\nsha256 " + kHex + "\n", s, error))
            << error;
        EXPECT_EQ(s.map_name, name);
    }
}

// ---- Refused texts ----

struct BadCase {
    const char *what;
    std::string text;
    int line;             // 0: the file as a whole
    const char *mentions; // a piece of the message
};

std::string with_map(const std::string &name) {
    return "VESPERTIL REPLAY 1\nmap " + name + "\nsha256 " + kHex + "\n1 -\n";
}
std::string with_sha(const std::string &hex) {
    return "VESPERTIL REPLAY 1\nmap prueba.map\nsha256 " + hex + "\n1 -\n";
}

void expect_refused(const std::vector<BadCase> &cases) {
    for (const BadCase &c : cases) {
        ReplayScript s;
        std::string error;
        ASSERT_FALSE(parse(c.text, s, error)) << c.what;
        const std::string where = c.line ? "t.rpl:" + std::to_string(c.line) + ": " : "t.rpl: ";
        EXPECT_EQ(error.compare(0, where.size(), where), 0) << c.what << ": " << error;
        EXPECT_NE(error.find(c.mentions), std::string::npos) << c.what << ": " << error;
    }
}

TEST(ReplayRefused, MagicLine) {
    expect_refused({
        {"empty text", "", 0, "empty"},
        {"another version", "VESPERTIL REPLAY 2\nmap a\nsha256 " + kHex + "\n", 1, "not a replay"},
        {"lower case", "vespertil replay 1\n", 1, "not a replay"},
        {"trailing space", "VESPERTIL REPLAY 1 \n", 1, "not a replay"},
        {"comment first", "# hello\nVESPERTIL REPLAY 1\n", 1, "not a replay"},
        {"blank line first", "\nVESPERTIL REPLAY 1\n", 1, "not a replay"},
        {"byte order mark", "\xEF\xBB\xBFVESPERTIL REPLAY 1\n", 1, "not a replay"},
        {"a map file", "MAPA\x01\x02", 1, "not a replay"},
    });
}

TEST(ReplayRefused, HeaderOrder) {
    expect_refused({
        {"only the magic line", "VESPERTIL REPLAY 1\n", 0, "ends before the map line"},
        {"no sha256", "VESPERTIL REPLAY 1\nmap a\n# x\n", 0, "ends before the sha256 line"},
        {"sha256 first", "VESPERTIL REPLAY 1\nsha256 " + kHex + "\nmap a\n", 2, "before the map line"},
        {"frames without a header", "VESPERTIL REPLAY 1\n3 LEFT\n", 2, "map line"},
        {"frames without sha256", "VESPERTIL REPLAY 1\nmap a\n3 LEFT\n", 3, "sha256 line"},
        {"map twice", "VESPERTIL REPLAY 1\nmap a\nmap b\nsha256 " + kHex + "\n", 3, "second map"},
        {"map again after the header", kHeader + "1 -\nmap b\n", 5, "second map"},
        {"sha256 again", kHeader + "\nsha256 " + kHex + "\n", 5, "second sha256"},
        {"keyword without its space", "VESPERTIL REPLAY 1\nmap\tprueba.map\n", 2, "map line"},
        {"capital keyword", "VESPERTIL REPLAY 1\nMAP prueba.map\n", 2, "map line"},
    });
}

TEST(ReplayRefused, MapName) {
    expect_refused({
        {"empty", "VESPERTIL REPLAY 1\nmap\nsha256 " + kHex + "\n", 2, "empty"},
        {"empty after the space", with_map(""), 2, "empty"},
        {"too long", with_map(std::string(kMaxReplayMapName + 1, 'm')), 2, "longer than 99"},
        {"slash", with_map("levels/a.map"), 2, "'/'"},
        {"parent", with_map("../a.map"), 2, "'/'"},
        {"backslash", with_map("a\\b.map"), 2, "'/'"},
        {"dot dot", with_map(".."), 2, "a file in MAP/"},
        {"dot", with_map("."), 2, "a file in MAP/"},
        {"space inside", with_map("a b.map"), 2, "space"},
        {"second space", with_map(" a.map"), 2, "space"},
        {"trailing space", with_map("a.map "), 2, "space"},
        {"tab", with_map("a\t.map"), 2, "space"},
        {"control character", with_map("a\x01.map"), 2, "printable"},
        {"CR inside", with_map("a\r.map"), 2, "printable"},
        {"delete", with_map("a\x7F.map"), 2, "printable"},
        {"non-ASCII", with_map("espa\xC3\xB1ol.map"), 2, "printable"},
    });
}

TEST(ReplayRefused, Digest) {
    expect_refused({
        {"63 digits", with_sha(kHex.substr(1)), 3, "64 lowercase hex"},
        {"65 digits", with_sha(kHex + "0"), 3, "64 lowercase hex"},
        {"upper case", with_sha("00112233445566778899AABBCCDDEEFF0123456789abcdeffedcba9876543210"), 3,
         "64 lowercase hex"},
        {"not hex", with_sha("g" + kHex.substr(1)), 3, "64 lowercase hex"},
        {"last digit not hex", with_sha(kHex.substr(0, 63) + "/"), 3, "64 lowercase hex"},
        {"colon after a digit", with_sha(kHex.substr(0, 40) + ":" + kHex.substr(41)), 3, "64 lowercase hex"},
        {"empty", "VESPERTIL REPLAY 1\nmap a\nsha256\n", 3, "64 lowercase hex"},
        {"two spaces", with_sha(" " + kHex.substr(1)), 3, "64 lowercase hex"},
        {"trailing space", with_sha(kHex + " "), 3, "64 lowercase hex"},
    });
}

TEST(ReplayRefused, Counts) {
    expect_refused({
        {"zero", kHeader + "0 LEFT\n", 4, "at least 1"},
        {"zeros", kHeader + "000 LEFT\n", 4, "at least 1"},
        {"negative", kHeader + "-1 LEFT\n", 4, "frame count"},
        {"plus sign", kHeader + "+1 LEFT\n", 4, "frame count"},
        {"hex", kHeader + "0x10 LEFT\n", 4, "frame count"},
        {"exponent", kHeader + "1e3 LEFT\n", 4, "frame count"},
        {"leading space", kHeader + " 3 LEFT\n", 4, "frame count"},
        {"keys only", kHeader + "LEFT\n", 4, "frame count"},
        {"tab separator", kHeader + "3\tLEFT\n", 4, "frame count"},
        {"no keys", kHeader + "3\n", 4, "no keys"},
        {"no keys after the space", kHeader + "3 \n", 4, "no keys"},
        {"over the limit", kHeader + "2000001 -\n", 4, "more than the 2000000"},
        {"overflowing", kHeader + "1 -\n99999999999999999999999 -\n", 5, "more than the 2000000"},
        {"total over the limit", kHeader + "1999999 -\n# more\n2 LEFT\n", 6, "longer than 2000000"},
        {"total over the limit by one", kHeader + "2000000 -\n1 -\n", 5, "longer than 2000000"},
    });
}

TEST(ReplayRefused, Keys) {
    expect_refused({
        {"unknown", kHeader + "3 JUMP\n", 4, "unknown key 'JUMP'"},
        {"lower case", kHeader + "3 left\n", 4, "unknown key 'left'"},
        {"a key the format does not hold", kHeader + "3 B\n", 4, "unknown key 'B'"},
        {"unknown after a good one", kHeader + "3 LEFT+JUMP\n", 4, "unknown key 'JUMP'"},
        {"prefix of a name", kHeader + "3 LEF\n", 4, "unknown key 'LEF'"},
        {"name with more", kHeader + "3 LEFTS\n", 4, "unknown key 'LEFTS'"},
        {"none with a key", kHeader + "3 -+LEFT\n", 4, "unknown key '-'"},
        {"two dashes", kHeader + "3 --\n", 4, "unknown key '--'"},
        {"trailing plus", kHeader + "3 LEFT+\n", 4, "empty key name"},
        {"leading plus", kHeader + "3 +LEFT\n", 4, "empty key name"},
        {"double plus", kHeader + "3 LEFT++UP\n", 4, "empty key name"},
        {"plus alone", kHeader + "3 +\n", 4, "empty key name"},
        {"repeated", kHeader + "3 LEFT+UP+LEFT\n", 4, "'LEFT' is given twice"},
        {"repeated at once", kHeader + "3 D+D\n", 4, "'D' is given twice"},
        {"two spaces", kHeader + "3  LEFT\n", 4, "more than one space"},
        {"trailing word", kHeader + "3 LEFT UP\n", 4, "after the keys"},
        {"trailing comment", kHeader + "3 LEFT # walk\n", 4, "after the keys"},
        {"trailing space", kHeader + "3 -  \n", 4, "after the keys"},
        {"trailing tab", kHeader + "3 UP\t\n", 4, "after the keys"},
        {"CR inside", kHeader + "3 LEFT\rUP\n", 4, "unknown key"},
        {"24 letters quoted whole", kHeader + "3 ABCDEFGHIJKLMNOPQRSTUVWX\n", 4,
         "unknown key 'ABCDEFGHIJKLMNOPQRSTUVWX'"},
        {"a longer name cut at 24", kHeader + "3 ABCDEFGHIJKLMNOPQRSTUVWXYZ\n", 4,
         "unknown key 'ABCDEFGHIJKLMNOPQRSTUVWX...'"},
    });
}

TEST(ReplayRefused, NulBytes) {
    using namespace std::string_literals;
    expect_refused({
        {"in a key", kHeader + "1 -\n3 LE\0FT\n"s, 5, "NUL"},
        {"in a comment", kHeader + "# a\0b\n"s, 4, "NUL"},
        {"in the magic line", "VESPERTIL REPLAY 1\0\nmap a\n"s, 1, "NUL"},
        {"in the map name", "VESPERTIL REPLAY 1\nmap a\0b\n"s, 2, "NUL"},
        {"alone on a line", kHeader + "\0"s, 4, "NUL"},
    });
}

// Comments, blank lines and CRLF all count as lines.
TEST(ReplayRefused, LineNumbersCountEveryLine) {
    expect_refused({
        {"after comments and blanks", kHeader + "# a\n\n   \n1 -\n#\n2 WALK\n", 9, "WALK"},
        {"CRLF", "VESPERTIL REPLAY 1\r\n\r\nmap a\r\nsha256 " + kHex + "\r\n1 -\r\n1 X\r\n", 6, "'X'"},
        {"bare CR is not a line end", kHeader + "1 -\r2 -\n3 Z\n", 4, "after the keys"},
    });
}

TEST(ReplayParse, NullTextAndLabel) {
    ReplayScript s;
    std::string error;
    EXPECT_FALSE(parse_replay(nullptr, 10, "t.rpl", s, error));
    EXPECT_EQ(error, "t.rpl: empty, not a replay");
    const std::string text = kHeader + "1 X\n";
    EXPECT_FALSE(parse_replay(text.data(), text.size(), nullptr, s, error));
    EXPECT_EQ(error, "replay:4: unknown key 'X'");
}

// The text need not end where its size says: what follows is not read.
TEST(ReplayParse, ReadsOnlyTheGivenSize) {
    const std::string buffer = kHeader + "3 LEFT" + "+UP\n";
    ReplayScript s;
    std::string error;
    ASSERT_TRUE(parse_replay(buffer.data(), kHeader.size() + 6, "t.rpl", s, error)) << error;
    EXPECT_TRUE(s.frames == runs({{3, kLeft}}));
    const std::string cut_count = kHeader + "1 -\n3" + "5 LEFT\n";
    EXPECT_FALSE(parse_replay(cut_count.data(), kHeader.size() + 5, "t.rpl", s, error));
    EXPECT_EQ(error, "t.rpl:5: no keys after the count");
}

TEST(ReplayRefused, MessagesStayShort) {
    const std::string junk(100000, 'K');
    for (const std::string &text :
         {kHeader + "1 " + junk + "\n", kHeader + junk + "\n", "VESPERTIL REPLAY 1\n" + junk + "\n",
          kHeader + "1 LEFT " + junk + "\n"}) {
        ReplayScript s;
        std::string error;
        ASSERT_FALSE(parse(text, s, error));
        EXPECT_LT(error.size(), 200u) << error.substr(0, 200);
    }
}

TEST(ReplayRefused, FailureLeavesTheScriptAlone) {
    ReplayScript s;
    s.map_name = "kept.map";
    s.frames = {kLeft, kUp};
    std::string error;
    ASSERT_FALSE(parse(kHeader + "3 LEFT\n2 NOPE\n", s, error));
    EXPECT_EQ(s.map_name, "kept.map");
    EXPECT_TRUE(s.frames == (std::vector<KeyRecord>{kLeft, kUp}));
}

// Damaged copies of a good replay: each is either a replay or refused with the label
// first, and never more frames than the limit.
TEST(ReplayRefused, DamagedTextsNeverCrash) {
    const std::string good = kHeader + "# c\n3 ENTER\r\n40 RIGHT\n1 RIGHT+UP\n10 -\n";
    std::mt19937 rng(1234);
    const char alphabet[] = {'\0', '\n', '\r', ' ', '+', '-', '#', '0', '9', 'A', 'Z', 'f', '\xFF'};
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string text = good;
        const int edits = 1 + static_cast<int>(rng() % 4);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = rng() % (text.size() + 1);
            const char c = alphabet[rng() % sizeof alphabet];
            switch (rng() % 3) {
            case 0: if (at < text.size()) text[at] = c; break;
            case 1: text.insert(at, 1, c); break;
            default: if (at < text.size()) text.erase(at, 1); break;
            }
        }
        ReplayScript s;
        std::string error;
        if (parse(text, s, error)) {
            ++accepted;
            EXPECT_LE(s.frames.size(), static_cast<std::size_t>(kMaxReplayFrames));
        } else {
            EXPECT_EQ(error.rfind("t.rpl:", 0), 0u) << error;
        }
    }
    // Some damage is harmless (a digit more in a count, a comment changed).
    EXPECT_GT(accepted, 0);
}

// ---- Writing ----

TEST(ReplayFormat, HeaderAndRuns) {
    const std::vector<KeyRecord> frames =
        runs({{3, kLeft}, {2, 0}, {1, kLeft | kUp}, {1, kLeft}, {1, kUp | kLeft}});
    EXPECT_EQ(format_replay("prueba.map", kDigest, frames),
              kHeader + "3 LEFT\n2 -\n1 LEFT+UP\n1 LEFT\n1 LEFT+UP\n");
}

TEST(ReplayFormat, NoFrames) {
    EXPECT_EQ(format_replay("prueba.map", kDigest, {}), kHeader);
}

TEST(ReplayFormat, OneLongRunAndSingleFrames) {
    std::vector<KeyRecord> frames(12345, kEnter);
    frames.push_back(0);
    frames.insert(frames.begin(), kRight);
    EXPECT_EQ(format_replay("prueba.map", kDigest, frames), kHeader + "1 RIGHT\n12345 ENTER\n1 -\n");
}

// A key the format cannot name is dropped, so it neither shows nor splits a run.
TEST(ReplayFormat, UnnamedKeysMergeIntoTheRun) {
    const std::vector<KeyRecord> frames = {kLeft, kLeft | key_bit(Key::B), key_bit(Key::Z), 0,
                                           key_bit(Key::Backspace) | kUp};
    EXPECT_EQ(format_replay("prueba.map", kDigest, frames), kHeader + "2 LEFT\n2 -\n1 UP\n");
}

TEST(ReplayFormat, KeyRecordText) {
    EXPECT_EQ(key_record_text(0), "-");
    EXPECT_EQ(key_record_text(kUp | kLeft), "LEFT+UP");
    EXPECT_EQ(key_record_text(key_bit(Key::B) | key_bit(Key::Count)), "-");
    EXPECT_EQ(key_record_text(~KeyRecord{0}),
              "LEFT+RIGHT+UP+DOWN+O+P+Q+A+LSHIFT+RSHIFT+ESC+ENTER+SPACE+LCONTROL+ALT+D");
    for (const auto &n : kNames) EXPECT_EQ(key_record_text(key_bit(n.second)), n.first);
}

TEST(ReplayFormat, RoundTripGivesTheSameFrames) {
    std::mt19937 rng(99);
    std::vector<KeyRecord> frames;
    // Runs of random lengths; sometimes the same keys twice in a row, which must merge.
    while (frames.size() < 50000) {
        KeyRecord r = 0;
        for (const auto &n : kNames)
            if (rng() % 5 == 0) r |= key_bit(n.second);
        frames.insert(frames.end(), 1 + rng() % (rng() % 4 ? 3 : 300), r);
    }
    uint8_t digest[32];
    for (int i = 0; i < 32; ++i) digest[i] = static_cast<uint8_t>(rng());
    const std::string text = format_replay("cueva.map", digest, frames);
    ReplayScript s;
    std::string error;
    ASSERT_TRUE(parse(text, s, error)) << error;
    EXPECT_EQ(s.map_name, "cueva.map");
    EXPECT_EQ(std::vector<uint8_t>(s.map_sha256, s.map_sha256 + 32), std::vector<uint8_t>(digest, digest + 32));
    EXPECT_TRUE(s.frames == frames);
    // And the text of what was read is the same text.
    EXPECT_EQ(format_replay(s.map_name, s.map_sha256, s.frames), text);
}

// ---- Files ----

TEST(ReplayReadFile, ReadsAFile) {
    TempDir dir;
    const std::string path = dir.file("run.rpl");
    write_file(path, kHeader + "3 ENTER\r\n1 -");
    ReplayScript s;
    std::string error;
    ASSERT_TRUE(read_replay_file(path.c_str(), s, error)) << error;
    EXPECT_EQ(s.map_name, "prueba.map");
    EXPECT_TRUE(s.frames == runs({{3, kEnter}, {1, 0}}));
}

TEST(ReplayReadFile, ErrorsNameThePath) {
    TempDir dir;
    const std::string bad = dir.file("bad.rpl"), missing = dir.file("missing.rpl");
    write_file(bad, kHeader + "1 -\n1 FLY\n");
    ReplayScript s;
    std::string error;
    EXPECT_FALSE(read_replay_file(bad.c_str(), s, error));
    EXPECT_EQ(error, bad + ":5: unknown key 'FLY'");
    EXPECT_FALSE(read_replay_file(missing.c_str(), s, error));
    EXPECT_EQ(error, missing + ": cannot be opened");
    EXPECT_FALSE(read_replay_file(dir.path().c_str(), s, error));
    EXPECT_EQ(error, dir.path() + ": cannot be read");
}

// A file of exactly the size limit is read; one byte more is refused.
TEST(ReplayReadFile, SizeLimit) {
    TempDir dir;
    std::string text = kHeader + "1 -\n#";
    text.append(static_cast<std::size_t>(kMaxReplayFileBytes) - text.size() - 1, 'c');
    text += '\n';
    ASSERT_EQ(text.size(), static_cast<std::size_t>(kMaxReplayFileBytes));
    const std::string path = dir.file("big.rpl");
    write_file(path, text);
    ReplayScript s;
    std::string error;
    EXPECT_TRUE(read_replay_file(path.c_str(), s, error)) << error;
    EXPECT_EQ(s.frames.size(), 1u);
    text += '\n';
    write_file(path, text);
    EXPECT_FALSE(read_replay_file(path.c_str(), s, error));
    EXPECT_NE(error.find(path + ": larger than"), std::string::npos) << error;
}

} // namespace

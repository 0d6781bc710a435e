// Replay files: which texts are replays and one refusal per message (with its line),
// as text in replay_texts.txt; what the writer produces and the file reader's limits.
// What the reader promises of any text (a written replay reads back the same, the
// file reader answers as the parser) is fuzz/promises/replay_promise.cpp, run over
// fuzz/corpus/replay/ by promise_tests.
#include "level/replay_file.h"
#include "support/case_table.h"
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
const std::string kHeader = "VESPERTIL REPLAY 1\nmap prueba.map\nsha256 " + kHex + "\n";

constexpr KeyRecord kLeft = key_bit(Key::Left), kUp = key_bit(Key::Up);

std::vector<KeyRecord> runs(std::initializer_list<std::pair<int, KeyRecord>> list) {
    std::vector<KeyRecord> v;
    for (const auto &run : list) v.insert(v.end(), static_cast<std::size_t>(run.first), run.second);
    return v;
}

// A case's text with its escapes and {sha} turned into the bytes they stand for.
std::string unescape(const std::string &text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 5, "{sha}") == 0) {
            out += kHex;
            i += 4;
        } else if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
        } else if (text[++i] == '$') {
            break;
        } else if (text[i] == 'x') {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i] == 'r' ? '\r' : text[i] == 't' ? '\t' : text[i] == '0' ? '\0' : text[i];
        }
    }
    return out;
}

class ReplayTexts : public testing::TestWithParam<TextCase> {};

// An accepted text reads as the runs the case names, written back by the writer;
// a refused one says what and where.
TEST_P(ReplayTexts, ReadAsTheCaseSays) {
    const TextCase &c = GetParam();
    const std::string text = unescape(c.text);
    ReplayScript s;
    std::string error;
    const bool accepted = parse_replay(text.data(), text.size(), "t.rpl", s, error);
    if (c.message.rfind("accepted:", 0) == 0) {
        ASSERT_TRUE(accepted) << error;
        std::string runs = format_replay(s.map_name, s.map_sha256, s.frames);
        ASSERT_EQ(runs.rfind(kHeader, 0), 0u) << runs;
        runs.erase(0, kHeader.size());
        for (std::size_t at; (at = runs.find('\n')) != std::string::npos;)
            runs.replace(at, 1, at + 1 == runs.size() ? "" : ", ");
        EXPECT_EQ("accepted: " + runs, c.message);
    } else {
        EXPECT_FALSE(accepted);
        EXPECT_TRUE(says(error, "t.rpl", c));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ReplayTexts, testing::ValuesIn(read_cases(__FILE__, "replay_texts.txt")),
                         case_name);

// The text need not end where its size says: what follows is not read.
TEST(ReplayParse, ReadsOnlyTheGivenSize) {
    const std::string buffer = kHeader + "3 LEFT" + "+UP\n";
    ReplayScript s;
    std::string error;
    ASSERT_TRUE(parse_replay(buffer.data(), kHeader.size() + 6, "t.rpl", s, error)) << error;
    EXPECT_TRUE(s.frames == runs({{3, kLeft}}));
}

TEST(ReplayFormat, RunsMergeAndUnnamedKeysAreDropped) {
    const std::vector<KeyRecord> frames = runs({{3, kLeft}, {2, 0}, {1, kLeft | kUp}, {1, kLeft},
                                                {12345, kUp | key_bit(Key::B)}, {1, key_bit(Key::Z)}});
    EXPECT_EQ(format_replay("prueba.map", kDigest, frames),
              kHeader + "3 LEFT\n2 -\n1 LEFT+UP\n1 LEFT\n12345 UP\n1 -\n");
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

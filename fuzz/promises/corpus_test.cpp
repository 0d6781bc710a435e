// Every seed of the readers' fuzz targets through the same promises the targets
// check (promises.h): a fault the fuzzer once found stays found by the plain suite.
#include "promises.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Reader {
    const char *name; // fuzz/corpus/<name>/
    PromiseCheck check;
};
constexpr Reader kReaders[] = {
    {"data_path", data_path_promise}, {"file_limits", file_limits_promise},
    {"pcx", pcx_promise},             {"wav", wav_promise},
    {"settings", settings_promise},   {"jpeg", jpeg_promise},
    {"module", module_promise},       {"map_file", map_file_promise},
    {"replay", replay_promise},
};

struct Seed {
    const Reader *reader;
    std::string file;
};

void PrintTo(const Seed &s, std::ostream *os) { *os << s.file; }

std::vector<Seed> every_seed() {
    std::vector<Seed> seeds;
    for (const Reader &r : kReaders) {
        const std::filesystem::path dir = std::filesystem::path(VESPERTIL_CORPUS_DIR) / r.name;
        std::vector<std::string> files;
        for (const auto &e : std::filesystem::directory_iterator(dir)) files.push_back(e.path().string());
        std::sort(files.begin(), files.end());
        for (const std::string &f : files) seeds.push_back({&r, f});
    }
    return seeds;
}

class CorpusSeed : public ::testing::TestWithParam<Seed> {};

TEST_P(CorpusSeed, KeepsEveryPromise) {
    const std::vector<unsigned char> bytes = testing_support::read_file(GetParam().file);
    testing::internal::CaptureStderr(); // the readers name each bad file there
    const std::string why = GetParam().reader->check(bytes.data(), bytes.size());
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(why, "") << GetParam().file;
}

INSTANTIATE_TEST_SUITE_P(Readers, CorpusSeed, ::testing::ValuesIn(every_seed()),
                         [](const ::testing::TestParamInfo<Seed> &info) {
                             std::string name = std::string(info.param.reader->name) + "_" +
                                                std::filesystem::path(info.param.file).filename().string();
                             for (char &c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

} // namespace

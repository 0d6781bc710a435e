// Every seed of the fuzz targets (fuzz/corpus/<name>/) through the same promise the
// target checks (promise.h): an input the fuzzer once broke a reader with stays in
// the plain suite. A test binary names its readers:
//   INSTANTIATE_TEST_SUITE_P(Maps, CorpusSeed, seeds_of({{"map_source", map_source_promise}}),
//                            seed_name);
#pragma once

#include "support/promise.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

struct CorpusSeed_ {
    const char *reader;
    PromiseCheck check;
    std::string file;
};

inline void PrintTo(const CorpusSeed_ &s, std::ostream *os) { *os << s.file; }

inline ::testing::internal::ParamGenerator<CorpusSeed_>
seeds_of(std::initializer_list<std::pair<const char *, PromiseCheck>> readers) {
    const std::filesystem::path corpus = std::filesystem::path(testing_support::corpus_dir()).lexically_normal();
    std::vector<CorpusSeed_> seeds;
    for (const auto &r : readers) {
        std::vector<std::string> files;
        for (const auto &e : std::filesystem::directory_iterator(corpus / r.first))
            files.push_back(e.path().string());
        std::sort(files.begin(), files.end());
        for (const std::string &f : files) seeds.push_back({r.first, r.second, f});
    }
    return ::testing::ValuesIn(seeds);
}

inline std::string seed_name(const ::testing::TestParamInfo<CorpusSeed_> &info) {
    std::string name = std::string(info.param.reader) + "_" +
                       std::filesystem::path(info.param.file).filename().string();
    for (char &c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

class CorpusSeed : public ::testing::TestWithParam<CorpusSeed_> {};

TEST_P(CorpusSeed, KeepsEveryPromise) {
    const std::vector<unsigned char> bytes = testing_support::read_file(GetParam().file);
    ::testing::internal::CaptureStderr(); // the readers may name a bad file there
    const std::string why = GetParam().check(bytes.data(), bytes.size());
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(why, "") << GetParam().file;
}

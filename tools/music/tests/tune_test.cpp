// The tune compiler: the message for each kind of broken tune (tune_errors.txt); run
// as a program (a refusal, the length --info gives), in tools/common/tests/tool_runs.txt.
// Where the notation's events land (notes, holds, echoes, pans, phrases and groups,
// as the shipped tunes use them) is held by content/tests/generated.hashes.
#include "tune.h"

#include "support/case_table.h"
#include "support/promise.h"
#include "support/corpus_seeds.h"

#include <gtest/gtest.h>

namespace {

INSTANTIATE_TEST_SUITE_P(Tunes, CorpusSeed, seeds_of({{"tune", tune_promise}}), seed_name);

// Lines 1 to 14 of every tune below: the channels and two instruments.
const std::string kHead = text_beside(__FILE__, "tune_head.tune");

class TuneErrors : public testing::TestWithParam<TextCase> {};

TEST_P(TuneErrors, NameTheFileTheLineAndTheFault) {
    XmModule module;
    std::string error;
    ASSERT_FALSE(compile_tune_text("test.tune", kHead + GetParam().text, module, error));
    EXPECT_TRUE(says(error, "test.tune", GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Table, TuneErrors, testing::ValuesIn(read_cases(__FILE__, "tune_errors.txt")), case_name);

}  // namespace

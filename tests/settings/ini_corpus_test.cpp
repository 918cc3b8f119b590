// The INI fuzzer's named bad inputs as ordinary cases: the properties the fuzzer checks
// (fuzz/ini_profile_properties.h), on every seed file and on every cut-short version of it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "ini_profile_properties.h"
#include "support/fuzz_corpus.h"
#include "support/game_files.h"

namespace {

void CheckEngine(const fuzz::ProfileInput& seed, std::size_t shortBuffer) {
    fuzz::CheckProfileEngine(seed, shortBuffer, true,
                             [](bool holds, const char* what) { EXPECT_TRUE(holds) << what; });
}

class IniCorpus : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(IniCorpus, KeepsTheFuzzersProperties) {
    const std::string input = test_support::ReadBytes(GetParam());
    ASSERT_FALSE(input.empty()) << GetParam();
    fuzz::ProfileInput seed = fuzz::SplitProfileInput(input);
    CheckEngine(seed, 0);
    // The file cut short anywhere: still no crash and the same agreements, with each of the
    // short buffers in turn.
    const std::string_view file = seed.file;
    for (std::size_t size = 0; size < file.size(); ++size) {
        SCOPED_TRACE("file cut to " + std::to_string(size) + " bytes");
        seed.file = file.substr(0, size);
        CheckEngine(seed, size % 3);
    }
}

// An empty list would pass unnoticed.
TEST(IniCorpusFiles, AreFound) {
    EXPECT_FALSE(test_support::CorpusFiles("ini_profile_fuzz").empty());
}

INSTANTIATE_TEST_SUITE_P(Seeds, IniCorpus,
                         ::testing::ValuesIn(test_support::CorpusFiles("ini_profile_fuzz")),
                         test_support::CorpusCaseName);

}  // namespace

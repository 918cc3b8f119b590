// The INI fuzzer's named bad inputs as ordinary cases: the properties the fuzzer checks, on
// every seed file and on every cut-short version of it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ini/ini_profile.h"
#include "support/fuzz_corpus.h"
#include "support/game_files.h"

namespace {

// A seed: SECTION RS KEY RS VALUE RS KEY2 RS VALUE2 RS FILE, RS being 0x1E.
struct Seed {
    std::string_view section, key, value, key2, value2, file;
};

Seed Split(std::string_view input) {
    std::string_view fields[6];
    for (int i = 0; i < 5; ++i) {
        const std::size_t rs = input.find('\x1e');
        fields[i] = input.substr(0, rs);
        input = rs == std::string_view::npos ? std::string_view() : input.substr(rs + 1);
    }
    fields[5] = input;
    return {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]};
}

// A name or value that reads back exactly as written: one line, no blanks or quotes around it
// to be trimmed, nothing that makes a key line a comment or a header.
bool SurvivesTheFile(std::string_view text, std::string_view forbidden) {
    if (text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) return false;
    if (text.find_first_of(forbidden) != std::string_view::npos) return false;
    if (text.empty()) return true;
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v'; };
    if (blank(text.front()) || blank(text.back())) return false;
    return !(text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
             text.back() == text.front());
}

void CheckEngine(const Seed& seed, std::string_view file) {
    const std::string original(file);
    // One pass over several keys reads what single reads do.
    const std::string_view keys[] = {seed.key, seed.key2, seed.key};
    const std::vector<std::string> many = settings::ini::GetStrings(original, seed.section, keys);
    ASSERT_EQ(many.size(), 3u);
    EXPECT_EQ(many[0], settings::ini::GetString(original, seed.section, seed.key));
    EXPECT_EQ(many[1], settings::ini::GetString(original, seed.section, seed.key2));
    EXPECT_EQ(many[2], many[0]);

    // A batch of edits gives the bytes of one write per key.
    std::string single = original;
    settings::ini::SetString(single, seed.section, seed.key, seed.value);
    settings::ini::SetString(single, seed.section, seed.key2, seed.value2);
    std::string batch = original;
    const settings::ini::KeyValue edits[] = {{seed.key, seed.value}, {seed.key2, seed.value2}};
    settings::ini::SetStrings(batch, seed.section, edits);
    EXPECT_EQ(batch, single);

    // A value that survives the file reads back as written, and writing back what was read
    // keeps the bytes.
    if (SurvivesTheFile(seed.section, "]") && SurvivesTheFile(seed.key, "=") &&
        !seed.key.starts_with(';') && !seed.key.starts_with('[') &&
        SurvivesTheFile(seed.value, "")) {
        std::string once = original;
        settings::ini::SetString(once, seed.section, seed.key, seed.value);
        const std::string read =
            settings::ini::GetString(once, seed.section, seed.key, once.size() + 2);
        EXPECT_EQ(read, seed.value);
        std::string again = once;
        settings::ini::SetString(again, seed.section, seed.key, read);
        EXPECT_EQ(again, once);
    }
}

class IniCorpus : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(IniCorpus, BatchEqualsSingleWritesAndValuesRoundTrip) {
    const std::string input = test_support::ReadBytes(GetParam());
    ASSERT_FALSE(input.empty()) << GetParam();
    const Seed seed = Split(input);
    CheckEngine(seed, seed.file);
    // The file cut short anywhere: still no crash and the same agreements.
    for (std::size_t size = 0; size < seed.file.size(); ++size) {
        SCOPED_TRACE("file cut to " + std::to_string(size) + " bytes");
        CheckEngine(seed, seed.file.substr(0, size));
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

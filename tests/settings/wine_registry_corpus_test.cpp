// The registry fuzzer's named bad inputs as ordinary cases: a prefix's registry file may hold
// anything, and what is read from it must not depend on which reader reads it (the fuzzer's
// properties, fuzz/wine_registry_properties.h).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "settings/locate/game_folder.h"
#include "settings/prefixes/prefix_search.h"
#include "settings/wine/registry_file.h"
#include "support/fuzz_corpus.h"
#include "support/game_files.h"
#include "wine_registry_properties.h"

namespace {

using namespace settings::wine;
using settings::locate::kGameRegistryKey;
using settings::locate::kGameRegistryValue;
using settings::prefixes::MachineKeyViews;
using settings::prefixes::ReadMachineString;

void CheckReaders(std::string_view bytes) {
    fuzz::CheckRegistryReaders(bytes, true,
                               [](bool holds, const char* what) { EXPECT_TRUE(holds) << what; });
    // The lookup takes the first view that holds the value.
    const std::optional<RegistryFile> file = RegistryFile::Parse(bytes);
    std::optional<std::string> firstFound;
    for (const std::string& view :
         MachineKeyViews(kGameRegistryKey, file ? file->GetArch() : Arch::Unknown)) {
        if (file && !firstFound) firstFound = file->FindString(view, kGameRegistryValue);
    }
    EXPECT_EQ(ReadMachineString(bytes, kGameRegistryKey, kGameRegistryValue), firstFound);
}

// What the named files hold; a seed file added later is checked only by CheckReaders.
const std::map<std::string, std::optional<std::string>, std::less<>> kGamePaths = {
    {"duplicates_garbage", "one"},
    {"escapes_crlf", std::nullopt},
    {"hex_continuation", "%ProgramFiles%\\SFC"},
    {"truncated", std::nullopt},
    {"win32", "C:\\Games\\SFC2\\"},
    {"win64_wow", "C:\\Program Files (x86)\\Taldren\\Starfleet Command II"},
};

class RegistryCorpus : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(RegistryCorpus, ReadersAgreeOnEveryCut) {
    const std::string bytes = test_support::ReadBytes(GetParam());
    ASSERT_FALSE(bytes.empty()) << GetParam();
    const auto known = kGamePaths.find(GetParam().stem().string());
    if (known != kGamePaths.end()) {
        EXPECT_EQ(ReadMachineString(bytes, kGameRegistryKey, kGameRegistryValue), known->second);
    }
    CheckReaders(bytes);
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        SCOPED_TRACE("cut to " + std::to_string(size) + " bytes");
        CheckReaders(std::string_view(bytes).substr(0, size));
    }
}

// An empty list would pass unnoticed.
TEST(RegistryCorpusFiles, AreFound) {
    EXPECT_FALSE(test_support::CorpusFiles("wine_registry_fuzz").empty());
}

INSTANTIATE_TEST_SUITE_P(Seeds, RegistryCorpus,
                         ::testing::ValuesIn(test_support::CorpusFiles("wine_registry_fuzz")),
                         test_support::CorpusCaseName);

}  // namespace

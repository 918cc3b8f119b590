// The registry fuzzer's named bad inputs as ordinary cases: a prefix's registry file may hold
// anything, and what is read from it must not depend on which reader reads it.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "settings/locate/game_folder.h"
#include "settings/prefixes/prefix_search.h"
#include "settings/wine/registry_file.h"
#include "settings/wine/windows_path.h"
#include "support/fuzz_corpus.h"
#include "support/game_files.h"

namespace {

using namespace settings::wine;
using settings::locate::kGameRegistryKey;
using settings::locate::kGameRegistryValue;
using settings::prefixes::MachineKeyViews;
using settings::prefixes::ReadMachineString;

void CheckReaders(std::string_view bytes) {
    const std::optional<RegistryFile> file = RegistryFile::Parse(bytes);
    EXPECT_EQ(ReadRegistryArch(bytes), file ? file->GetArch() : Arch::Unknown);

    // The one-value reader, the reader that keeps one key and the whole file agree.
    const std::vector<std::string> views =
        MachineKeyViews(kGameRegistryKey, file ? file->GetArch() : Arch::Unknown);
    std::optional<std::string> firstFound;
    for (const std::string& view : views) {
        const std::optional<std::string> whole =
            file ? file->FindString(view, kGameRegistryValue) : std::nullopt;
        EXPECT_EQ(ReadRegistryString(bytes, view, kGameRegistryValue), whole) << view;
        const std::string_view only[] = {view};
        const std::optional<RegistryFile> kept = RegistryFile::Parse(bytes, only);
        EXPECT_EQ(kept ? kept->FindString(view, kGameRegistryValue) : std::nullopt, whole) << view;
        if (!firstFound) firstFound = whole;
    }
    // The lookup takes the first view that holds the value.
    const std::optional<std::string> machine =
        ReadMachineString(bytes, kGameRegistryKey, kGameRegistryValue);
    EXPECT_EQ(machine, firstFound);
    if (machine) static_cast<void>(ParseWindowsPath(*machine));
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

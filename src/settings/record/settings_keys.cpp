#include "settings/record/settings_keys.h"

#include "settings/locate/folder_paths.h"

namespace settings {
namespace {

using enum SettingKey;
using enum Conversion;

constexpr SettingsFile kS = SettingsFile::kScripts;

// Four odds defaults from `first` on, packed little-endian as the key holds them.
constexpr double PackedOdds(std::size_t first) {
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        word |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(kDefaultHullOdds[first + i]))
                << (8 * i);
    }
    return static_cast<std::int32_t>(word);
}

constexpr std::array<KeySpec, kSettingKeyCount> kKeys = {{
    {kMultiplier, kS, kScriptsSection, "multiplier", 1, 1, 1.1, kFloat},
    {kType, kS, kScriptsSection, "type", 2, 2, 0, kWrappingInt},
    {kRRace, kS, kScriptsSection, "rrace", 3, 3, -1, kWrappingInt},
    {kSRace, kS, kScriptsSection, "srace", 4, 4, -1, kWrappingInt},
    {kRace, kS, kScriptsSection, "race", 0, 5, 0, kNotRead},
    {kHull, kS, kScriptsSection, "hull", 5, 6, -1, kWrappingInt},
    {kHullPercentA, kS, kScriptsSection, "hullpercentA", 7, 7, PackedOdds(0), kWrappingInt},
    {kHullPercentB, kS, kScriptsSection, "hullpercentB", 8, 8, PackedOdds(4), kWrappingInt},
    {kHullPercentC, kS, kScriptsSection, "hullpercentC", 9, 9, PackedOdds(8), kWrappingInt},
    {kEra, kS, kScriptsSection, "era", 6, 10, 2, kWrappingInt},
    {kUIType, SettingsFile::kSfc, kSfcSection, "UIType", 10, 11, 0, kTruncatedDouble},
    {kModSupport, kS, kScriptsSection, "ModSupport", 11, 12, -9, kTruncatedDouble},
}};

constexpr bool OrdersAreConsistent() {
    std::array<int, kReadKeyCount + 1> reads{};
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        if (kKeys[i].writeOrder != static_cast<int>(i) + 1) return false;
        if (kKeys[i].readOrder < 0 || kKeys[i].readOrder > static_cast<int>(kReadKeyCount)) {
            return false;
        }
        ++reads[static_cast<std::size_t>(kKeys[i].readOrder)];
        if (static_cast<int>(kKeys[i].id) != static_cast<int>(i)) return false;
    }
    for (std::size_t order = 1; order < reads.size(); ++order) {
        if (reads[order] != 1) return false;
    }
    return reads[0] == 1;  // "race" alone is never read
}
static_assert(OrdersAreConsistent(), "each key has one write slot and at most one read slot");

constexpr std::array<const KeySpec*, kReadKeyCount> MakeReadOrder() {
    std::array<const KeySpec*, kReadKeyCount> order{};
    for (const KeySpec& key : kKeys) {
        if (key.readOrder > 0) order[static_cast<std::size_t>(key.readOrder - 1)] = &key;
    }
    return order;
}

constexpr std::array<const KeySpec*, kReadKeyCount> kReadOrder = MakeReadOrder();

}  // namespace

const std::array<KeySpec, kSettingKeyCount>& KeysInWriteOrder() {
    return kKeys;
}

const std::array<const KeySpec*, kReadKeyCount>& KeysInReadOrder() {
    return kReadOrder;
}

int FirstOddsElement(SettingKey id) {
    switch (id) {
        case kHullPercentA:
            return 0;
        case kHullPercentB:
            return 4;
        case kHullPercentC:
            return 8;
        default:
            return -1;
    }
}

std::string_view FileName(SettingsFile file) {
    return file == SettingsFile::kSfc ? kSfcFileName : kScriptsFileName;
}

std::string AsGameFolder(std::string found) {
    if (found.empty() || found.back() != locate::kPathSeparator) {
        found.push_back(locate::kPathSeparator);
    }
    return found;
}

std::string ScriptsFolderIn(std::string_view gameFolder) {
    const std::string assets = locate::AppendPathComponent(gameFolder, "Assets", true);
    return locate::AppendPathComponent(assets, "Scripts", true);
}

std::string PathInGameFolder(std::string_view gameFolder, SettingsFile file) {
    return FileInFolder(
        file == SettingsFile::kScripts ? ScriptsFolderIn(gameFolder) : std::string(gameFolder),
        file);
}

std::string FileInFolder(std::string_view folder, SettingsFile file) {
    return locate::AppendPathComponent(folder, FileName(file), false);
}

bool HoldsGameFiles(std::string_view folder) {
    return locate::IdentifyOnDisk(PathInGameFolder(folder, SettingsFile::kSfc), false)
               .has_value() ||
           locate::IdentifyOnDisk(ScriptsFolderIn(folder), true).has_value();
}

}  // namespace settings

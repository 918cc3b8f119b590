#pragma once
// The twelve keys of the settings record: where each lives, when Load reads it and Save writes
// it, what Load applies when it yields no text, and how its text becomes a number. Load, Save and
// their tests all walk this one table.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The record's odds elements, named as the record's own fields are.
inline constexpr int kOddsCount = 12;  // ten hulls, the monster, one spare
inline constexpr int kMonsterOddsElement = 10;
inline constexpr int kSpareOddsElement = 11;
// The odds Load gives a file without them, and a reset of the dialog puts back, by element.
inline constexpr std::array<std::int8_t, kOddsCount> kDefaultHullOdds = {80, 70, 50, 65, 60, 45,
                                                                         55, 20, 30, 10, 10, 0};

namespace settings {

enum class SettingsFile { kScripts, kSfc };
inline constexpr std::size_t kSettingsFileCount = 2;

inline constexpr std::string_view kScriptsFileName = "scripts.ini";
inline constexpr std::string_view kSfcFileName = "sfc.ini";
inline constexpr std::string_view kScriptsSection = "Mul_Tavrel";
inline constexpr std::string_view kSfcSection = "UI";

enum class SettingKey {
    kMultiplier,
    kType,
    kRRace,
    kSRace,
    kRace,
    kHull,
    kHullPercentA,
    kHullPercentB,
    kHullPercentC,
    kEra,
    kUIType,
    kModSupport,
};

enum class Conversion {
    kFloat,            // decimal text -> double -> float
    kWrappingInt,      // atoi-style digits modulo 2^32
    kTruncatedDouble,  // decimal text -> double -> truncated, low 32 bits
    kNotRead,          // written only
};

struct KeySpec {
    SettingKey id;
    SettingsFile file;
    std::string_view section;
    std::string_view name;
    int readOrder;        // 1-based position among Load's reads; 0: never read
    int writeOrder;       // 1-based position among Save's writes
    double defaultValue;  // exact for every int32 default; 1.1 becomes the float 1.1f
    Conversion conversion;
};

inline constexpr std::size_t kSettingKeyCount = 12;
inline constexpr std::size_t kReadKeyCount = 11;

// The table in write order.
const std::array<KeySpec, kSettingKeyCount>& KeysInWriteOrder();
// The keys that Load reads, in its order.
const std::array<const KeySpec*, kReadKeyCount>& KeysInReadOrder();

// The first odds element that a packed odds key holds (four elements each).
int FirstOddsElement(SettingKey id);

std::string_view FileName(SettingsFile file);

// A folder as the lookup found it, ending in the separator.
std::string AsGameFolder(std::string found);
// Where the file lies in a game folder (one ending in the separator): sfc.ini in it, scripts.ini
// in its Assets\Scripts folder, each name spelled as on disk where it is there.
std::string ScriptsFolderIn(std::string_view gameFolder);
std::string PathInGameFolder(std::string_view gameFolder, SettingsFile file);
// The file in the folder that holds it (the game folder or the scripts folder).
std::string FileInFolder(std::string_view folder, SettingsFile file);
// A folder holds the game's files when it has sfc.ini or the scripts folder.
bool HoldsGameFiles(std::string_view folder);

}  // namespace settings

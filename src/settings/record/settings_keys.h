#pragma once
// The twelve keys of the settings record: where each lives, when Load reads it and Save writes
// it, what Load applies when it yields no text, and how its text becomes a number. Load, Save and
// their tests all walk this one table.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace settings {

enum class SettingsFile { kScripts, kSfc };
inline constexpr std::size_t kSettingsFileCount = 2;

inline constexpr std::string_view kScriptsFileName = "scripts.ini";
inline constexpr std::string_view kSfcFileName = "sfc.ini";
inline constexpr std::string_view kScriptsSection = "Mul_Tavrel";
inline constexpr std::string_view kSfcSection = "UI";

// What GetPrivateProfileStringA is given for each read: at most 63 characters arrive.
inline constexpr std::size_t kValueBufferSize = 64;

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

}  // namespace settings

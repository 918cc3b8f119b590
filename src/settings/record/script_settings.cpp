#include "settings/record/script_settings.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "base/numeric_text.h"
#include "settings/ini/ini_profile.h"
#include "settings/record/services.h"
#include "settings/record/settings_keys.h"
#include "settings/store/file_store.h"
#include "settings/store/profile_files.h"

// Text to number, for every text a file may hold (a fetch of 0 characters gives the default):
//   multiplier     double, rounded to float: "nan" -> NaN, "inf" and "1e999" -> +inf,
//                  "-1e30" -> -inf (beyond float), "1e-999" -> 0, garbage -> 0. Nothing here
//                  turns on the value; the dialog brings it into its own range.
//   integer keys   digits modulo 2^32 after an optional sign: "nan", "inf" and garbage -> 0,
//                  "1e999" -> 1, "-1e30" -> -1, "16.9" -> 16, "4294967295" -> -1.
//   UIType,        double truncated toward zero, low 32 bits of that integer: "nan", "inf",
//   ModSupport     "1e999" and garbage -> 0, "-1e30" -> 0 (a multiple of 2^32),
//                  "16.9" -> 16, "-9.5" -> -9, "4294967295" -> -1.
//   type           as the integer keys, then brought to 0 or 1 (SetRaceMode).

CScriptSettings theSettings;

namespace {

using settings::KeySpec;
using settings::SettingKey;
using settings::SettingsFile;

constexpr std::array<SettingsFile, settings::kSettingsFileCount> kFiles = {SettingsFile::kScripts,
                                                                           SettingsFile::kSfc};

std::size_t FileIndex(SettingsFile file) {
    return static_cast<std::size_t>(file);
}

// A fresh lookup of the file's folder, scripts.ini's through GetScriptsPath and sfc.ini's
// through GetGamePath, then the file's name.
bool BuildFilePath(const CScriptSettings& record, SettingsFile file, std::string& path) {
    std::string folder;
    const bool found =
        file == SettingsFile::kScripts ? record.GetScriptsPath(folder) : record.GetGamePath(folder);
    if (!found) return false;
    path = settings::FileInFolder(folder, file);
    return true;
}

bool ValidBit(int bit) {
    return bit >= 0 && bit < 32;
}
bool ValidElement(int element) {
    return element >= 0 && element < kOddsCount;
}

std::int32_t WithBit(std::int32_t set, int bit) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(set) | (1u << bit));
}

bool BitOf(std::int32_t set, int bit) {
    return ((static_cast<std::uint32_t>(set) >> bit) & 1u) != 0;
}

std::int32_t WithBitAs(std::int32_t set, int bit, int flag) {
    const std::uint32_t mask = 1u << bit;
    const std::uint32_t bits = static_cast<std::uint32_t>(set);
    return static_cast<std::int32_t>((flag & 0xFF) != 0 ? bits | mask : bits & ~mask);
}

std::int32_t NormalizedRaceMode(int mode) {
    return (mode & 0xFF) != 0 ? 1 : 0;
}

using KeyTexts = std::array<std::string, settings::kSettingKeyCount>;  // by write-order index

std::size_t TableIndex(const KeySpec& key) {
    return static_cast<std::size_t>(&key - settings::KeysInWriteOrder().data());
}

// The texts of every key that Load reads from `file`, fetched with one pass per section.
void FetchTexts(std::string_view bytes, SettingsFile file, KeyTexts& texts) {
    std::vector<std::string_view> sections;
    for (const KeySpec* key : settings::KeysInReadOrder()) {
        if (key->file == file &&
            std::find(sections.begin(), sections.end(), key->section) == sections.end()) {
            sections.push_back(key->section);
        }
    }
    for (std::string_view section : sections) {
        std::vector<std::string_view> names;
        std::vector<std::size_t> slots;
        for (const KeySpec* key : settings::KeysInReadOrder()) {
            if (key->file == file && key->section == section) {
                names.push_back(key->name);
                slots.push_back(TableIndex(*key));
            }
        }
        std::vector<std::string> values =
            settings::ini::GetStrings(bytes, section, names, settings::ini::kValueBufferSize);
        for (std::size_t i = 0; i < slots.size() && i < values.size(); ++i) {
            texts[slots[i]] = std::move(values[i]);
        }
    }
}

}  // namespace

CScriptSettings::CScriptSettings()
    : m_multiplier(0.0f),
      m_raceMode(0),
      m_hulls(0),
      m_uiType(0),
      m_races{},
      m_hullOdds{},
      m_era(0),
      m_modSupport(0) {}

// Each file is looked up and read when the first of its keys is due, so a failed lookup of
// sfc.ini leaves the scripts.ini keys read before it loaded and UIType/ModSupport as they were.
// A file that cannot be read (absent, a directory, no permission) gives every key its default,
// as the private-profile reader does. Each file is read from the copy the game reads
// (profile_files.h).
bool CScriptSettings::Load() {
    KeyTexts texts;
    std::array<bool, settings::kSettingsFileCount> fetched{};

    for (const KeySpec* key : settings::KeysInReadOrder()) {
        const std::size_t file = FileIndex(key->file);
        if (!fetched[file]) {
            std::string path;
            if (!BuildFilePath(*this, key->file, path)) return false;
            FetchTexts(settings::store::ReadProfile(settings::InstalledFiles(), path), key->file,
                       texts);
            fetched[file] = true;
        }
        ApplyText(*key, texts[TableIndex(*key)]);
    }
    return true;
}

// Both files are read and every edit is made in memory; then both new versions are written and
// flushed beside their files, and only when both are ready are scripts.ini and then sfc.ini
// replaced. A failure before the first replacement changes neither file; when sfc.ini fails after
// scripts.ini was replaced, scripts.ini is put back from the bytes read. Both files stay held
// against other instances until this returns, so that putting one back never overwrites another
// instance's save. Which copies of a file are written follows profile_files.h. On every failure
// the platform's last error code is set for the caller's message.
bool CScriptSettings::Save() {
    // A request to end the program waits for the save to finish or undo.
    const settings::store::SaveInProgress saving;
    std::array<std::string, settings::kSettingsFileCount> paths;
    for (SettingsFile file : kFiles) {
        if (!BuildFilePath(*this, file, paths[FileIndex(file)])) return false;
    }

    settings::store::ProfileFiles& files = settings::InstalledFiles();
    std::array<settings::store::ProfileSave, settings::kSettingsFileCount> saves = {
        settings::store::ProfileSave(files), settings::store::ProfileSave(files)};
    for (SettingsFile file : kFiles) {
        int error = 0;
        if (!saves[FileIndex(file)].Prepare(paths[FileIndex(file)], error)) {
            settings::store::SetLastErrorCode(error);
            return false;
        }
    }

    const auto& table = settings::KeysInWriteOrder();
    KeyTexts texts;
    for (std::size_t i = 0; i < table.size(); ++i) {
        // The spare odds byte is always written as 0, and the record keeps that.
        if (table[i].id == SettingKey::kHullPercentA) m_hullOdds[kSpareOddsElement] = 0;
        texts[i] = KeyText(table[i]);
    }

    for (SettingsFile file : kFiles) {
        // Consecutive keys of one section go in as one edit list: the same bytes as writing them
        // one by one in the table's order.
        const auto applyKeys = [&](std::string& content) {
            std::vector<settings::ini::KeyValue> run;
            std::string_view runSection;
            for (std::size_t i = 0; i < table.size(); ++i) {
                if (table[i].file != file) continue;
                if (!run.empty() && table[i].section != runSection) {
                    settings::ini::SetStrings(content, runSection, run);
                    run.clear();
                }
                runSection = table[i].section;
                run.push_back({table[i].name, texts[i]});
            }
            if (!run.empty()) settings::ini::SetStrings(content, runSection, run);
        };
        int error = 0;
        if (!saves[FileIndex(file)].Stage(applyKeys, error)) {
            settings::store::SetLastErrorCode(error);
            return false;
        }
    }

    for (SettingsFile file : kFiles) {
        int error = 0;
        if (!saves[FileIndex(file)].Commit(error)) {
            for (SettingsFile done : kFiles) {
                if (done == file) break;
                saves[FileIndex(done)].Undo();
            }
            settings::store::SetLastErrorCode(error);
            return false;
        }
    }
    return true;
}

void CScriptSettings::ApplyText(const KeySpec& key, std::string_view text) {
    const bool useDefault = text.empty();
    std::int32_t value = 0;
    switch (key.conversion) {
        case settings::Conversion::kFloat:
            m_multiplier =
                base::NarrowToFloat(useDefault ? key.defaultValue : base::ParseDouble(text));
            return;
        case settings::Conversion::kWrappingInt:
            value = useDefault ? base::TruncateToInt32Bits(key.defaultValue)
                               : base::ParseIntWrapping(text);
            break;
        case settings::Conversion::kTruncatedDouble:
            value =
                base::TruncateToInt32Bits(useDefault ? key.defaultValue : base::ParseDouble(text));
            break;
        case settings::Conversion::kNotRead:
            return;
    }

    switch (key.id) {
        case SettingKey::kType:
            SetRaceMode(value);
            break;
        case SettingKey::kRRace:
            m_races[0] = value;
            break;
        case SettingKey::kSRace:
            m_races[1] = value;
            break;
        case SettingKey::kHull:
            m_hulls = value;
            break;
        case SettingKey::kHullPercentA:
        case SettingKey::kHullPercentB:
        case SettingKey::kHullPercentC: {
            // Little-endian: the first element is the lowest byte.
            const auto word = static_cast<std::uint32_t>(value);
            const int first = settings::FirstOddsElement(key.id);
            for (int i = 0; i < 4; ++i) {
                m_hullOdds[first + i] = static_cast<std::int8_t>(word >> (8 * i));
            }
            break;
        }
        case SettingKey::kEra:
            m_era = value;
            break;
        case SettingKey::kUIType:
            m_uiType = value;
            break;
        case SettingKey::kModSupport:
            m_modSupport = value;
            break;
        case SettingKey::kMultiplier:
        case SettingKey::kRace:
            break;
    }
}

std::string CScriptSettings::KeyText(const KeySpec& key) const {
    switch (key.id) {
        case SettingKey::kMultiplier:
            return base::FormatFixed2(static_cast<double>(m_multiplier));
        case SettingKey::kType:
            return base::FormatInt(m_raceMode);
        case SettingKey::kRRace:
            return base::FormatInt(m_races[0]);
        case SettingKey::kSRace:
            return base::FormatInt(m_races[1]);
        case SettingKey::kRace:
            return m_raceMode != 0 ? base::FormatInt(m_races[1]) : "0";
        case SettingKey::kHull:
            return base::FormatInt(m_hulls);
        case SettingKey::kHullPercentA:
        case SettingKey::kHullPercentB:
        case SettingKey::kHullPercentC: {
            const int first = settings::FirstOddsElement(key.id);
            std::uint32_t word = 0;
            for (int i = 0; i < 4; ++i) {
                word |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(m_hullOdds[first + i]))
                        << (8 * i);
            }
            return base::FormatInt(static_cast<std::int32_t>(word));
        }
        case SettingKey::kEra:
            return base::FormatInt(m_era);
        case SettingKey::kUIType:
            return base::FormatInt(m_uiType);
        case SettingKey::kModSupport:
            return base::FormatInt(m_modSupport);
    }
    return {};
}

bool CScriptSettings::GetGamePath(std::string& path) const {
    std::optional<std::string> folder = settings::InstalledLocator().Find(nullptr);
    if (!folder) return false;
    path = settings::AsGameFolder(std::move(*folder));
    return true;
}

bool CScriptSettings::GetScriptsPath(std::string& path) const {
    std::string folder;
    if (!GetGamePath(folder)) return false;
    path = settings::ScriptsFolderIn(folder);
    return true;
}

bool CScriptSettings::GetRaceMode() const {
    return (m_raceMode & 0xFF) != 0;
}

void CScriptSettings::SetRaceMode(int mode) {
    m_raceMode = NormalizedRaceMode(mode);
}

int CScriptSettings::GetRaces() const {
    return m_races[RaceSetIndex()];
}

void CScriptSettings::ClearRaces() {
    m_races[RaceSetIndex()] = 0;
}

bool CScriptSettings::HasRace(int bit) const {
    return ValidBit(bit) && BitOf(m_races[RaceSetIndex()], bit);
}

void CScriptSettings::AddRace(int bit) {
    if (ValidBit(bit)) m_races[RaceSetIndex()] = WithBit(m_races[RaceSetIndex()], bit);
}

bool CScriptSettings::HasHull(int bit) const {
    return ValidBit(bit) && BitOf(m_hulls, bit);
}

void CScriptSettings::AddHull(int bit) {
    if (ValidBit(bit)) m_hulls = WithBit(m_hulls, bit);
}

std::int8_t CScriptSettings::GetHullOdds(int element) const {
    return ValidElement(element) ? m_hullOdds[element] : std::int8_t{0};
}

void CScriptSettings::SetHullOdds(int element, int value) {
    if (ValidElement(element)) m_hullOdds[element] = static_cast<std::int8_t>(value & 0xFF);
}

bool CScriptSettings::GetForceEra() const {
    return BitOf(m_modSupport, 4);
}

void CScriptSettings::SetForceEra(int flag) {
    m_modSupport = WithBitAs(m_modSupport, 4, flag);
}

bool CScriptSettings::GetModSupportBit3() const {
    return BitOf(m_modSupport, 3);
}

void CScriptSettings::SetModSupportBit3(int flag) {
    m_modSupport = WithBitAs(m_modSupport, 3, flag);
}

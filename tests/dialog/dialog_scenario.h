#pragma once
// Scenario tests of the main dialog: a throw-away game folder reached through the settings
// record's locator, the headless platform playing the user, and the two files written with
// known bytes before and compared byte by byte after.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "base/numeric_text.h"
#include "dialog/customizer_dlg.h"
#include "model/headless_platform.h"
#include "rcscript/resource_set.h"
#include "resource.h"
#include "settings/file_store.h"
#include "settings/game_folder.h"
#include "settings/script_settings.h"

namespace dialog_test {

using fw::model::DialogModel;

// What a failing game-folder lookup reports as the platform's last error.
inline constexpr int kLookupError = 3;

struct LocatorState {
    std::string folder;
    bool fail = false;
};

class TestLocator final : public settings::GameFolderLocator {
public:
    explicit TestLocator(std::shared_ptr<LocatorState> state) : m_state(std::move(state)) {}
    std::optional<std::string> Find() override {
        if (m_state->fail) {
            settings::SetLastErrorCode(kLookupError);
            return std::nullopt;
        }
        return m_state->folder;
    }

private:
    std::shared_ptr<LocatorState> m_state;
};

// Four odds bytes as the file holds them: one little-endian word in decimal.
inline std::string PackOdds(int e0, int e1, int e2, int e3) {
    const std::uint32_t word = (static_cast<std::uint32_t>(e0) & 0xFFu) |
                               ((static_cast<std::uint32_t>(e1) & 0xFFu) << 8) |
                               ((static_cast<std::uint32_t>(e2) & 0xFFu) << 16) |
                               ((static_cast<std::uint32_t>(e3) & 0xFFu) << 24);
    return base::FormatInt(static_cast<std::int32_t>(word));
}

// The section's keys as text; an empty optional leaves the key out of the file.
struct ScriptKeys {
    std::optional<std::string> multiplier = "1.25";
    std::optional<std::string> type = "0";
    std::optional<std::string> rrace = "3";    // Federation, Klingon
    std::optional<std::string> srace = "544";  // Gorn, monster
    std::optional<std::string> race = "0";
    std::optional<std::string> hull = "5144";  // Frigate, Destroyer, Carrier, Battleship
    std::optional<std::string> hullpercentA = PackOdds(11, 22, 33, 44);
    std::optional<std::string> hullpercentB = PackOdds(55, 66, 77, 88);
    std::optional<std::string> hullpercentC = PackOdds(99, 100, 25, 0);
    std::optional<std::string> era = "1";
    std::optional<std::string> modSupport = "280";  // bits 3, 4 and 8
};

// scripts.ini with sections around ours that nothing may touch.
inline std::string ScriptsIniBytes(const ScriptKeys& keys) {
    std::string bytes = "; scenario file\r\n[Before]\r\nkeep=this\r\n\r\n[Mul_Tavrel]\r\n";
    const std::pair<const char*, const std::optional<std::string>*> lines[] = {
        {"multiplier", &keys.multiplier},
        {"type", &keys.type},
        {"rrace", &keys.rrace},
        {"srace", &keys.srace},
        {"race", &keys.race},
        {"hull", &keys.hull},
        {"hullpercentA", &keys.hullpercentA},
        {"hullpercentB", &keys.hullpercentB},
        {"hullpercentC", &keys.hullpercentC},
        {"era", &keys.era},
        {"ModSupport", &keys.modSupport},
    };
    for (const auto& [name, value] : lines) {
        if (value->has_value()) bytes += std::string(name) + "=" + **value + "\r\n";
    }
    bytes += "\r\n[After]\r\nx=1\r\n";
    return bytes;
}

inline std::string SfcIniBytes(std::string_view uiType) {
    return "[Options]\r\nfoo=bar\r\n[UI]\r\nUIType=" + std::string(uiType) + "\r\nOther=5\r\n";
}

// The dialog's boxes, numbered independently of the dialog's own tables.
struct RaceBox {
    int id;
    int bit;
};
inline constexpr RaceBox kRaceBoxes[] = {
    {IDC_RACE_FEDERATION, 0}, {IDC_RACE_KLINGON, 1}, {IDC_RACE_ROMULAN, 2}, {IDC_RACE_LYRAN, 3},
    {IDC_RACE_HYDRAN, 4},     {IDC_RACE_GORN, 5},    {IDC_RACE_ISC, 6},     {IDC_RACE_MIRAK, 7},
    {IDC_RACE_PIRATES, 8},    {IDC_MONSTER_USE, 9},
};
struct HullBox {
    int useId;
    int oddsId;
    int bit;
};
inline constexpr HullBox kHullBoxes[] = {
    {IDC_USE_FRIGATE, IDC_ODDS_FRIGATE, 3},
    {IDC_USE_DESTROYER, IDC_ODDS_DESTROYER, 4},
    {IDC_USE_WAR_DESTROYER, IDC_ODDS_WAR_DESTROYER, 5},
    {IDC_USE_LIGHT_CRUISER, IDC_ODDS_LIGHT_CRUISER, 6},
    {IDC_USE_HEAVY_CRUISER, IDC_ODDS_HEAVY_CRUISER, 7},
    {IDC_USE_NEW_HEAVY_CRUISER, IDC_ODDS_NEW_HEAVY_CRUISER, 8},
    {IDC_USE_HEAVY_BATTLECRUISER, IDC_ODDS_HEAVY_BATTLECRUISER, 9},
    {IDC_USE_CARRIER, IDC_ODDS_CARRIER, 10},
    {IDC_USE_DREADNOUGHT, IDC_ODDS_DREADNOUGHT, 11},
    {IDC_USE_BATTLESHIP, IDC_ODDS_BATTLESHIP, 12},
};

// The race set the ten race boxes show.
inline int RaceBits(const DialogModel& dlg) {
    int bits = 0;
    for (const RaceBox& box : kRaceBoxes) {
        if (dlg.Check(box.id) != 0) bits |= 1 << box.bit;
    }
    return bits;
}

// The hull set the ten Use? boxes show.
inline int HullBits(const DialogModel& dlg) {
    int bits = 0;
    for (const HullBox& box : kHullBoxes) {
        if (dlg.Check(box.useId) != 0) bits |= 1 << box.bit;
    }
    return bits;
}

// The odds fields' texts, Frigate to Battleship, then the monster's.
inline std::vector<std::string> OddsTexts(const DialogModel& dlg) {
    std::vector<std::string> texts;
    for (const HullBox& box : kHullBoxes) texts.push_back(dlg.Text(box.oddsId));
    texts.push_back(dlg.Text(IDC_MONSTER_ODDS));
    return texts;
}

// Picks "Single" or "Mixed" in the race-mode list the way the user does.
inline void SelectRaceMode(DialogModel& dlg, std::string_view mode) {
    const std::vector<std::string> items = dlg.ComboItems(IDC_RACE_MODE);
    const auto found = std::find(items.begin(), items.end(), mode);
    ASSERT_NE(found, items.end()) << mode;
    ASSERT_TRUE(dlg.SelectComboItem(IDC_RACE_MODE, static_cast<int>(found - items.begin())));
}

inline std::string SelectedText(const DialogModel& dlg, int comboId) {
    const int index = dlg.ComboSelection(comboId);
    return index < 0 ? std::string() : dlg.ComboItems(comboId).at(static_cast<std::size_t>(index));
}

// Clicks a box only when its state differs.
inline void SetBox(DialogModel& dlg, int id, bool checked) {
    if ((dlg.Check(id) != 0) != checked) {
        ASSERT_TRUE(dlg.Click(id)) << id;
    }
}

// Replaces a field's text the way the user does: click, select all, type.
inline void TypeInto(DialogModel& dlg, int id, std::string_view text) {
    ASSERT_TRUE(dlg.SelectText(id, 0, -1)) << id;
    if (text.empty()) {
        ASSERT_TRUE(dlg.TypeChar('\b'));
    } else {
        ASSERT_TRUE(dlg.TypeText(text));
    }
}

class DialogScenarioTest : public ::testing::Test {
protected:
    using Script = fw::model::HeadlessPlatform::Script;

    void SetUp() override {
        std::random_device seed;
        std::mt19937_64 random(seed());
        for (int attempt = 0; attempt < 100; ++attempt) {
            m_root =
                std::filesystem::temp_directory_path() / ("tc-dialog-" + std::to_string(random()));
            if (std::filesystem::create_directory(m_root)) break;
        }
        std::filesystem::create_directories(m_root / "Assets" / "Scripts");
        m_locator = std::make_shared<LocatorState>();
        m_locator->folder = m_root.string();
        settings::SetLocator(std::make_unique<TestLocator>(m_locator));
        // The record is one global; each scenario starts from a fresh one.
        theSettings = CScriptSettings();
    }

    void TearDown() override {
        EXPECT_EQ(m_platform.UnfinishedDialogs(), 0) << "a dialog was left open by its script";
        EXPECT_EQ(m_platform.PendingScripts(), 0) << "a scripted dialog never opened";
        settings::SetLocator(nullptr);
        std::error_code error;
        std::filesystem::remove_all(m_root, error);
    }

    std::filesystem::path ScriptsIni() const {
        return m_root / "Assets" / "Scripts" / "scripts.ini";
    }
    std::filesystem::path SfcIni() const { return m_root / "sfc.ini"; }

    static void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
        out.close();
        ASSERT_TRUE(out.good()) << path;
    }
    static std::string ReadBytes(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    void WriteGame(const ScriptKeys& keys, std::string_view uiType = "1") {
        WriteBytes(ScriptsIni(), ScriptsIniBytes(keys));
        WriteBytes(SfcIni(), SfcIniBytes(uiType));
    }
    void ExpectGame(const ScriptKeys& keys, std::string_view uiType = "1") const {
        EXPECT_EQ(ReadBytes(ScriptsIni()), ScriptsIniBytes(keys));
        EXPECT_EQ(ReadBytes(SfcIni()), SfcIniBytes(uiType));
    }

    // Runs the main dialog with the user's script; returns its end code.
    INT_PTR RunDialog(Script user) {
        m_platform.OnModal(std::move(user));
        CCustomizerDlg dlg;
        return dlg.DoModal();
    }

    const std::vector<fw::model::MessageBoxRecord>& Boxes() const {
        return m_platform.MessageBoxes();
    }

    std::filesystem::path m_root;
    std::shared_ptr<LocatorState> m_locator;
    fw::model::HeadlessPlatform m_platform{fw::ResourceSet::Program(), "TavrelCustomizer"};
    fw::model::ScopedPlatform m_use{m_platform};
};

}  // namespace dialog_test

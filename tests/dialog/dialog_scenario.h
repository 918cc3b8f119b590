#pragma once
// Scenario tests of the main dialog: a throw-away game folder (support/game_folder_test.h), the
// headless platform playing the user, and the two files written with known bytes before and
// compared byte by byte after.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/numeric_text.h"
#include "dialog/customizer_dlg.h"
#include "rcscript/resource_set.h"
#include "resource.h"
#include "settings/record/script_settings.h"
#include "support/game_folder_test.h"
#include "support/headless_platform.h"

namespace dialog_test {

using model::DialogModel;

using test_support::GameKeys;
using test_support::PackOdds;

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
        if (Check(dlg, box.id) != 0) bits |= 1 << box.bit;
    }
    return bits;
}

// The hull set the ten Use? boxes show.
inline int HullBits(const DialogModel& dlg) {
    int bits = 0;
    for (const HullBox& box : kHullBoxes) {
        if (Check(dlg, box.useId) != 0) bits |= 1 << box.bit;
    }
    return bits;
}

// The odds fields' texts, Frigate to Battleship, then the monster's.
inline std::vector<std::string> OddsTexts(const DialogModel& dlg) {
    std::vector<std::string> texts;
    for (const HullBox& box : kHullBoxes) texts.push_back(Text(dlg, box.oddsId));
    texts.push_back(Text(dlg, IDC_MONSTER_ODDS));
    return texts;
}

// Picks "Single" or "Mixed" in the race-mode list the way the user does.
inline void SelectRaceMode(DialogModel& dlg, std::string_view mode) {
    const std::vector<std::string> items = ComboItems(dlg, IDC_RACE_MODE);
    const auto found = std::find(items.begin(), items.end(), mode);
    ASSERT_NE(found, items.end()) << mode;
    ASSERT_TRUE(dlg.SelectComboItem(IDC_RACE_MODE, static_cast<int>(found - items.begin())));
}

inline std::string SelectedText(const DialogModel& dlg, int comboId) {
    const int index = ComboSelection(dlg, comboId);
    return index < 0 ? std::string() : ComboItems(dlg, comboId).at(static_cast<std::size_t>(index));
}

// Clicks a box only when its state differs.
inline void SetBox(DialogModel& dlg, int id, bool checked) {
    if ((Check(dlg, id) != 0) != checked) {
        ASSERT_TRUE(dlg.Click(id)) << id;
    }
}

// Replaces a field's text the way the user does: click, select all, type.
inline void TypeInto(DialogModel& dlg, int id, std::string_view text) {
    ASSERT_TRUE(dlg.SelectText(id, 0, -1)) << id;
    if (text.empty()) {
        ASSERT_TRUE(dlg.TypeChar('\b'));
    } else {
        ASSERT_TRUE(TypeText(dlg, text));
    }
}

class DialogScenarioTest : public test_support::GameFolderTest {
protected:
    using Script = model::HeadlessPlatform::Script;

    // The record is one global; each scenario starts from a fresh one.
    void SetUp() override { theSettings = CScriptSettings(); }

    void TearDown() override {
        EXPECT_EQ(m_platform.UnfinishedDialogs(), 0) << "a dialog was left open by its script";
        EXPECT_EQ(m_platform.PendingScripts(), 0) << "a scripted dialog never opened";
    }

    // Both files, with sfc.ini's UIType set to `uiType`.
    void WriteGame(GameKeys keys, std::string_view uiType = "1") const {
        keys.uiType = std::string(uiType);
        GameFolderTest::WriteGame(keys);
    }
    void ExpectGame(GameKeys keys, std::string_view uiType = "1") const {
        keys.uiType = std::string(uiType);
        GameFolderTest::ExpectGame(keys);
    }

    // Runs the main dialog with the user's script; returns its end code.
    INT_PTR RunDialog(Script user) {
        m_platform.OnModal(std::move(user));
        CCustomizerDlg dlg;
        return dlg.DoModal();
    }

    const std::vector<model::MessageBoxRecord>& Boxes() const { return m_platform.MessageBoxes(); }

    model::HeadlessPlatform m_platform{rcscript::ResourceSet::Program(), "TavrelCustomizer"};
    model::ScopedPlatform m_use{m_platform};
};

}  // namespace dialog_test

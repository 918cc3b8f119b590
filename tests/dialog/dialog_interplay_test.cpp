// The controls that keep each other consistent: Use? boxes and their odds fields, the monster
// box and its field, and the race-mode list swapping the two race sets.
#include <string>
#include <vector>

#include "dialog_scenario.h"

namespace dialog_test {
namespace {

using RaceModeTest = DialogScenarioTest;

TEST_F(RaceModeTest, EachModeKeepsItsOwnRaces) {
    GameKeys keys;
    keys.srace = "0";
    WriteGame(keys);
    const INT_PTR result = RunDialog([](DialogModel& dlg) {
        ASSERT_EQ(RaceBits(dlg), 3);  // Federation and Klingon
        SelectRaceMode(dlg, "Mixed");
        EXPECT_EQ(RaceBits(dlg), 0);
        dlg.Click(IDC_RACE_GORN);
        SelectRaceMode(dlg, "Single");
        EXPECT_EQ(RaceBits(dlg), 3);
        SelectRaceMode(dlg, "Mixed");
        EXPECT_EQ(RaceBits(dlg), 32);
        dlg.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    GameKeys expected = keys;
    expected.type = "1";
    expected.srace = "32";
    expected.race = "32";
    ExpectGame(expected);
}

TEST_F(RaceModeTest, MissingMixedSetChecksAllTenBoxes) {
    GameKeys keys;
    keys.srace.reset();
    WriteGame(keys);
    RunDialog([](DialogModel& dlg) {
        EXPECT_FALSE(Enabled(dlg, IDC_MONSTER_ODDS));
        SelectRaceMode(dlg, "Mixed");
        EXPECT_EQ(RaceBits(dlg), 1023);
        EXPECT_TRUE(Enabled(dlg, IDC_MONSTER_ODDS));
        dlg.Click(IDCANCEL);
    });
}

TEST_F(RaceModeTest, MonsterOddsCountOnlyInMixedMode) {
    WriteGame(GameKeys{});
    RunDialog([](DialogModel& dlg) {
        dlg.Click(IDC_MONSTER_USE);
        EXPECT_EQ(Check(dlg, IDC_MONSTER_USE), 1u);
        EXPECT_FALSE(Enabled(dlg, IDC_MONSTER_ODDS));

        SelectRaceMode(dlg, "Mixed");  // Gorn and the monster
        EXPECT_TRUE(Enabled(dlg, IDC_MONSTER_ODDS));
        dlg.Click(IDC_MONSTER_USE);
        EXPECT_FALSE(Enabled(dlg, IDC_MONSTER_ODDS));
        dlg.Click(IDC_MONSTER_USE);
        EXPECT_TRUE(Enabled(dlg, IDC_MONSTER_ODDS));
        TypeInto(dlg, IDC_MONSTER_ODDS, "40");

        SelectRaceMode(dlg, "Single");
        EXPECT_FALSE(Enabled(dlg, IDC_MONSTER_ODDS));
        EXPECT_EQ(Text(dlg, IDC_MONSTER_ODDS), "40");
        // The monster checked in Single mode went into the Single set.
        EXPECT_EQ(RaceBits(dlg), 3 | 512);
        dlg.Click(IDOK);
    });
    GameKeys expected;
    expected.rrace = "515";
    expected.hullpercentC = PackOdds(99, 100, 40, 0);
    ExpectGame(expected);
}

TEST_F(RaceModeTest, SwitchingRewritesNoOtherControl) {
    WriteGame(GameKeys{});
    RunDialog([](DialogModel& dlg) {
        dlg.PressKey(framework::vk::Right);
        TypeInto(dlg, IDC_ODDS_FRIGATE, "5");
        dlg.Click(IDC_ERA_LATE);
        SelectRaceMode(dlg, "Mixed");
        EXPECT_EQ(Text(dlg, IDC_DIFFICULTY_VALUE), "1.26");
        EXPECT_EQ(Text(dlg, IDC_ODDS_FRIGATE), "5");
        EXPECT_EQ(Check(dlg, IDC_ERA_LATE), 1u);
        EXPECT_EQ(HullBits(dlg), 5144);
        EXPECT_EQ(SelectedText(dlg, IDC_AI_LEVEL), "Commodore");
        dlg.Click(IDCANCEL);
    });
}

using HullBoxTest = DialogScenarioTest;

TEST_F(HullBoxTest, EachUseBoxEnablesOnlyItsOwnField) {
    WriteGame(GameKeys{});
    RunDialog([](DialogModel& dlg) {
        for (const HullBox& box : kHullBoxes) {
            const std::vector<std::string> texts = OddsTexts(dlg);
            const bool wasChecked = Check(dlg, box.useId) != 0;
            std::vector<bool> enabled;
            for (const HullBox& other : kHullBoxes) enabled.push_back(Enabled(dlg, other.oddsId));

            dlg.Click(box.useId);
            EXPECT_EQ(Enabled(dlg, box.oddsId), !wasChecked) << box.useId;
            for (std::size_t i = 0; i < std::size(kHullBoxes); ++i) {
                if (kHullBoxes[i].oddsId != box.oddsId) {
                    EXPECT_EQ(Enabled(dlg, kHullBoxes[i].oddsId), enabled[i]) << box.useId;
                }
            }
            // The number stays in a disabled field.
            EXPECT_EQ(OddsTexts(dlg), texts);

            dlg.Click(box.useId);
            EXPECT_EQ(Enabled(dlg, box.oddsId), wasChecked) << box.useId;
        }
        EXPECT_EQ(Text(dlg, IDC_DIFFICULTY_VALUE), "1.25");
        EXPECT_EQ(RaceBits(dlg), 3);
        dlg.Click(IDCANCEL);
    });
}

}  // namespace
}  // namespace dialog_test

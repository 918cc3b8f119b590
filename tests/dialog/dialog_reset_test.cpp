// "Reset Defaults": every control back to the built-in defaults, written only by a later OK.
#include <string>
#include <utility>
#include <vector>

#include "dialog_scenario.h"

namespace dialog_test {
namespace {

using ResetTest = DialogScenarioTest;

TEST_F(ResetTest, EveryControlTakesItsDefault) {
    GameKeys keys;
    keys.type = "1";
    WriteGame(keys);
    RunDialog([](DialogModel& dlg) {
        dlg.Click(IDC_RESET_DEFAULTS);
        EXPECT_EQ(Text(dlg, IDC_DIFFICULTY_VALUE), "1.7");
        EXPECT_EQ(TrackPos(dlg, IDC_DIFFICULTY_SLIDER), 70);
        EXPECT_EQ(SelectedText(dlg, IDC_AI_LEVEL), "Admiral");
        EXPECT_EQ(SelectedText(dlg, IDC_RACE_MODE), "Single");
        EXPECT_EQ(RaceBits(dlg), 255);
        EXPECT_EQ(HullBits(dlg), 8184);
        EXPECT_EQ(OddsTexts(dlg), (std::vector<std::string>{"80", "70", "50", "65", "60", "45",
                                                            "55", "20", "30", "10", "10"}));
        for (const HullBox& box : kHullBoxes) EXPECT_TRUE(Enabled(dlg, box.oddsId));
        EXPECT_FALSE(Enabled(dlg, IDC_MONSTER_ODDS));
        EXPECT_EQ(Check(dlg, IDC_ERA_EARLY), 0u);
        EXPECT_EQ(Check(dlg, IDC_ERA_MIDDLE), 0u);
        EXPECT_EQ(Check(dlg, IDC_ERA_LATE), 1u);
        EXPECT_EQ(Check(dlg, IDC_FORCE_ERA), 0u);

        // A monster checked now still needs Mixed mode for its odds.
        dlg.Click(IDC_MONSTER_USE);
        EXPECT_FALSE(Enabled(dlg, IDC_MONSTER_ODDS));
        dlg.Click(IDCANCEL);
    });
}

TEST_F(ResetTest, OkAfterResetWritesTheDefaults) {
    // ModSupport loses bits 3 and 4 and keeps the rest.
    for (const auto& [loaded, written] : {std::pair{"-9", "-25"}, std::pair{"280", "256"}}) {
        GameKeys keys;
        keys.modSupport = loaded;
        keys.hull = "-1";
        WriteGame(keys);
        const INT_PTR result = RunDialog([](DialogModel& dlg) {
            dlg.Click(IDC_RESET_DEFAULTS);
            dlg.Click(IDOK);
        });
        EXPECT_EQ(result, IDOK);
        GameKeys expected = keys;
        expected.multiplier = "1.70";
        expected.type = "0";
        expected.rrace = "255";
        expected.race = "0";
        expected.hull = "8184";
        expected.hullpercentA = "1093813840";
        expected.hullpercentB = "339160380";
        expected.hullpercentC = "657950";
        expected.era = "2";
        expected.modSupport = written;
        ExpectGame(expected, "2");  // srace kept as it was
    }
}

TEST_F(ResetTest, MixedSetIsLeftAsStoredBeforeTheReset) {
    GameKeys keys;
    keys.type = "1";
    keys.srace = "3";  // Federation and Klingon
    WriteGame(keys);
    const INT_PTR result = RunDialog([](DialogModel& dlg) {
        dlg.Click(IDC_RACE_FEDERATION);
        dlg.Click(IDC_RACE_KLINGON);
        dlg.Click(IDC_RACE_GORN);
        ASSERT_EQ(RaceBits(dlg), 32);
        dlg.Click(IDC_RESET_DEFAULTS);
        SelectRaceMode(dlg, "Mixed");
        EXPECT_EQ(RaceBits(dlg), 3);
        dlg.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_NE(ReadBytes(ScriptsIni()).find("\r\nrrace=255\r\nsrace=3\r\nrace=3\r\n"),
              std::string::npos)
        << ReadBytes(ScriptsIni());
}

TEST_F(ResetTest, SliderStepsOnFromTheDefault) {
    WriteGame(GameKeys{});
    RunDialog([](DialogModel& dlg) {
        dlg.Click(IDC_RESET_DEFAULTS);
        ASSERT_TRUE(dlg.SetFocusTo(dlg.Control(IDC_DIFFICULTY_SLIDER)));
        dlg.PressKey(framework::vk::Right);
        EXPECT_EQ(Text(dlg, IDC_DIFFICULTY_VALUE), "1.71");
        EXPECT_EQ(TrackPos(dlg, IDC_DIFFICULTY_SLIDER), 71);
        dlg.Click(IDCANCEL);
    });
}

}  // namespace
}  // namespace dialog_test

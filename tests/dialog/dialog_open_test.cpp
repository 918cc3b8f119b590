// Opening the main dialog: every control filled from scripts.ini and sfc.ini, the record's
// defaults for what the files lack, the display quirks of the loaded values, and a load that
// cannot find the game.
#include <string>
#include <vector>

#include "dialog_scenario.h"
#include "support/case_names.h"

namespace dialog_test {
namespace {

using OpenTest = DialogScenarioTest;

TEST_F(OpenTest, EveryControlShowsTheFiles) {
    WriteGame(GameKeys{});
    const INT_PTR result = RunDialog([&](DialogModel& dlg) {
        EXPECT_EQ(TrackPos(dlg, IDC_DIFFICULTY_SLIDER), 25);
        EXPECT_EQ(Text(dlg, IDC_DIFFICULTY_VALUE), "1.25");
        EXPECT_EQ(SelectedText(dlg, IDC_AI_LEVEL), "Commodore");
        EXPECT_EQ(SelectedText(dlg, IDC_RACE_MODE), "Single");
        EXPECT_EQ(RaceBits(dlg), 3);
        EXPECT_EQ(HullBits(dlg), 5144);
        EXPECT_EQ(OddsTexts(dlg), (std::vector<std::string>{"11", "22", "33", "44", "55", "66",
                                                            "77", "88", "99", "100", "25"}));
        for (const HullBox& box : kHullBoxes) {
            EXPECT_EQ(Enabled(dlg, box.oddsId), Check(dlg, box.useId) != 0) << box.oddsId;
        }
        EXPECT_FALSE(Enabled(dlg, IDC_MONSTER_ODDS));
        EXPECT_EQ(Check(dlg, IDC_ERA_EARLY), 0u);
        EXPECT_EQ(Check(dlg, IDC_ERA_MIDDLE), 1u);
        EXPECT_EQ(Check(dlg, IDC_ERA_LATE), 0u);
        EXPECT_EQ(Check(dlg, IDC_FORCE_ERA), 1u);
        // The first tab stop takes the focus after a successful start.
        EXPECT_EQ(Focus(dlg), IDC_DIFFICULTY_SLIDER);
        dlg.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(OpenTest, ControlsAreSetUpBeforeTheLoad) {
    WriteGame(GameKeys{});
    RunDialog([&](DialogModel& dlg) {
        for (const HullBox& box : kHullBoxes) EXPECT_EQ(TextLimit(dlg, box.oddsId), 3);
        EXPECT_EQ(TextLimit(dlg, IDC_MONSTER_ODDS), 3);
        EXPECT_GT(TextLimit(dlg, IDC_DIFFICULTY_VALUE), 3);
        EXPECT_EQ(TrackRange(dlg, IDC_DIFFICULTY_SLIDER), std::make_pair(-50, 200));
        EXPECT_EQ(Trackbar(dlg, IDC_DIFFICULTY_SLIDER).LineSize(), 1);
        EXPECT_EQ(Trackbar(dlg, IDC_DIFFICULTY_SLIDER).PageSize(), 10);

        const std::vector<model::MenuItem>& menu = dlg.SystemMenu();
        ASSERT_GE(menu.size(), 2u);
        EXPECT_EQ(menu[menu.size() - 2].flags, framework::mf::Separator);
        EXPECT_EQ(menu.back().flags, framework::mf::String);
        EXPECT_EQ(menu.back().id, static_cast<UINT>(IDM_ABOUTBOX));
        EXPECT_EQ(menu.back().text, "&About TavrelCustomizer...");

        ASSERT_NE(dlg.Icon(true), nullptr);
        EXPECT_EQ(dlg.Icon(false), dlg.Icon(true));
        EXPECT_EQ(m_platform.IconResource(dlg.Icon(true)), static_cast<UINT>(IDR_MAINFRAME));
        dlg.Click(IDCANCEL);
    });
}

TEST_F(OpenTest, MixedModeShowsTheMixedSet) {
    GameKeys keys;
    keys.type = "1";
    WriteGame(keys);
    RunDialog([&](DialogModel& dlg) {
        EXPECT_EQ(SelectedText(dlg, IDC_RACE_MODE), "Mixed");
        EXPECT_EQ(RaceBits(dlg), 544);  // Gorn and the monster
        EXPECT_TRUE(Enabled(dlg, IDC_MONSTER_ODDS));
        EXPECT_EQ(Text(dlg, IDC_MONSTER_ODDS), "25");
        dlg.Click(IDCANCEL);
    });
}

TEST_F(OpenTest, MonsterInTheSingleSetLeavesItsOddsDisabled) {
    GameKeys keys;
    keys.rrace = "515";  // Federation, Klingon, monster
    WriteGame(keys);
    RunDialog([&](DialogModel& dlg) {
        EXPECT_EQ(Check(dlg, IDC_MONSTER_USE), 1u);
        EXPECT_FALSE(Enabled(dlg, IDC_MONSTER_ODDS));
        EXPECT_EQ(Text(dlg, IDC_MONSTER_ODDS), "25");
        dlg.Click(IDCANCEL);
    });
}

TEST_F(OpenTest, MissingFilesGiveTheRecordDefaults) {
    RunDialog([&](DialogModel& dlg) {
        EXPECT_EQ(TrackPos(dlg, IDC_DIFFICULTY_SLIDER), 10);
        EXPECT_EQ(Text(dlg, IDC_DIFFICULTY_VALUE), "1.1");
        EXPECT_EQ(SelectedText(dlg, IDC_AI_LEVEL), "Captain");
        EXPECT_EQ(SelectedText(dlg, IDC_RACE_MODE), "Single");
        EXPECT_EQ(RaceBits(dlg), 1023);
        EXPECT_EQ(HullBits(dlg), 8184);
        EXPECT_EQ(OddsTexts(dlg), (std::vector<std::string>{"80", "70", "50", "65", "60", "45",
                                                            "55", "20", "30", "10", "10"}));
        EXPECT_EQ(Check(dlg, IDC_ERA_LATE), 1u);
        EXPECT_EQ(Check(dlg, IDC_FORCE_ERA), 1u);  // ModSupport -9 has bit 4
        EXPECT_FALSE(Enabled(dlg, IDC_MONSTER_ODDS));
        dlg.Click(IDCANCEL);
    });
    EXPECT_TRUE(Boxes().empty());
    EXPECT_FALSE(std::filesystem::exists(ScriptsIni()));
    EXPECT_FALSE(std::filesystem::exists(SfcIni()));
}

struct MultiplierCase {
    const char* text;
    int position;
    const char* shown;
};

class OpenMultiplierTest : public DialogScenarioTest,
                           public ::testing::WithParamInterface<MultiplierCase> {};

TEST_P(OpenMultiplierTest, SliderAndValueBoxFollowTheLoadedValue) {
    GameKeys keys;
    keys.multiplier = GetParam().text;
    WriteGame(keys);
    RunDialog([&](DialogModel& dlg) {
        EXPECT_EQ(TrackPos(dlg, IDC_DIFFICULTY_SLIDER), GetParam().position);
        EXPECT_EQ(Text(dlg, IDC_DIFFICULTY_VALUE), GetParam().shown);
        dlg.Click(IDCANCEL);
    });
}

INSTANTIATE_TEST_SUITE_P(
    Quirks, OpenMultiplierTest,
    ::testing::Values(MultiplierCase{"1.1", 10, "1.1"}, MultiplierCase{"1.15", 14, "1.15"},
                      MultiplierCase{"1.7", 70, "1.7"}, MultiplierCase{"2.01", 100, "2.01"},
                      MultiplierCase{"0.57", -43, "0.57"}, MultiplierCase{"0.99", 0, "0.99"},
                      MultiplierCase{"0.5", -50, "0.5"}, MultiplierCase{"3.0", 200, "3"}),
    test_support::NameBy(&MultiplierCase::text));

// Hand-edited files: the thumb stays in its range, the box shows the value as it is.
INSTANTIATE_TEST_SUITE_P(
    OutOfRange, OpenMultiplierTest,
    ::testing::Values(MultiplierCase{"5.0", 200, "5"}, MultiplierCase{"-2", -50, "-2"},
                      MultiplierCase{"1e30", 200, "1e+30"}, MultiplierCase{"1e999", 200, "inf"},
                      MultiplierCase{"-1e999", -50, "-inf"}, MultiplierCase{"nan", 0, "nan"}),
    test_support::NameBy(&MultiplierCase::text));

struct EraCase {
    const char* era;
    int button;
};

class OpenEraTest : public DialogScenarioTest, public ::testing::WithParamInterface<EraCase> {};

TEST_P(OpenEraTest, ChecksExactlyOneEraButton) {
    GameKeys keys;
    keys.era = GetParam().era;
    WriteGame(keys);
    RunDialog([&](DialogModel& dlg) {
        for (int id : {IDC_ERA_EARLY, IDC_ERA_MIDDLE, IDC_ERA_LATE}) {
            EXPECT_EQ(Check(dlg, id), id == GetParam().button ? 1u : 0u) << id;
        }
        dlg.Click(IDCANCEL);
    });
}

INSTANTIATE_TEST_SUITE_P(AnyOtherValueIsLate, OpenEraTest,
                         ::testing::Values(EraCase{"0", IDC_ERA_EARLY},
                                           EraCase{"1", IDC_ERA_MIDDLE}, EraCase{"2", IDC_ERA_LATE},
                                           EraCase{"7", IDC_ERA_LATE}, EraCase{"-1", IDC_ERA_LATE}),
                         test_support::NameBy(&EraCase::era));

TEST_F(OpenTest, SignedOddsByteShowsNegative) {
    GameKeys keys;
    keys.hullpercentA = PackOdds(231, 22, 33, 44);
    WriteGame(keys);
    RunDialog([&](DialogModel& dlg) {
        EXPECT_EQ(Text(dlg, IDC_ODDS_FRIGATE), "-25");
        dlg.Click(IDCANCEL);
    });
}

TEST_F(OpenTest, AiLevelOutsideTheListSelectsNothing) {
    for (const char* uiType : {"3", "-1", "2"}) {
        WriteGame(GameKeys{}, uiType);
        RunDialog([&](DialogModel& dlg) {
            EXPECT_EQ(SelectedText(dlg, IDC_AI_LEVEL), std::string(uiType) == "2" ? "Admiral" : "")
                << uiType;
            dlg.Click(IDCANCEL);
        });
    }
}

TEST_F(OpenTest, ModSupportBitFourChecksForceEra) {
    GameKeys keys;
    keys.modSupport = "8";
    WriteGame(keys);
    RunDialog([&](DialogModel& dlg) {
        EXPECT_EQ(Check(dlg, IDC_FORCE_ERA), 0u);
        dlg.Click(IDCANCEL);
    });
}

// No game folder: the dialog reports it and stays up with its initial values.
using FailedLoadTest = DialogScenarioTest;

TEST_F(FailedLoadTest, ReportsTheCodeAndKeepsTheInitialValues) {
    m_locator->failFromCall = 1;
    const INT_PTR result = RunDialog([&](DialogModel& dlg) {
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_EQ(Boxes()[0].text, "Error reading from scripts.ini; code 3.");
        EXPECT_EQ(Boxes()[0].caption, "TavrelCustomizer");
        EXPECT_EQ(Boxes()[0].type, framework::mb::Ok);
        EXPECT_EQ(Boxes()[0].owner, dlg.GetHandle());

        EXPECT_FALSE(dlg.Ended());
        EXPECT_EQ(Text(dlg, IDC_DIFFICULTY_VALUE), "0");
        EXPECT_EQ(TrackPos(dlg, IDC_DIFFICULTY_SLIDER), 0);
        EXPECT_EQ(TrackRange(dlg, IDC_DIFFICULTY_SLIDER), std::make_pair(-50, 200));
        EXPECT_EQ(ComboSelection(dlg, IDC_AI_LEVEL), -1);
        EXPECT_EQ(ComboSelection(dlg, IDC_RACE_MODE), -1);
        EXPECT_EQ(RaceBits(dlg), 0);
        EXPECT_EQ(HullBits(dlg), 0);
        for (int id : {IDC_ERA_EARLY, IDC_ERA_MIDDLE, IDC_ERA_LATE}) EXPECT_EQ(Check(dlg, id), 0u);
        for (const std::string& text : OddsTexts(dlg)) EXPECT_EQ(text, "");
        for (const HullBox& box : kHullBoxes) EXPECT_TRUE(Enabled(dlg, box.oddsId));
        EXPECT_EQ(TextLimit(dlg, IDC_ODDS_FRIGATE), 3);
        EXPECT_EQ(dlg.SystemMenu().back().id, static_cast<UINT>(IDM_ABOUTBOX));
        dlg.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(FailedLoadTest, OkAsksForARaceThenReportsTheSaveAndStaysOpen) {
    m_locator->failFromCall = 1;
    const INT_PTR result = RunDialog([&](DialogModel& dlg) {
        dlg.Click(IDOK);
        ASSERT_EQ(Boxes().size(), 2u);
        EXPECT_EQ(Boxes()[1].text, "You must select at least one race to continue.");
        EXPECT_EQ(Boxes()[1].caption, "No race selected!");
        EXPECT_FALSE(dlg.Ended());

        dlg.Click(IDC_RACE_FEDERATION);
        dlg.Click(IDOK);
        ASSERT_EQ(Boxes().size(), 3u);
        EXPECT_EQ(Boxes()[2].text, "Error saving to scripts.ini; code 3.");
        EXPECT_EQ(Boxes()[2].caption, "TavrelCustomizer");
        EXPECT_FALSE(dlg.Ended());
        EXPECT_EQ(Check(dlg, IDC_RACE_FEDERATION), 1u);
        dlg.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_FALSE(std::filesystem::exists(ScriptsIni()));
    EXPECT_FALSE(std::filesystem::exists(SfcIni()));
}

}  // namespace
}  // namespace dialog_test

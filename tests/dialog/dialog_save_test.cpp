// OK and Cancel: what reaches the two files, byte by byte, and when the dialog stays open.
#include <filesystem>
#include <regex>
#include <string>

#include "dialog_scenario.h"
#include "support/case_names.h"

namespace dialog_test {
namespace {

using SaveTest = DialogScenarioTest;

TEST_F(SaveTest, OkOnUnchangedValuesRewritesTheSameBytes) {
    WriteGame(GameKeys{});
    EXPECT_EQ(RunDialog([](DialogModel& dlg) { dlg.Click(IDOK); }), IDOK);
    ExpectGame(GameKeys{});
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(SaveTest, OkRebuildsTheSetsAndWritesEveryKey) {
    GameKeys keys;
    keys.multiplier = "1.1";
    keys.rrace = "-1";
    keys.srace = "-1";
    keys.race = "5";
    keys.hull = "-1";
    keys.hullpercentC = PackOdds(99, 100, 25, 1);  // spare byte set
    keys.era = "2";
    keys.modSupport = "-9";
    WriteGame(keys);
    EXPECT_EQ(RunDialog([](DialogModel& dlg) { dlg.Click(IDOK); }), IDOK);

    GameKeys expected = keys;
    expected.multiplier = "1.10";
    expected.rrace = "1023";  // the ten boxes; the bits without a race are gone
    expected.race = "0";      // Single mode
    expected.hull = "8184";
    expected.hullpercentC = PackOdds(99, 100, 25, 0);
    ExpectGame(expected);
}

TEST_F(SaveTest, EditsReachTheFilesOnOk) {
    WriteGame(GameKeys{});
    const INT_PTR result = RunDialog([](DialogModel& dlg) {
        ASSERT_EQ(Focus(dlg), IDC_DIFFICULTY_SLIDER);
        dlg.PressKey(framework::vk::End);
        dlg.Click(IDC_USE_FRIGATE);
        dlg.Click(IDC_USE_WAR_DESTROYER);
        TypeInto(dlg, IDC_ODDS_WAR_DESTROYER, "7");
        dlg.SelectComboItem(IDC_AI_LEVEL, 2);
        dlg.Click(IDC_ERA_EARLY);
        dlg.Click(IDC_FORCE_ERA);
        dlg.Click(IDC_RACE_ROMULAN);
        dlg.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);

    GameKeys expected;
    expected.multiplier = "3.00";
    expected.rrace = "7";
    expected.hull = "5168";  // Frigate out, War Destroyer in
    expected.hullpercentA = PackOdds(11, 22, 7, 44);
    expected.era = "0";
    expected.modSupport = "264";  // bit 4 cleared, bits 3 and 8 kept
    ExpectGame(expected, "2");
}

TEST_F(SaveTest, MixedModeWritesTheMixedSetAsRace) {
    GameKeys keys;
    keys.type = "1";
    keys.srace = "5";
    WriteGame(keys);
    EXPECT_EQ(RunDialog([](DialogModel& dlg) { dlg.Click(IDOK); }), IDOK);
    GameKeys expected = keys;
    expected.race = "5";
    ExpectGame(expected);
}

TEST_F(SaveTest, EnterConfirmsWithoutLeavingTheFieldAndStillCapsTheOdds) {
    WriteGame(GameKeys{});
    const INT_PTR result = RunDialog([](DialogModel& dlg) {
        TypeInto(dlg, IDC_ODDS_CARRIER, "742");
        ASSERT_EQ(Focus(dlg), IDC_ODDS_CARRIER);
        dlg.PressKey(framework::vk::Return);
    });
    EXPECT_EQ(result, IDOK);
    GameKeys expected;
    expected.hullpercentB = PackOdds(55, 66, 77, 100);
    ExpectGame(expected);
}

TEST_F(SaveTest, EnterFromTheSliderIsOk) {
    WriteGame(GameKeys{});
    EXPECT_EQ(RunDialog([](DialogModel& dlg) { dlg.PressKey(framework::vk::Return); }), IDOK);
    ExpectGame(GameKeys{});
}

TEST_F(SaveTest, ClearedHullKeepsItsOddsAndAnEmptyFieldStoresZero) {
    WriteGame(GameKeys{});
    RunDialog([](DialogModel& dlg) {
        TypeInto(dlg, IDC_ODDS_CARRIER, "25");
        dlg.Click(IDC_USE_CARRIER);
        EXPECT_FALSE(Enabled(dlg, IDC_ODDS_CARRIER));
        TypeInto(dlg, IDC_ODDS_FRIGATE, "");
        dlg.Click(IDOK);
    });
    GameKeys expected;
    expected.hull = "4120";
    expected.hullpercentA = PackOdds(0, 22, 33, 44);
    expected.hullpercentB = PackOdds(55, 66, 77, 25);
    ExpectGame(expected);
}

std::string RaceBoxName(const RaceBox& box) {
    return box.bit == 9 ? "Monster" : "RaceBit" + std::to_string(box.bit);
}

class LoneRaceTest : public DialogScenarioTest, public ::testing::WithParamInterface<RaceBox> {};

TEST_P(LoneRaceTest, OneBoxIsEnoughToClose) {
    WriteGame(GameKeys{});
    const INT_PTR result = RunDialog([](DialogModel& dlg) {
        SetBox(dlg, IDC_RACE_FEDERATION, false);
        SetBox(dlg, IDC_RACE_KLINGON, false);
        SetBox(dlg, GetParam().id, true);
        dlg.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    GameKeys expected;
    expected.rrace = base::FormatInt(1 << GetParam().bit);
    ExpectGame(expected);
}

INSTANTIATE_TEST_SUITE_P(MonsterOrPirates, LoneRaceTest,
                         ::testing::Values(RaceBox{IDC_MONSTER_USE, 9},
                                           RaceBox{IDC_RACE_PIRATES, 8},
                                           RaceBox{IDC_RACE_LYRAN, 3}),
                         test_support::NameBy(RaceBoxName));

// Without a race the files stay as they are: nothing is written before the choice is fixed.
TEST_F(SaveTest, NoRaceWritesNothingAndKeepsTheDialogOpen) {
    WriteGame(GameKeys{});
    const INT_PTR result = RunDialog([&](DialogModel& dlg) {
        dlg.PressKey(framework::vk::End);
        dlg.Click(IDC_RACE_FEDERATION);
        dlg.Click(IDC_RACE_KLINGON);
        dlg.Click(IDOK);
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_EQ(Boxes()[0].text, "You must select at least one race to continue.");
        EXPECT_EQ(Boxes()[0].caption, "No race selected!");
        EXPECT_EQ(Boxes()[0].type, framework::mb::Ok);
        EXPECT_EQ(Boxes()[0].owner, dlg.GetHandle());
        EXPECT_FALSE(dlg.Ended());
        ExpectGame(GameKeys{});
        EXPECT_EQ(Text(dlg, IDC_DIFFICULTY_VALUE), "3");

        dlg.Click(IDC_RACE_PIRATES);
        dlg.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Boxes().size(), 1u);
    GameKeys expected;
    expected.multiplier = "3.00";
    expected.rrace = "256";
    ExpectGame(expected);
}

TEST_F(SaveTest, NoRaceThenCancelLeavesTheFiles) {
    WriteGame(GameKeys{});
    const INT_PTR result = RunDialog([](DialogModel& dlg) {
        dlg.Click(IDC_RACE_FEDERATION);
        dlg.Click(IDC_RACE_KLINGON);
        dlg.Click(IDOK);
        dlg.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    ExpectGame(GameKeys{});
}

// A level the list does not offer is written back as loaded instead of as -1.
TEST_F(SaveTest, AiLevelWithoutSelectionKeepsTheLoadedValue) {
    for (const char* uiType : {"7", "-1", "-5"}) {
        WriteGame(GameKeys{}, uiType);
        EXPECT_EQ(RunDialog([](DialogModel& dlg) { dlg.Click(IDOK); }), IDOK);
        ExpectGame(GameKeys{}, uiType);
    }
}

TEST_F(SaveTest, AiLevelPickedReplacesAnUnlistedValue) {
    WriteGame(GameKeys{}, "7");
    RunDialog([](DialogModel& dlg) {
        dlg.SelectComboItem(IDC_AI_LEVEL, 0);
        dlg.Click(IDOK);
    });
    ExpectGame(GameKeys{}, "0");
}

// A save that fails is reported with its code; the dialog keeps every value for a retry.
class FailedSaveTest : public DialogScenarioTest,
                       public ::testing::WithParamInterface<bool> {  // true: sfc.ini fails
protected:
    std::filesystem::path Blocked() const { return GetParam() ? SfcIni() : ScriptsIni(); }
};

TEST_P(FailedSaveTest, ReportsTheCodeAndSucceedsOnRetry) {
    WriteGame(GameKeys{});
    const std::string original = ReadBytes(Blocked());
    const INT_PTR result = RunDialog([&](DialogModel& dlg) {
        TypeInto(dlg, IDC_ODDS_FRIGATE, "9");
        dlg.Click(IDC_RACE_ROMULAN);
        dlg.SelectComboItem(IDC_AI_LEVEL, 0);

        // The file turns into a folder: no file can replace it.
        std::filesystem::remove(Blocked());
        std::filesystem::create_directory(Blocked());
        dlg.Click(IDOK);

        ASSERT_EQ(Boxes().size(), 1u);
        std::smatch match;
        const std::regex pattern("Error saving to scripts\\.ini; code (-?[0-9]+)\\.");
        ASSERT_TRUE(std::regex_match(Boxes()[0].text, match, pattern)) << Boxes()[0].text;
        EXPECT_NE(match[1].str(), "0");
        EXPECT_EQ(Boxes()[0].caption, "TavrelCustomizer");
        EXPECT_EQ(Boxes()[0].owner, dlg.GetHandle());
        EXPECT_FALSE(dlg.Ended());
        EXPECT_EQ(Text(dlg, IDC_ODDS_FRIGATE), "9");
        EXPECT_EQ(Check(dlg, IDC_RACE_ROMULAN), 1u);
        EXPECT_EQ(SelectedText(dlg, IDC_AI_LEVEL), "Captain");
        EXPECT_TRUE(std::filesystem::is_directory(Blocked()));

        std::filesystem::remove(Blocked());
        WriteBytes(Blocked(), original);
        dlg.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(Boxes().size(), 1u);
    GameKeys expected;
    expected.rrace = "7";
    expected.hullpercentA = PackOdds(9, 22, 33, 44);
    ExpectGame(expected, "0");
}

INSTANTIATE_TEST_SUITE_P(EitherFile, FailedSaveTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return std::string(param.param ? "SfcIni" : "ScriptsIni");
                         });

std::string CancelWayName(const ::testing::TestParamInfo<void (*)(DialogModel&)>& param) {
    static const char* const kWays[] = {"Button", "Escape", "CloseBox", "SystemMenuClose", "AltF4"};
    return kWays[param.index];
}

// Cancel in any of its forms writes nothing, whatever was changed before.
class CancelTest : public DialogScenarioTest,
                   public ::testing::WithParamInterface<void (*)(DialogModel&)> {};

TEST_P(CancelTest, LeavesBothFilesUntouched) {
    GameKeys keys;
    keys.type = "1";
    WriteGame(keys);
    const INT_PTR result = RunDialog([](DialogModel& dlg) {
        dlg.PressKey(framework::vk::Home);
        dlg.Click(IDC_USE_BATTLESHIP);
        dlg.Click(IDC_RACE_ISC);
        SelectRaceMode(dlg, "Single");
        dlg.Click(IDC_RESET_DEFAULTS);
        dlg.SelectComboItem(IDC_AI_LEVEL, 0);
        GetParam()(dlg);
        EXPECT_TRUE(dlg.Ended());
    });
    EXPECT_EQ(result, IDCANCEL);
    ExpectGame(keys);
    EXPECT_TRUE(Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryWay, CancelTest,
    ::testing::Values([](DialogModel& dlg) { dlg.Click(IDCANCEL); },
                      [](DialogModel& dlg) { dlg.PressKey(framework::vk::Escape); },
                      [](DialogModel& dlg) { dlg.CloseBox(); },
                      [](DialogModel& dlg) { dlg.SystemMenuCommand(framework::sc::Close); },
                      [](DialogModel& dlg) { dlg.PressKey(framework::vk::F4, {.alt = true}); }),
    CancelWayName);

}  // namespace
}  // namespace dialog_test

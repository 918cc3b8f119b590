// The main dialog driven by keys alone, in sequences where the Windows program's controls and
// dialog manager once decided the saved files differently from the model.
#include <string>

#include "dialog_scenario.h"

namespace dialog_test {
namespace {

using KeyboardTest = DialogScenarioTest;
using framework::vk::Down;
using framework::vk::Escape;
using framework::vk::F4;
using framework::vk::Prior;
using framework::vk::Return;
using framework::vk::Right;
using framework::vk::Space;
using framework::vk::Tab;

void FocusOn(DialogModel& dlg, int id) {
    ASSERT_TRUE(dlg.SetFocusTo(dlg.Control(id)));
}

TEST_F(KeyboardTest, ClosedAiListTakesPagesAndSideArrows) {
    WriteGame(GameKeys{}, "2");
    RunDialog([](DialogModel& dlg) {
        dlg.PressKey(Tab);
        dlg.PressKey(Tab);
        ASSERT_EQ(Focus(dlg), IDC_AI_LEVEL);
        dlg.PressKey(Prior);  // Admiral to Captain: the whole list is one page
        dlg.Click(IDOK);
    });
    ExpectGame(GameKeys{}, "0");

    RunDialog([](DialogModel& dlg) {
        FocusOn(dlg, IDC_AI_LEVEL);
        dlg.PressKey(Right);
        dlg.PressKey(Return);
    });
    ExpectGame(GameKeys{}, "1");
}

TEST_F(KeyboardTest, ArrowFromTheLastBoxLandsOnTheGroupBoxAndTabGoesOnFromThere) {
    WriteGame(GameKeys{});  // ModSupport 280: Force select checked
    RunDialog([](DialogModel& dlg) {
        FocusOn(dlg, IDC_FORCE_ERA);
        dlg.PressKey(Right);  // onto the "Extra options" group box
        dlg.PressKey(Tab, {.shift = true});
        ASSERT_EQ(Focus(dlg), IDC_FORCE_ERA);
        dlg.PressKey(Space);
        dlg.Click(IDOK);
    });
    GameKeys expected;
    expected.modSupport = "264";
    ExpectGame(expected);
}

TEST_F(KeyboardTest, UpInAnOddsFieldMovesTheCaretSoTypingInserts) {
    WriteGame(GameKeys{});
    RunDialog([](DialogModel& dlg) {
        FocusOn(dlg, IDC_USE_FRIGATE);
        dlg.PressKey(Tab);  // into the Frigate odds, "11" selected
        ASSERT_EQ(Focus(dlg), IDC_ODDS_FRIGATE);
        dlg.PressKey(framework::vk::Next);  // nothing in a single-line edit
        dlg.PressKey(framework::vk::Up);    // as Left: the selection goes, the caret moves one back
        dlg.PressKey('7');
        EXPECT_EQ(Text(dlg, IDC_ODDS_FRIGATE), "171");
        dlg.PressKey(Down);
        dlg.PressKey(framework::vk::Back);
        EXPECT_EQ(Text(dlg, IDC_ODDS_FRIGATE), "17");
        dlg.PressKey(Return);
    });
    GameKeys expected;
    expected.hullpercentA = PackOdds(17, 22, 33, 44);
    ExpectGame(expected);
}

TEST_F(KeyboardTest, DroppedRaceListSwitchesSetsAndEnterOrEscapeOnlyCloseIt) {
    WriteGame(GameKeys{});  // Single: Federation, Klingon; Mixed: Gorn, monster
    RunDialog([](DialogModel& dlg) {
        FocusOn(dlg, IDC_RACE_MODE);
        dlg.PressKey(F4);
        dlg.PressKey(framework::vk::Home);  // "Mixed"
        EXPECT_EQ(RaceBits(dlg), 544);
        dlg.PressKey(Return);
        EXPECT_FALSE(dlg.Ended());
        dlg.PressKey(Down, {.alt = true});
        dlg.TypeChar('s');
        EXPECT_EQ(RaceBits(dlg), 3);
        dlg.PressKey(Escape);
        EXPECT_FALSE(dlg.Ended());
        EXPECT_EQ(SelectedText(dlg, IDC_RACE_MODE), "Single");
        dlg.PressKey(Return);
        EXPECT_TRUE(dlg.Ended());
    });
    ExpectGame(GameKeys{});
}

}  // namespace
}  // namespace dialog_test

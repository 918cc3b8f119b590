// Typing into the odds fields and leaving them, with the fields attached to the running dialog.
#include <string>

#include "dialog_scenario.h"
#include "support/case_names.h"

namespace dialog_test {
namespace {

class OddsFieldTest : public DialogScenarioTest {
protected:
    void SetUp() override {
        DialogScenarioTest::SetUp();
        WriteGame(GameKeys{});
    }
    // Types into the Frigate field from empty, then leaves it with Tab.
    static std::string TypeAndLeave(DialogModel& dlg, std::string_view typed) {
        TypeInto(dlg, IDC_ODDS_FRIGATE, "");
        TypeText(dlg, typed);
        const std::string before = Text(dlg, IDC_ODDS_FRIGATE);
        dlg.PressKey(framework::vk::Tab);
        EXPECT_NE(Focus(dlg), IDC_ODDS_FRIGATE);
        return before + " -> " + Text(dlg, IDC_ODDS_FRIGATE);
    }
};

TEST_F(OddsFieldTest, LeavingTheFieldCapsAndTidiesTheNumber) {
    RunDialog([](DialogModel& dlg) {
        EXPECT_EQ(TypeAndLeave(dlg, "742"), "742 -> 100");
        EXPECT_EQ(TypeAndLeave(dlg, "101"), "101 -> 100");
        EXPECT_EQ(TypeAndLeave(dlg, "100"), "100 -> 100");
        EXPECT_EQ(TypeAndLeave(dlg, "5"), "5 -> 5");
        EXPECT_EQ(TypeAndLeave(dlg, "007"), "007 -> 7");
        EXPECT_EQ(TypeAndLeave(dlg, "050"), "050 -> 50");
        EXPECT_EQ(TypeAndLeave(dlg, "000"), "000 -> 000");
        EXPECT_EQ(TypeAndLeave(dlg, ""), " -> ");
        dlg.Click(IDCANCEL);
    });
}

TEST_F(OddsFieldTest, OnlyDigitsCanBeTyped) {
    RunDialog([](DialogModel& dlg) {
        EXPECT_EQ(TypeAndLeave(dlg, "-+., aZ5\x03\x16\x18\x1a"), "5 -> 5");
        // The limit of three characters holds for typing.
        EXPECT_EQ(TypeAndLeave(dlg, "1234"), "123 -> 100");
        // Backspace still edits.
        TypeInto(dlg, IDC_ODDS_FRIGATE, "");
        TypeText(dlg, "47\b9");
        EXPECT_EQ(Text(dlg, IDC_ODDS_FRIGATE), "49");
        dlg.Click(IDCANCEL);
    });
}

TEST_F(OddsFieldTest, ClipboardShortcutsDoNothing) {
    RunDialog([](DialogModel& dlg) {
        model::SetClipboardText("42");
        ASSERT_TRUE(dlg.SelectText(IDC_ODDS_FRIGATE, 0, -1));
        dlg.TypeChar('\x16');  // Ctrl+V
        dlg.TypeChar('\x18');  // Ctrl+X
        EXPECT_EQ(Text(dlg, IDC_ODDS_FRIGATE), "11");
        dlg.TypeChar('\x03');  // Ctrl+C
        EXPECT_EQ(model::ClipboardText(), "42");
        dlg.Click(IDCANCEL);
    });
}

struct PasteCase {
    const char* pasted;
    const char* left;
};

class OddsPasteTest : public OddsFieldTest, public ::testing::WithParamInterface<PasteCase> {};

// Text that arrives without typing is not filtered; only the rule on leaving applies.
TEST_P(OddsPasteTest, PastedTextMeetsOnlyTheLeavingRule) {
    RunDialog([](DialogModel& dlg) {
        model::SetClipboardText(GetParam().pasted);
        ASSERT_TRUE(dlg.SelectText(IDC_ODDS_FRIGATE, 0, -1));
        dlg.ContextMenuCommand(IDC_ODDS_FRIGATE, framework::wm::Paste);
        EXPECT_EQ(Text(dlg, IDC_ODDS_FRIGATE), GetParam().pasted);
        dlg.PressKey(framework::vk::Tab);
        EXPECT_EQ(Text(dlg, IDC_ODDS_FRIGATE), GetParam().left);
        dlg.Click(IDCANCEL);
    });
}

INSTANTIATE_TEST_SUITE_P(AsAtoiReadsIt, OddsPasteTest,
                         ::testing::Values(PasteCase{" 42", "42"}, PasteCase{"12a", "12"},
                                           PasteCase{"-5", "-5"}, PasteCase{"abc", "abc"},
                                           PasteCase{"+99", "99"}, PasteCase{"-99", "-99"}),
                         test_support::NameBy(&PasteCase::pasted));

TEST_F(OddsFieldTest, NegativeOddsAreStoredAsTheirByte) {
    RunDialog([](DialogModel& dlg) {
        model::SetClipboardText("-5");
        ASSERT_TRUE(dlg.SelectText(IDC_ODDS_FRIGATE, 0, -1));
        dlg.ContextMenuCommand(IDC_ODDS_FRIGATE, framework::wm::Paste);
        dlg.Click(IDOK);
    });
    GameKeys expected;
    expected.hullpercentA = PackOdds(-5, 22, 33, 44);
    ExpectGame(expected);
}

}  // namespace
}  // namespace dialog_test

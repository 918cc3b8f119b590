// The difficulty slider and the value box beside it.
#include <string>

#include "dialog_scenario.h"

namespace dialog_test {
namespace {

class SliderTest : public DialogScenarioTest {
protected:
    void Open(const char* multiplier) {
        GameKeys keys;
        keys.multiplier = multiplier;
        WriteGame(keys);
    }
    static void Focus(DialogModel& dlg) {
        ASSERT_TRUE(dlg.SetFocusTo(dlg.Control(IDC_DIFFICULTY_SLIDER)));
    }
    static std::string Value(const DialogModel& dlg) { return Text(dlg, IDC_DIFFICULTY_VALUE); }
    static int Thumb(const DialogModel& dlg) { return TrackPos(dlg, IDC_DIFFICULTY_SLIDER); }
};

TEST_F(SliderTest, ArrowStepsKeepTwoDecimalsAndTheThumbInStep) {
    Open("1.1");
    RunDialog([](DialogModel& dlg) {
        Focus(dlg);
        const char* shown[] = {"1.11", "1.12", "1.13", "1.14", "1.15", "1.16"};
        for (int step = 0; step < 6; ++step) {
            dlg.PressKey(framework::vk::Right);
            EXPECT_EQ(Value(dlg), shown[step]);
            EXPECT_EQ(Thumb(dlg), 11 + step);
        }
        dlg.PressKey(framework::vk::Left);
        EXPECT_EQ(Value(dlg), "1.15");
        dlg.PressKey(framework::vk::Next);
        EXPECT_EQ(Value(dlg), "1.25");
        dlg.PressKey(framework::vk::Prior);
        dlg.PressKey(framework::vk::Prior);
        EXPECT_EQ(Value(dlg), "1.05");
        EXPECT_EQ(Thumb(dlg), 5);
        dlg.Click(IDOK);
    });
    GameKeys expected;
    expected.multiplier = "1.05";
    ExpectGame(expected);
}

TEST_F(SliderTest, HomeEndAndTheLimits) {
    Open("2.95");
    RunDialog([](DialogModel& dlg) {
        Focus(dlg);
        dlg.PressKey(framework::vk::Next);
        EXPECT_EQ(Value(dlg), "3");
        EXPECT_EQ(Thumb(dlg), 200);
        dlg.PressKey(framework::vk::Next);
        EXPECT_EQ(Value(dlg), "3");
        dlg.PressKey(framework::vk::Right);
        EXPECT_EQ(Value(dlg), "3");
        dlg.PressKey(framework::vk::Home);
        EXPECT_EQ(Value(dlg), "0.5");
        EXPECT_EQ(Thumb(dlg), -50);
        dlg.PressKey(framework::vk::Left);
        EXPECT_EQ(Value(dlg), "0.5");
        dlg.PressKey(framework::vk::Prior);
        EXPECT_EQ(Value(dlg), "0.5");
        dlg.PressKey(framework::vk::End);
        EXPECT_EQ(Value(dlg), "3");
        EXPECT_EQ(Thumb(dlg), 200);
        dlg.Click(IDCANCEL);
    });
}

TEST_F(SliderTest, DraggingFollowsTheThumb) {
    Open("1.1");
    RunDialog([](DialogModel& dlg) {
        DragThumb(dlg, IDC_DIFFICULTY_SLIDER, {5, -20, -41});
        EXPECT_EQ(Value(dlg), "0.59");
        EXPECT_EQ(Thumb(dlg), -41);
        DragThumb(dlg, IDC_DIFFICULTY_SLIDER, {-300});
        EXPECT_EQ(Value(dlg), "0.5");
        DragThumb(dlg, IDC_DIFFICULTY_SLIDER, {150, 400});
        EXPECT_EQ(Value(dlg), "3");
        DragThumb(dlg, IDC_DIFFICULTY_SLIDER, {57});
        EXPECT_EQ(Value(dlg), "1.57");
        dlg.Click(IDOK);
    });
    GameKeys expected;
    expected.multiplier = "1.57";
    ExpectGame(expected);
}

TEST_F(SliderTest, ClickOnTheTrackPages) {
    Open("1.1");
    RunDialog([](DialogModel& dlg) {
        dlg.ClickTrack(IDC_DIFFICULTY_SLIDER, 150);
        EXPECT_EQ(Value(dlg), "1.2");
        EXPECT_EQ(Thumb(dlg), 20);
        dlg.ClickTrack(IDC_DIFFICULTY_SLIDER, -40);
        EXPECT_EQ(Value(dlg), "1.1");
        dlg.Click(IDCANCEL);
    });
}

TEST_F(SliderTest, ValueAboveTheRangeStepsBackIntoIt) {
    Open("5.0");
    RunDialog([](DialogModel& dlg) {
        EXPECT_EQ(Value(dlg), "5");
        EXPECT_EQ(Thumb(dlg), 200);
        Focus(dlg);
        dlg.PressKey(framework::vk::Right);
        EXPECT_EQ(Value(dlg), "3");
        dlg.Click(IDCANCEL);
    });
    Open("5.0");
    RunDialog([](DialogModel& dlg) {
        Focus(dlg);
        dlg.PressKey(framework::vk::Left);
        EXPECT_EQ(Value(dlg), "4.99");
        dlg.Click(IDCANCEL);
    });
    Open("5.0");
    RunDialog([](DialogModel& dlg) {
        Focus(dlg);
        dlg.PressKey(framework::vk::Prior);
        EXPECT_EQ(Value(dlg), "4.9");
        dlg.Click(IDCANCEL);
    });
}

// Values no slider position stands for: the box shows them, the keys bring them back.
TEST_F(SliderTest, NonFiniteValuesRecoverThroughTheKeys) {
    Open("1e999");
    RunDialog([](DialogModel& dlg) {
        EXPECT_EQ(Value(dlg), "inf");
        Focus(dlg);
        dlg.PressKey(framework::vk::Right);
        EXPECT_EQ(Value(dlg), "3");
        dlg.Click(IDOK);
    });
    GameKeys expected;
    expected.multiplier = "3.00";
    ExpectGame(expected);

    Open("nan");
    RunDialog([](DialogModel& dlg) {
        EXPECT_EQ(Value(dlg), "nan");
        Focus(dlg);
        dlg.PressKey(framework::vk::Home);
        EXPECT_EQ(Value(dlg), "0.5");
        dlg.Click(IDOK);
    });
    expected.multiplier = "0.50";
    ExpectGame(expected);
    EXPECT_TRUE(Boxes().empty());
}

// "-0" from a hand-edited file must not leave a value box the exchange cannot read back.
TEST_F(SliderTest, NegativeZeroOpensAndSavesAsZero) {
    Open("-0.00");
    RunDialog([](DialogModel& dlg) {
        EXPECT_EQ(Value(dlg), "0");
        dlg.Click(IDC_RACE_MODE);
        dlg.Click(IDOK);
        EXPECT_TRUE(dlg.Ended());
    });
    EXPECT_TRUE(Boxes().empty());
    GameKeys expected;
    expected.multiplier = "0.00";
    ExpectGame(expected);
}

TEST_F(SliderTest, StepsLeaveTheOtherControlsAlone) {
    Open("1.1");
    RunDialog([](DialogModel& dlg) {
        dlg.Click(IDC_RACE_ROMULAN);
        dlg.Click(IDC_USE_CARRIER);
        TypeInto(dlg, IDC_ODDS_FRIGATE, "64");
        Focus(dlg);
        dlg.PressKey(framework::vk::Right);
        EXPECT_EQ(RaceBits(dlg), 7);
        EXPECT_EQ(HullBits(dlg), 5144 - 1024);
        EXPECT_FALSE(Enabled(dlg, IDC_ODDS_CARRIER));
        EXPECT_EQ(Text(dlg, IDC_ODDS_FRIGATE), "64");
        dlg.Click(IDCANCEL);
    });
}

}  // namespace
}  // namespace dialog_test

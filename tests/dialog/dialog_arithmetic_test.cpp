// The main dialog's small pieces of arithmetic: slider position <-> multiplier, and where the
// icon of the minimised window goes.
#include <gtest/gtest.h>

#include <limits>

#include "dialog/customizer_dlg.h"

namespace {

TEST(SliderPositionTest, TruncatesTowardZeroFromTheFloat) {
    EXPECT_EQ(CCustomizerDlg::SliderPosition(1.1f), 10);
    EXPECT_EQ(CCustomizerDlg::SliderPosition(1.7f), 70);
    // Held just below the decimal value: one step toward zero.
    EXPECT_EQ(CCustomizerDlg::SliderPosition(1.15f), 14);
    EXPECT_EQ(CCustomizerDlg::SliderPosition(2.01f), 100);
    EXPECT_EQ(CCustomizerDlg::SliderPosition(0.99f), 0);
    EXPECT_EQ(CCustomizerDlg::SliderPosition(0.57f), -43);
    EXPECT_EQ(CCustomizerDlg::SliderPosition(0.5f), -50);
    EXPECT_EQ(CCustomizerDlg::SliderPosition(3.0f), 200);
}

TEST(SliderPositionTest, SaturatesOutsideTheRange) {
    constexpr float kInf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(CCustomizerDlg::SliderPosition(5.0f), 200);
    EXPECT_EQ(CCustomizerDlg::SliderPosition(1e30f), 200);
    EXPECT_EQ(CCustomizerDlg::SliderPosition(kInf), 200);
    EXPECT_EQ(CCustomizerDlg::SliderPosition(0.0f), -50);
    EXPECT_EQ(CCustomizerDlg::SliderPosition(-1e30f), -50);
    EXPECT_EQ(CCustomizerDlg::SliderPosition(-kInf), -50);
    EXPECT_EQ(CCustomizerDlg::SliderPosition(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(MultiplierFromPositionTest, IsOneHundredthPerStepAboveOne) {
    EXPECT_EQ(CCustomizerDlg::MultiplierFromPosition(-41), 0.59f);
    EXPECT_EQ(CCustomizerDlg::MultiplierFromPosition(16), 1.16f);
    EXPECT_EQ(CCustomizerDlg::MultiplierFromPosition(0), 1.0f);
    EXPECT_EQ(CCustomizerDlg::MultiplierFromPosition(-50), 0.5f);
    EXPECT_EQ(CCustomizerDlg::MultiplierFromPosition(200), 3.0f);
}

TEST(IconOffsetTest, CentresWithTheDivisionTruncatingTowardZero) {
    EXPECT_EQ(CCustomizerDlg::IconOffset(100, 32), 34);  // 69 / 2
    EXPECT_EQ(CCustomizerDlg::IconOffset(32, 32), 0);
    EXPECT_EQ(CCustomizerDlg::IconOffset(30, 32), 0);   // -1 / 2
    EXPECT_EQ(CCustomizerDlg::IconOffset(28, 32), -1);  // -3 / 2
    EXPECT_EQ(CCustomizerDlg::IconOffset(0, 32), -15);  // -31 / 2
}

TEST(IconOffsetTest, ExtremeRectanglesDoNotOverflow) {
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    EXPECT_EQ(CCustomizerDlg::IconOffset(kMax, 0), kMax / 2 + 1);
    EXPECT_EQ(CCustomizerDlg::IconOffset(kMin, 32), -(kMax / 2) - 16);
}

}  // namespace

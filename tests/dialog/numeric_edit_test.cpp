// The odds field's rules on text alone: which typed characters get through, and what leaving
// the field does to the text.
#include "app/numeric_edit.h"

#include <gtest/gtest.h>

#include <string>

#include "support/case_names.h"

namespace {

struct NormalizeCase {
    std::string in;
    std::string out;
};

class NormalizeOddsTest : public ::testing::TestWithParam<NormalizeCase> {};

TEST_P(NormalizeOddsTest, RewritesTheTextAsLeavingTheFieldDoes) {
    EXPECT_EQ(NormalizeOdds(GetParam().in), GetParam().out) << "text \"" << GetParam().in << "\"";
}

INSTANTIATE_TEST_SUITE_P(AboveOneHundredIsLowered, NormalizeOddsTest,
                         ::testing::Values(NormalizeCase{"742", "100"}, NormalizeCase{"101", "100"},
                                           NormalizeCase{"999", "100"}, NormalizeCase{"100", "100"},
                                           NormalizeCase{"5", "5"}, NormalizeCase{"99", "99"}),
                         test_support::NameBy(&NormalizeCase::in));

INSTANTIATE_TEST_SUITE_P(LeadingZerosAndJunkAreDropped, NormalizeOddsTest,
                         ::testing::Values(NormalizeCase{"007", "7"}, NormalizeCase{"050", "50"},
                                           NormalizeCase{" 42", "42"},
                                           NormalizeCase{"\t\n42", "42"},
                                           NormalizeCase{"12a", "12"}, NormalizeCase{"+7", "7"},
                                           NormalizeCase{"1 2", "1"}),
                         test_support::NameBy(&NormalizeCase::in));

INSTANTIATE_TEST_SUITE_P(ZeroLeavesTheTextAlone, NormalizeOddsTest,
                         ::testing::Values(NormalizeCase{"", ""}, NormalizeCase{"0", "0"},
                                           NormalizeCase{"00", "00"}, NormalizeCase{"000", "000"},
                                           NormalizeCase{"abc", "abc"}, NormalizeCase{" 0x", " 0x"},
                                           NormalizeCase{"-", "-"}, NormalizeCase{"-0", "-0"}),
                         test_support::NameBy(&NormalizeCase::in));

INSTANTIATE_TEST_SUITE_P(NegativesHaveNoLowerBound, NormalizeOddsTest,
                         ::testing::Values(NormalizeCase{"-5", "-5"}, NormalizeCase{"-099", "-99"},
                                           NormalizeCase{"-500", "-500"}),
                         test_support::NameBy(&NormalizeCase::in));

// Longer texts than the field takes can still be set by a program; atoi has no defined result
// for them, so they saturate: a long run of digits is "a lot", never a small or negative number.
INSTANTIATE_TEST_SUITE_P(LongDigitRunsSaturate, NormalizeOddsTest,
                         ::testing::Values(NormalizeCase{"99999999999", "100"},
                                           NormalizeCase{"4294967296", "100"},
                                           NormalizeCase{"4294967295", "100"},
                                           NormalizeCase{"2147483648", "100"},
                                           NormalizeCase{"-2147483648", "-2147483648"},
                                           NormalizeCase{"-99999999999999", "-2147483648"},
                                           NormalizeCase{"000000000000005", "5"}),
                         test_support::NameBy(&NormalizeCase::in));

TEST(OddsValueTest, IsTheNumberTheNormalisedTextShows) {
    EXPECT_EQ(OddsValue("742"), 100);
    EXPECT_EQ(OddsValue("100"), 100);
    EXPECT_EQ(OddsValue("25"), 25);
    EXPECT_EQ(OddsValue(""), 0);
    EXPECT_EQ(OddsValue("-9"), -9);
    EXPECT_EQ(OddsValue("x5"), 0);
}

// What gets through is exactly what the field's own reading of the number takes as a digit
// (a character that extends "1" to a bigger number), and the keys that edit: Backspace and Tab.
// Nothing else of the range WM_CHAR carries passes: no sign, point, letter, control code, nor the
// superscripts and other scripts' digits.
TEST(OddsCharacterTest, PassesWhatTheNumberReadingTakesAndTheEditingKeys) {
    int passed = 0;
    for (UINT c = 0; c < 0x10000; ++c) {
        const bool digit = c < 0x100 && OddsValue(std::string{'1', static_cast<char>(c)}) > 1;
        const bool editingKey = c == framework::vk::Back || c == framework::vk::Tab;
        EXPECT_EQ(IsOddsCharacter(c), digit || editingKey) << c;
        if (IsOddsCharacter(c)) ++passed;
    }
    EXPECT_EQ(passed, 12);
}

}  // namespace

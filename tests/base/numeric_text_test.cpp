// The conversions are checked against the C library in the "C" locale, which is the behaviour the
// game's own runtime shows; snprintf/strtod serve as the oracle here and nowhere else.
#include "base/numeric_text.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "support/case_names.h"
#include "support/comma_locale.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string CFormat(const char* format, double value) {
    std::array<char, 512> buffer{};
    std::snprintf(buffer.data(), buffer.size(), format, value);
    return buffer.data();
}

std::string CFormatPrecision(int precision, double value) {
    std::array<char, 512> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%.*g", precision, value);
    return buffer.data();
}

// Finite doubles of every magnitude, plus values sitting on the rounding edges of two decimals.
std::vector<double> SampleDoubles() {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  1.1,
                                  1.7,
                                  0.005,
                                  0.015,
                                  0.125,
                                  0.375,
                                  2.675,
                                  -2.675,
                                  1.005,
                                  99.995,
                                  1e-320,
                                  5e-324,
                                  1e15,
                                  1e16,
                                  1e17,
                                  1e21,
                                  1e22,
                                  1e23,
                                  1e300,
                                  -1e308,
                                  0.5,
                                  -0.5,
                                  1.0 / 3,
                                  2.0 / 3,
                                  123456.7,
                                  1e6,
                                  1234567,
                                  1e-5,
                                  1e-4,
                                  0.0001234,
                                  std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::min(),
                                  std::numeric_limits<double>::denorm_min(),
                                  static_cast<double>(1.1f),
                                  static_cast<double>(1.15f),
                                  static_cast<double>(std::numeric_limits<float>::max())};
    std::mt19937_64 random(20240611);
    for (int i = 0; i < 3000; ++i) {
        const double any = std::bit_cast<double>(random());
        if (std::isfinite(any)) values.push_back(any);
    }
    std::uniform_int_distribution<long long> cents(-1'000'000, 1'000'000);
    for (int i = 0; i < 3000; ++i) {
        // Exact halves of a cent and their neighbours test the rounding of the last digit.
        const double half = (static_cast<double>(cents(random)) + 0.5) / 100.0;
        values.push_back(half);
        values.push_back(std::nextafter(half, kInf));
        values.push_back(std::nextafter(half, -kInf));
    }
    std::uniform_real_distribution<double> moderate(-1e9, 1e9);
    for (int i = 0; i < 3000; ++i) values.push_back(moderate(random));
    return values;
}

TEST(FormatFixed2, MatchesPrintfForFiniteValues) {
    for (double value : SampleDoubles()) {
        ASSERT_EQ(base::FormatFixed2(value), CFormat("%1.2f", value)) << std::hexfloat << value;
    }
}

TEST(FormatFixed2, NonFiniteValuesAsGlibcPrintsThem) {
    EXPECT_EQ(base::FormatFixed2(kInf), "inf");
    EXPECT_EQ(base::FormatFixed2(-kInf), "-inf");
    EXPECT_EQ(base::FormatFixed2(kNaN), "nan");
    EXPECT_EQ(base::FormatFixed2(-kNaN), "-nan");
}

TEST(FormatFixed2, KnownTexts) {
    EXPECT_EQ(base::FormatFixed2(static_cast<double>(1.1f)), "1.10");
    EXPECT_EQ(base::FormatFixed2(2.0), "2.00");
    EXPECT_EQ(base::FormatFixed2(-0.5), "-0.50");
    EXPECT_EQ(base::FormatFixed2(1e20), "100000000000000000000.00");
}

TEST(FormatGeneral, MatchesPrintfForEveryPrecision) {
    const std::vector<double> values = SampleDoubles();
    for (int precision : {0, 1, 2, 6, 9, 15, 17, 25}) {
        for (std::size_t i = 0; i < values.size(); i += 3) {
            ASSERT_EQ(base::FormatGeneral(values[i], precision),
                      CFormatPrecision(precision, values[i]))
                << std::hexfloat << values[i] << " precision " << precision;
        }
    }
}

TEST(FormatGeneral, KnownTexts) {
    EXPECT_EQ(base::FormatGeneral(1.1, 6), "1.1");
    EXPECT_EQ(base::FormatGeneral(3.0, 6), "3");
    EXPECT_EQ(base::FormatGeneral(1e6, 6), "1e+06");
    EXPECT_EQ(base::FormatGeneral(static_cast<double>(0.59f), 6), "0.59");
    EXPECT_EQ(base::FormatGeneral(-0.0, 6), "-0");
    EXPECT_EQ(base::FormatGeneral(1.5, -1), "1.5");  // negative precision: as if none
    EXPECT_EQ(base::FormatGeneral(kInf, 6), "inf");
    EXPECT_EQ(base::FormatGeneral(-kNaN, 6), "-nan");
}

TEST(FormatInt, Extremes) {
    EXPECT_EQ(base::FormatInt(0), "0");
    EXPECT_EQ(base::FormatInt(-1), "-1");
    EXPECT_EQ(base::FormatInt(std::numeric_limits<std::int32_t>::min()), "-2147483648");
    EXPECT_EQ(base::FormatInt(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
    EXPECT_EQ(base::FormatInt(std::numeric_limits<std::int64_t>::max()), "9223372036854775807");
}

struct IntCase {
    const char* text;
    std::int32_t expected;
};

class ParseIntWrappingTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(ParseIntWrappingTest, Converts) {
    EXPECT_EQ(base::ParseIntWrapping(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseIntWrappingTest,
    ::testing::Values(IntCase{"0", 0}, IntCase{"42", 42}, IntCase{"-42", -42}, IntCase{"+7", 7},
                      IntCase{" \t\n\v\f\r12", 12}, IntCase{"12abc", 12}, IntCase{"abc", 0},
                      IntCase{"", 0}, IntCase{"-", 0}, IntCase{"+-3", 0}, IntCase{"- 3", 0},
                      IntCase{"2147483647", 2147483647},
                      IntCase{"2147483648", std::numeric_limits<std::int32_t>::min()},
                      IntCase{"4294967295", -1}, IntCase{"4294967296", 0}, IntCase{"4294967297", 1},
                      IntCase{"-2147483649", 2147483647}, IntCase{"-4294967295", 1},
                      // 10^30 mod 2^32 = 1073741824
                      IntCase{"1000000000000000000000000000000", 1073741824},
                      IntCase{"123456789012345678901234567890", 1312754386},
                      IntCase{"-123456789012345678901234567890", -1312754386}, IntCase{"1e999", 1},
                      IntCase{"-1e30", -1}, IntCase{"nan", 0}, IntCase{"inf", 0},
                      IntCase{"16.9", 16}, IntCase{"-9.5", -9},
                      IntCase{"\xA0"
                              "5",
                              0}),
    test_support::NameBy(&IntCase::text, true));

TEST(ParseDouble, MatchesStrtodOnPrintedValues) {
    for (double value : SampleDoubles()) {
        for (const char* format : {"%.17g", "%.6e", "%.3f", "%.1f"}) {
            const std::string text = CFormat(format, value);
            std::size_t consumed = 0;
            const double parsed = base::ParseDouble(text, &consumed);
            char* end = nullptr;
            const double expected = std::strtod(text.c_str(), &end);
            ASSERT_EQ(std::bit_cast<std::uint64_t>(parsed), std::bit_cast<std::uint64_t>(expected))
                << text;
            ASSERT_EQ(consumed, static_cast<std::size_t>(end - text.c_str())) << text;
        }
    }
}

TEST(ParseDouble, MatchesStrtodOnRandomDigitStrings) {
    std::mt19937 random(77);
    // Hexadecimal text is not taken (only "0" of "0x1" is a number), so no 'x' here.
    const std::string alphabet = "0123456789.eE+- a";
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 24);
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        for (int n = length(random); n > 0; --n) text.push_back(alphabet[pick(random)]);
        std::size_t consumed = 0;
        const double parsed = base::ParseDouble(text, &consumed);
        char* end = nullptr;
        double expected = std::strtod(text.c_str(), &end);
        // Without a number some runtimes give -0.0 for a leading '-'; ours is always +0.0.
        if (end == text.c_str()) expected = 0.0;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(parsed), std::bit_cast<std::uint64_t>(expected))
            << '"' << text << '"';
        ASSERT_EQ(consumed, static_cast<std::size_t>(end - text.c_str())) << '"' << text << '"';
    }
}

struct DoubleCase {
    const char* text;
    double expected;
    std::size_t consumed;
};

class ParseDoubleTest : public ::testing::TestWithParam<DoubleCase> {};

TEST_P(ParseDoubleTest, Converts) {
    const DoubleCase& c = GetParam();
    std::size_t consumed = 99;
    const double parsed = base::ParseDouble(c.text, &consumed);
    if (std::isnan(c.expected)) {
        EXPECT_TRUE(std::isnan(parsed)) << c.text;
        EXPECT_EQ(std::signbit(parsed), std::signbit(c.expected)) << c.text;
    } else {
        EXPECT_EQ(std::bit_cast<std::uint64_t>(parsed), std::bit_cast<std::uint64_t>(c.expected))
            << c.text << " gave " << parsed;
    }
    EXPECT_EQ(consumed, c.consumed) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseDoubleTest,
    ::testing::Values(
        DoubleCase{"1.1", 1.1, 3}, DoubleCase{"  +2", 2.0, 4}, DoubleCase{"-9.5", -9.5, 4},
        DoubleCase{"16.9xyz", 16.9, 4}, DoubleCase{".5", 0.5, 2}, DoubleCase{"5.", 5.0, 2},
        DoubleCase{"1e3", 1000.0, 3}, DoubleCase{"1e", 1.0, 1}, DoubleCase{"1e+", 1.0, 1},
        DoubleCase{"abc", 0.0, 0}, DoubleCase{"", 0.0, 0}, DoubleCase{".", 0.0, 0},
        DoubleCase{"-", 0.0, 0}, DoubleCase{"+-1", 0.0, 0}, DoubleCase{"--1", 0.0, 0},
        DoubleCase{"+.e1", 0.0, 0}, DoubleCase{"1,5", 1.0, 1}, DoubleCase{"nan", kNaN, 3},
        DoubleCase{"-NaN", -kNaN, 4}, DoubleCase{"nan(123)", kNaN, 8},
        DoubleCase{"nan(12", kNaN, 3}, DoubleCase{"inf", kInf, 3}, DoubleCase{"-INF", -kInf, 4},
        DoubleCase{"+Infinity!", kInf, 9}, DoubleCase{"infinit", kInf, 3},
        DoubleCase{"1e999", kInf, 5}, DoubleCase{"-1e999", -kInf, 6},
        DoubleCase{"1e99999999999999999999999", kInf, 25}, DoubleCase{"0.000001e309", 1e303, 12},
        DoubleCase{"1e-999", 0.0, 6}, DoubleCase{"-1e-999", -0.0, 7},
        DoubleCase{"30e-325", 5e-324, 7}, DoubleCase{"0.00001e-319", 0.0, 12},
        DoubleCase{"4.9e-324", 5e-324, 8}, DoubleCase{"-1e30", -1e30, 5},
        DoubleCase{"0x10", 0.0, 1}),
    test_support::NameBy(&DoubleCase::text, true));

TEST(NarrowToFloat, SaturatesAndKeepsSpecialValues) {
    const float maxFloat = std::numeric_limits<float>::max();
    EXPECT_EQ(base::NarrowToFloat(1.1), 1.1f);
    EXPECT_EQ(base::NarrowToFloat(static_cast<double>(maxFloat)), maxFloat);
    EXPECT_EQ(base::NarrowToFloat(std::nextafter(0x1.ffffffp127, 0.0)), maxFloat);
    EXPECT_EQ(base::NarrowToFloat(0x1.ffffffp127), std::numeric_limits<float>::infinity());
    EXPECT_EQ(base::NarrowToFloat(1e39), std::numeric_limits<float>::infinity());
    EXPECT_EQ(base::NarrowToFloat(-1e30), -1e30f);
    EXPECT_EQ(base::NarrowToFloat(-1e300), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(base::NarrowToFloat(1e-50), 0.0f);
    EXPECT_TRUE(std::isnan(base::NarrowToFloat(kNaN)));
}

TEST(TruncateToInt32Bits, LowBitsOfTheTruncatedValue) {
    EXPECT_EQ(base::TruncateToInt32Bits(16.9), 16);
    EXPECT_EQ(base::TruncateToInt32Bits(-9.5), -9);
    EXPECT_EQ(base::TruncateToInt32Bits(-0.99), 0);
    EXPECT_EQ(base::TruncateToInt32Bits(2147483648.0), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(base::TruncateToInt32Bits(4294967295.0), -1);
    EXPECT_EQ(base::TruncateToInt32Bits(4294967296.0), 0);
    EXPECT_EQ(base::TruncateToInt32Bits(4294967297.9), 1);
    EXPECT_EQ(base::TruncateToInt32Bits(-4294967297.0), -1);
    EXPECT_EQ(base::TruncateToInt32Bits(0x1p52 + 5.0), 5);
    EXPECT_EQ(base::TruncateToInt32Bits(-1e30), 0);  // 1e30 as a double is a multiple of 2^47
    EXPECT_EQ(base::TruncateToInt32Bits(1e300), 0);
    EXPECT_EQ(base::TruncateToInt32Bits(kInf), 0);
    EXPECT_EQ(base::TruncateToInt32Bits(-kInf), 0);
    EXPECT_EQ(base::TruncateToInt32Bits(kNaN), 0);
}

TEST(SaturatingTruncate, ClampsToTheRange) {
    EXPECT_EQ(base::SaturatingTruncate(14.99, -50, 200), 14);
    EXPECT_EQ(base::SaturatingTruncate(-43.7, -50, 200), -43);
    EXPECT_EQ(base::SaturatingTruncate(1e300, -50, 200), 200);
    EXPECT_EQ(base::SaturatingTruncate(-kInf, -50, 200), -50);
    EXPECT_EQ(base::SaturatingTruncate(kNaN, -50, 200), 0);
    EXPECT_EQ(base::SaturatingTruncate(3e9, std::numeric_limits<int>::min(),
                                       std::numeric_limits<int>::max()),
              std::numeric_limits<int>::max());
}

// A front end may switch the process to the user's locale; none of the results may change.
class CommaLocaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!m_locale.Active()) GTEST_SKIP() << "no locale with a comma decimal separator";
    }
    ScopedCommaLocale m_locale;
};

TEST_F(CommaLocaleTest, ResultsDoNotChange) {
    // Sanity check that the switch took effect for the C library.
    EXPECT_EQ(CFormat("%1.2f", 1.5), "1,50");

    EXPECT_EQ(base::FormatFixed2(1.5), "1.50");
    EXPECT_EQ(base::FormatFixed2(static_cast<double>(1.1f)), "1.10");
    EXPECT_EQ(base::FormatFixed2(-1234567.125), "-1234567.12");
    EXPECT_EQ(base::FormatGeneral(0.59, 6), "0.59");
    EXPECT_EQ(base::FormatGeneral(1234567.0, 6), "1.23457e+06");
    EXPECT_EQ(base::FormatInt(-1234567), "-1234567");
    std::size_t consumed = 0;
    EXPECT_EQ(base::ParseDouble("1.75", &consumed), 1.75);
    EXPECT_EQ(consumed, 4u);
    EXPECT_EQ(base::ParseDouble("1,75", &consumed), 1.0);
    EXPECT_EQ(consumed, 1u);
    EXPECT_EQ(base::ParseIntWrapping("1.234"), 1);
}

}  // namespace

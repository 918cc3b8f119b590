#include "base/numeric_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "base/ascii_case.h"

namespace base {
namespace {

// The blanks of C isspace in the "C" locale.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t SkipBlanks(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    return pos;
}

// from_chars reports out-of-range without a value; strtod saturates instead. Decides the
// direction from the decimal exponent of the first significant digit of the matched number
// (which is known not to be zero, or it would have been in range).
bool MagnitudeOverflows(std::string_view number) {
    std::size_t pos = 0;
    long long pointExponent = 0;  // position of the first significant digit relative to the point
    bool seenPoint = false;
    bool seenSignificant = false;
    for (; pos < number.size(); ++pos) {
        const char c = number[pos];
        if (c == '.') {
            seenPoint = true;
        } else if (IsDigit(c)) {
            if (!seenSignificant && c != '0') seenSignificant = true;
            if (seenSignificant && !seenPoint) ++pointExponent;
            if (!seenSignificant && seenPoint) --pointExponent;
        } else {
            break;
        }
    }
    long long exponent = 0;
    if (pos < number.size() && (number[pos] == 'e' || number[pos] == 'E')) {
        ++pos;
        bool negative = false;
        if (pos < number.size() && (number[pos] == '+' || number[pos] == '-')) {
            negative = number[pos] == '-';
            ++pos;
        }
        constexpr long long kCap = 1'000'000'000'000LL;  // far beyond any double exponent
        for (; pos < number.size() && IsDigit(number[pos]); ++pos) {
            if (exponent < kCap) exponent = exponent * 10 + (number[pos] - '0');
        }
        if (negative) exponent = -exponent;
    }
    return pointExponent + exponent > 0;
}

// The parts of an atoi-style integer: the sign and the run of digits after the blanks.
struct IntegerText {
    bool negative = false;
    std::string_view digits;
};

IntegerText ScanInteger(std::string_view text) {
    std::size_t pos = SkipBlanks(text);
    IntegerText number;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        number.negative = text[pos] == '-';
        ++pos;
    }
    std::size_t end = pos;
    while (end < text.size() && IsDigit(text[end])) ++end;
    number.digits = text.substr(pos, end - pos);
    return number;
}

template <typename Format>
std::string ToCharsGrowing(Format format) {
    std::string out(64, '\0');
    for (;;) {
        const std::to_chars_result result = format(out.data(), out.data() + out.size());
        if (result.ec == std::errc()) {
            out.resize(static_cast<std::size_t>(result.ptr - out.data()));
            return out;
        }
        out.resize(out.size() * 2);
    }
}

}  // namespace

std::int32_t ParseIntWrapping(std::string_view text) {
    const IntegerText number = ScanInteger(text);
    std::uint32_t value = 0;
    for (const char digit : number.digits) {
        value = value * 10u + static_cast<std::uint32_t>(digit - '0');
    }
    if (number.negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
}

int ParseIntSaturating(std::string_view text) {
    const IntegerText number = ScanInteger(text);
    constexpr long long kCap = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
    long long magnitude = 0;
    for (const char digit : number.digits) {
        magnitude = std::min(magnitude * 10 + (digit - '0'), kCap);
    }
    if (number.negative) return static_cast<int>(-magnitude);
    return static_cast<int>(std::min<long long>(magnitude, std::numeric_limits<int>::max()));
}

double ParseDouble(std::string_view text, std::size_t* consumed) {
    if (consumed) *consumed = 0;
    std::size_t pos = SkipBlanks(text);
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::string_view rest = text.substr(pos);
    const double sign = negative ? -1.0 : 1.0;

    if (StartsWithNoCase(rest, "inf")) {
        const std::size_t length = StartsWithNoCase(rest, "infinity") ? 8 : 3;
        if (consumed) *consumed = pos + length;
        return sign * std::numeric_limits<double>::infinity();
    }
    if (StartsWithNoCase(rest, "nan")) {
        std::size_t length = 3;
        // "nan(chars)" as strtod takes it; an unclosed parenthesis is not part of the number.
        if (length < rest.size() && rest[length] == '(') {
            std::size_t end = length + 1;
            while (end < rest.size() &&
                   (IsDigit(rest[end]) || rest[end] == '_' ||
                    (AsciiLower(rest[end]) >= 'a' && AsciiLower(rest[end]) <= 'z'))) {
                ++end;
            }
            if (end < rest.size() && rest[end] == ')') length = end + 1;
        }
        if (consumed) *consumed = pos + length;
        return std::copysign(std::numeric_limits<double>::quiet_NaN(), sign);
    }

    // from_chars would take a second sign; only a digit or a point may follow ours.
    if (rest.empty() || !(IsDigit(rest[0]) || rest[0] == '.')) return 0.0;

    double value = 0.0;
    const char* begin = rest.data();
    const std::from_chars_result result =
        std::from_chars(begin, begin + rest.size(), value, std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) return 0.0;
    const auto length = static_cast<std::size_t>(result.ptr - begin);
    if (result.ec == std::errc::result_out_of_range) {
        value = MagnitudeOverflows(rest.substr(0, length)) ? std::numeric_limits<double>::infinity()
                                                           : 0.0;
    }
    if (consumed) *consumed = pos + length;
    return negative ? -value : value;
}

float NarrowToFloat(double value) {
    // Round-to-nearest carries everything from FLT_MAX plus half an ulp upwards to infinity.
    constexpr double kOverflow = 0x1.ffffffp127;
    if (std::isnan(value)) return static_cast<float>(value);
    if (value >= kOverflow) return std::numeric_limits<float>::infinity();
    if (value <= -kOverflow) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

std::int32_t TruncateToInt32Bits(double value) {
    if (!std::isfinite(value)) return 0;
    constexpr double kTwo32 = 4294967296.0;
    // fmod is exact, so this is the integer's residue modulo 2^32 for any magnitude.
    double residue = std::fmod(std::trunc(value), kTwo32);
    if (residue < 0) residue += kTwo32;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(residue));
}

int SaturatingTruncate(double value, int lowest, int highest) {
    if (std::isnan(value)) return 0;
    const double truncated = std::trunc(value);
    if (truncated <= static_cast<double>(lowest)) return lowest;
    if (truncated >= static_cast<double>(highest)) return highest;
    return static_cast<int>(truncated);
}

std::string FormatInt(std::int64_t value) {
    char buffer[24];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string FormatFixed2(double value) {
    return ToCharsGrowing([value](char* first, char* last) {
        return std::to_chars(first, last, value, std::chars_format::fixed, 2);
    });
}

std::string FormatGeneral(double value, int precision) {
    // printf takes a negative precision as if none was given.
    const int effective = precision < 0 ? 6 : precision;
    return ToCharsGrowing([value, effective](char* first, char* last) {
        return std::to_chars(first, last, value, std::chars_format::general, effective);
    });
}

}  // namespace base

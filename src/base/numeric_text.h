#pragma once
// Locale-independent conversions between numbers and text.
//
// The game reads its files with the C runtime in the "C" locale, so "1.70" must stay "1.70"
// whatever locale a front end (Qt adopts the user's) has switched the process to. Nothing here
// calls strtod, atof, printf or anything else that consults the process locale.
#include <cstdint>
#include <string>
#include <string_view>

namespace base {

// atoi-style: leading blanks (space, \t, \n, \v, \f, \r), one optional '+' or '-', then decimal
// digits up to the first other character. Digits accumulate modulo 2^32, so "4294967295" gives -1
// and any length of digits is defined. No digits gives 0.
std::int32_t ParseIntWrapping(std::string_view text);

// The same reading, but a run of digits beyond the int range saturates at its nearer end
// instead of wrapping (atoi itself has no defined result there).
int ParseIntSaturating(std::string_view text);

// atof-style: leading blanks, then the longest prefix that forms a decimal floating-point number
// (sign, digits, point, exponent), or "inf"/"infinity"/"nan" in any case. No number gives 0.0.
// Out-of-range text saturates as strtod does: "1e999" is +inf, "1e-999" is 0.
// `consumed`, when given, receives the number of characters used including the leading blanks
// (0 when no number was found).
double ParseDouble(std::string_view text, std::size_t* consumed = nullptr);

// double -> float without undefined behaviour: values beyond the float range become +-inf,
// NaN stays NaN.
float NarrowToFloat(double value);

// Truncation toward zero, then the low 32 bits of that integer taken exactly, as a two's
// complement 32-bit value: 16.9 -> 16, -9.5 -> -9, 4294967296.0 -> 0, 4294967295.0 -> -1.
// NaN and +-inf give 0.
std::int32_t TruncateToInt32Bits(double value);

// Saturating conversion to int, truncating toward zero; NaN gives 0.
int SaturatingTruncate(double value, int lowest, int highest);

// printf "%d".
std::string FormatInt(std::int64_t value);

// printf "%1.2f" of a double: "1.10", "-0.50", "inf", "-inf", "nan".
std::string FormatFixed2(double value);

// printf "%.*g" with the given precision: 1.1 -> "1.1", 3.0 -> "3", 1e6 -> "1e+06".
std::string FormatGeneral(double value, int precision);

}  // namespace base

#include "base/windows_1252.h"

#include <array>
#include <cstddef>

namespace base {

namespace {
// 0x80..0x9F; the undefined bytes map to themselves.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
}  // namespace

char16_t DecodeWindows1252(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80u] : static_cast<char16_t>(byte);
}

char EncodeWindows1252(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
    // Nothing in the table is above U+2122 (the trade mark sign): most text of other scripts
    // needs no search.
    if (unit > 0x2122) return '?';
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == unit) return static_cast<char>(0x80 + i);
    }
    return '?';
}

}  // namespace base

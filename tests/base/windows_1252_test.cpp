// The code page both ways, over every byte and every UTF-16 unit: each byte comes back as itself,
// and a unit the code page has no byte for becomes '?'.
#include "base/windows_1252.h"

#include <gtest/gtest.h>

namespace {

TEST(Windows1252, EveryByteAndUnitRoundTrips) {
    for (unsigned byte = 0; byte < 256; ++byte) {
        const char16_t unit = base::DecodeWindows1252(static_cast<unsigned char>(byte));
        EXPECT_EQ(static_cast<unsigned char>(base::EncodeWindows1252(unit)), byte) << byte;
    }
    int mapped = 0;
    for (unsigned unit = 0; unit <= 0xFFFF; ++unit) {
        const char c = base::EncodeWindows1252(static_cast<char16_t>(unit));
        const char16_t back = base::DecodeWindows1252(static_cast<unsigned char>(c));
        if (back == unit) {
            ++mapped;
        } else {
            EXPECT_EQ(c, '?') << unit;
        }
    }
    EXPECT_EQ(mapped, 256);
}

}  // namespace

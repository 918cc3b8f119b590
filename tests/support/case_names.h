#pragma once
// Readable names for parameterised cases, so that test listings and CTest show what a case is
// instead of the bytes of its parameter.
#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace test_support {

// `text` as a test-name part: letters and digits kept, a few signs spelled out, blanks and other
// punctuation as one '_', other bytes in hex ("-5" -> "minus5", "1.1" -> "1_1", "" -> "empty").
inline std::string CaseName(std::string_view text, std::size_t maxLength = 48) {
    std::string name;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            name += c;
        } else if (c == '-') {
            name += "minus";
        } else if (c == '+') {
            name += "plus";
        } else if (byte >= 0x20 && byte < 0x7F) {
            if (name.empty() || name.back() != '_') name += '_';
        } else {
            static constexpr char kHex[] = "0123456789ABCDEF";
            name += 'x';
            name += kHex[byte >> 4];
            name += kHex[byte & 0xF];
        }
    }
    if (name.empty()) name = "empty";
    if (name.size() > maxLength) name.resize(maxLength);
    return name;
}

// A name generator for INSTANTIATE_TEST_SUITE_P: `describe` (a function or a data member of the
// parameter) gives the text; the case's index is added in front only when `numbered` is set, for
// suites whose texts may repeat or be cut short.
template <class Describe>
auto NameBy(Describe describe, bool numbered = false) {
    return [describe, numbered](const auto& info) {
        const std::string name = CaseName(std::string_view(std::invoke(describe, info.param)));
        return numbered ? std::to_string(info.index) + "_" + name : name;
    };
}

}  // namespace test_support

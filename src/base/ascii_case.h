#pragma once
// Case rules of the names the program compares (profile keys, resource-script keywords, window
// classes, launcher keys, file names): ASCII letters only, never the process locale, whose
// std::tolower would fold the upper half of an 8-bit code page too.
#include <algorithm>
#include <string_view>

namespace base {

constexpr char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return prefix.size() <= text.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

constexpr bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

}  // namespace base

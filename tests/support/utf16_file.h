#pragma once
// The bytes of a profile file saved as "Unicode": the UTF-16LE mark FF FE, then the text.
#include <string>
#include <string_view>

inline std::string Utf16File(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

// The same for text of ASCII and Latin-1 bytes, one character each.
inline std::string Utf16File(std::string_view latin1) {
    std::u16string text;
    for (char c : latin1) text.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return Utf16File(std::u16string_view(text));
}

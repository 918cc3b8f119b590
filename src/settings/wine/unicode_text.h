#pragma once
// UTF-8 / UTF-16 conversions and the case folding used to compare registry and file names the
// way Wine does (names are case-insensitive, non-ASCII included).
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace settings::wine {

// Decodes the UTF-8 sequence at `pos` and moves `pos` past it. An invalid or truncated sequence
// (overlong forms and encoded surrogates included) gives nullopt and moves `pos` by one byte.
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& pos);

// Appends the UTF-8 form of a code point; surrogates and values beyond U+10FFFF become U+FFFD.
void AppendUtf8(std::string& out, char32_t codePoint);

// Appends a code point as UTF-16 (a surrogate pair beyond the BMP).
void AppendUtf16(std::u16string& out, char32_t codePoint);

// UTF-16 code units to UTF-8; surrogate pairs are joined, lone surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view units);

// Simple case folding: ASCII, Latin-1, Latin Extended-A, basic Greek and Cyrillic.
char32_t FoldCodePoint(char32_t codePoint);

// Folds a UTF-8 string; bytes that are not valid UTF-8 are kept unchanged.
std::string FoldCase(std::string_view text);

// Case-insensitive equality of two UTF-8 names under FoldCase.
bool EqualsFolded(std::string_view a, std::string_view b);

}  // namespace settings::wine

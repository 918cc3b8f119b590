#pragma once
// The resource-script reader's view of the text: tokens, values, read positions, and the small
// character and error helpers every stage shares. Internal to rcscript/.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/ascii_case.h"

namespace rcscript {

// What <winres.h> and the headers it pulls in define (builtins.cpp), or nothing.
std::optional<std::int64_t> Builtin(std::string_view name);

inline std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = base::AsciiUpper(c);
    return out;
}

using base::EqualsNoCase;

inline bool IsIdentStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
inline bool IsIdentChar(char c) {
    return IsIdentStart(c) || IsDigit(c);
}
inline bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

inline int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

inline std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

inline std::string Hex(std::uint32_t value) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), kDigits[value & 0xFu]);
        value >>= 4;
    } while (value != 0);
    return "0x" + out;
}

inline std::string Decimal(std::int64_t value) {
    return std::to_string(value);
}

enum class Kind { Ident, Number, String, Punct };

struct Token {
    Kind kind = Kind::Punct;
    std::string text;  // identifier spelling, punctuator, or the string's bytes
    std::int64_t value = 0;
    bool isLong = false;  // number with an L suffix: 32 bits in raw data
    bool wide = false;    // L"..."
    int line = 0;
    const char* source = "";
};

// Where an error is reported: "resource script line 12".
inline std::string Where(const char* source, int line) {
    return std::string(source) + " line " + Decimal(line);
}

[[noreturn]] inline void FailAt(const char* source, int line, const std::string& message) {
    throw std::runtime_error(Where(source, line) + ": " + message);
}

inline std::string Describe(const Token& t) {
    switch (t.kind) {
        case Kind::String:
            return "string \"" + t.text + "\"";
        case Kind::Number:
        case Kind::Ident:
        case Kind::Punct:
            break;
    }
    return "'" + t.text + "'";
}

struct Value {
    std::int64_t v = 0;
    bool isLong = false;
};

struct StyleMask {
    std::uint32_t on = 0;
    std::uint32_t off = 0;  // NOT terms
};

// A read position in a token list; `endLine` names the place of an unexpected end.
struct Cursor {
    const std::vector<Token>* tokens = nullptr;
    std::size_t pos = 0;
    const char* source = "";
    int endLine = 0;

    const Token* Peek() const { return pos < tokens->size() ? &(*tokens)[pos] : nullptr; }
};

inline std::uint32_t Low32(std::int64_t v) {
    return static_cast<std::uint32_t>(v & 0xFFFFFFFF);
}

}  // namespace rcscript

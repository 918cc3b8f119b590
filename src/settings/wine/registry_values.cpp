#include "settings/wine/registry_values.h"

#include "settings/wine/unicode_text.h"

namespace settings::wine::registry_text {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::string_view SkipBlanks(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    return text.substr(i);
}

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The C escapes Wine writes for control characters.
constexpr std::string_view kControlLetters = "abtnvfre";
constexpr char16_t kControlCodes[] = {u'\a', u'\b', u'\t', u'\n', u'\v', u'\f', u'\r', u'\x1b'};

}  // namespace

// Unescapes text up to the first unescaped `delimiter`. Returns the bytes consumed including
// the delimiter, or kMissing when the line ends first.
std::size_t ParseEscaped(std::string_view src, char delimiter, std::u16string& out) {
    out.clear();
    std::size_t i = 0;
    while (i < src.size() && src[i] != delimiter) {
        // Plain ASCII up to the next backslash or delimiter, in one go.
        const char* const from = src.data() + i;
        const char* const end = src.data() + src.size();
        const char* run = from;
        while (run != end && *run != delimiter && *run != '\\' &&
               static_cast<unsigned char>(*run) < 0x80U) {
            ++run;
        }
        if (run != from) {
            const std::size_t had = out.size();
            out.resize(had + static_cast<std::size_t>(run - from));
            std::copy(from, run, out.data() + had);
            i += static_cast<std::size_t>(run - from);
            continue;
        }
        const auto byte = static_cast<unsigned char>(src[i]);
        if (byte == '\\') {
            ++i;
            if (i >= src.size()) return kMissing;
            const char escaped = src[i];
            if (const std::size_t control = kControlLetters.find(escaped);
                control != std::string_view::npos) {
                out.push_back(kControlCodes[control]);
                ++i;
                continue;
            }
            if (escaped == 'x') {
                // One to four hex digits, greedily: one UTF-16 code unit.
                ++i;
                unsigned value = 0;
                int digits = 0;
                while (digits < 4 && i < src.size() && HexDigit(src[i]) >= 0) {
                    value = value * 16 + static_cast<unsigned>(HexDigit(src[i]));
                    ++i;
                    ++digits;
                }
                out.push_back(digits == 0 ? u'x' : static_cast<char16_t>(value));
                continue;
            }
            if (escaped >= '0' && escaped <= '7') {
                unsigned value = 0;
                int digits = 0;
                while (digits < 3 && i < src.size() && src[i] >= '0' && src[i] <= '7') {
                    value = value * 8 + static_cast<unsigned>(src[i] - '0');
                    ++i;
                    ++digits;
                }
                out.push_back(static_cast<char16_t>(value));
                continue;
            }
            if (static_cast<unsigned char>(escaped) < 0x80U) {
                out.push_back(static_cast<char16_t>(escaped));  // \\ \" \] \[ and any other
                ++i;
                continue;
            }
            // A backslash before a multi-byte character stands for that character.
        }
        if (static_cast<unsigned char>(src[i]) < 0x80U) {
            out.push_back(static_cast<char16_t>(src[i]));
            ++i;
        } else if (const auto codePoint = DecodeUtf8(src, i)) {
            AppendUtf16(out, *codePoint);
        }
        // Invalid UTF-8 bytes are dropped (DecodeUtf8 has stepped over them).
    }
    if (i >= src.size()) return kMissing;
    return i + 1;
}

namespace {

std::vector<std::uint8_t> Utf16LeBytes(std::u16string_view text, bool withNul) {
    std::vector<std::uint8_t> bytes((text.size() + (withNul ? 1 : 0)) * 2);  // zeros: the NUL
    std::uint8_t* out = bytes.data();
    for (const char16_t unit : text) {
        *out++ = static_cast<std::uint8_t>(unit & 0xFFU);
        *out++ = static_cast<std::uint8_t>(unit >> 8);
    }
    return bytes;
}

// Comma-separated hex bytes; a backslash after the list continues it on the next line, whose
// leading blanks are skipped. An empty list is valid. A list on the file's unfinished last line
// is refused: it may have lost bytes, and nothing in it would tell.
bool ParseHexList(std::string_view rest, LineReader& lines, std::vector<std::uint8_t>& data) {
    for (;;) {
        if (data.empty()) data.reserve(rest.size() / 3 + 1);  // "xx," a byte
        const char* p = rest.data();
        const char* const end = p + rest.size();
        while (p != end && HexDigit(*p) >= 0) {
            unsigned value = 0;
            while (p != end && HexDigit(*p) >= 0) {
                value = value * 16 + static_cast<unsigned>(HexDigit(*p));
                if (value > 0xFFU) return false;
                ++p;
            }
            data.push_back(static_cast<std::uint8_t>(value));
            while (p != end && IsBlank(*p)) ++p;
            if (p != end && *p == ',') ++p;
            while (p != end && IsBlank(*p)) ++p;
        }
        if (p != end && *p == '\\') {
            std::string_view next;
            if (!lines.Next(next)) return false;  // cut off inside the list
            rest = SkipBlanks(next);
            continue;
        }
        return p == end && lines.LastLineEnded();
    }
}

// "hex(N):" — N is the type in hex.
bool ParseHexType(std::string_view& rest, std::uint32_t& type) {
    std::size_t i = 0;
    std::uint64_t value = 0;
    while (i < rest.size() && HexDigit(rest[i]) >= 0) {
        value = value * 16 + static_cast<std::uint64_t>(HexDigit(rest[i]));
        if (value > 0xFFFFFFFFU) return false;
        ++i;
    }
    if (i == 0 || rest.substr(i, 2) != "):") return false;
    type = static_cast<std::uint32_t>(value);
    rest.remove_prefix(i + 2);
    return true;
}

bool ParseDword(std::string_view rest, std::vector<std::uint8_t>& data) {
    std::size_t i = 0;
    std::uint32_t value = 0;
    while (i < rest.size() && HexDigit(rest[i]) >= 0) {
        if (i == 8) return false;
        value = value * 16 + static_cast<std::uint32_t>(HexDigit(rest[i]));
        ++i;
    }
    if (i == 0 || !SkipBlanks(rest.substr(i)).empty()) return false;
    for (int shift = 0; shift < 32; shift += 8) {
        data.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFFU));
    }
    return true;
}

}  // namespace

// The data after "=": quoted strings, str(N):, hex:, hex(N): and dword:.
bool ParseData(std::string_view rest, LineReader& lines, RegistryValue& value,
               std::u16string& scratch) {
    struct StringForm {
        std::string_view prefix;
        std::uint32_t type;
    };
    static constexpr StringForm kStringForms[] = {{"\"", kRegSz},
                                                  {"str:\"", kRegSz},
                                                  {"str(2):\"", kRegExpandSz},
                                                  {"str(7):\"", kRegMultiSz}};
    for (const StringForm& form : kStringForms) {
        if (rest.starts_with(form.prefix)) {
            if (ParseEscaped(rest.substr(form.prefix.size()), '"', scratch) == kMissing) {
                return false;
            }
            value.type = form.type;
            value.data = Utf16LeBytes(scratch, true);
            return true;
        }
    }
    value.data.clear();
    if (rest.starts_with("hex:")) {
        value.type = kRegBinary;
        return ParseHexList(rest.substr(4), lines, value.data);
    }
    if (rest.starts_with("hex(")) {
        rest.remove_prefix(4);
        return ParseHexType(rest, value.type) && ParseHexList(rest, lines, value.data);
    }
    if (rest.starts_with("dword:")) {
        value.type = kRegDword;
        return ParseDword(rest.substr(6), value.data);
    }
    return false;
}

}  // namespace settings::wine::registry_text

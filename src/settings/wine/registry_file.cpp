#include "settings/wine/registry_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>

#include "settings/wine/unicode_text.h"

namespace settings::wine {

namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";
constexpr std::size_t kMissing = std::string_view::npos;

// Lines end at \n; one \r before it is dropped (files edited on Windows). No length limit.
class LineReader {
public:
    explicit LineReader(std::string_view text) : m_text(text) {}

    bool Next(std::string_view& line) {
        if (m_pos >= m_text.size()) return false;
        const std::size_t end = m_text.find('\n', m_pos);
        m_ended = end != kMissing;
        if (end == kMissing) {
            line = m_text.substr(m_pos);
            m_pos = m_text.size();
        } else {
            line = m_text.substr(m_pos, end - m_pos);
            m_pos = end + 1;
        }
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        return true;
    }

    // Whether the last line read had its \n: Wine ends every line with one, so a line without
    // it may be a file cut off while being rewritten.
    bool LastLineEnded() const { return m_ended; }

    // Moves on to the next line that starts a section (its first byte after blanks is '[' and
    // the line before it does not end in a backslash, which would make it part of a hex list)
    // and for which `mayWant` holds, given the text after the '['. Only the '[' bytes are
    // looked at, so the lines in between cost next to nothing. False when none is left.
    template <typename MayWant>
    bool SkipToSection(MayWant mayWant) {
        const char* const text = m_text.data();
        std::size_t pos = m_pos;
        while (pos < m_text.size()) {
            const void* hit = std::memchr(text + pos, '[', m_text.size() - pos);
            if (hit == nullptr) break;
            const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - text);
            pos = at + 1;
            std::size_t start = at;
            while (start > m_pos && IsBlankByte(text[start - 1])) --start;
            if (start > 0 && text[start - 1] != '\n') continue;  // inside a line
            std::size_t end = start;                             // end of the line before, if any
            if (end > 0) --end;
            if (end > 0 && text[end - 1] == '\r') --end;
            if (end > 0 && text[end - 1] == '\\') continue;  // continues a hex list
            if (!mayWant(m_text.substr(pos))) continue;
            m_pos = start;
            return true;
        }
        m_pos = m_text.size();
        return false;
    }

private:
    static bool IsBlankByte(char c) { return c == ' ' || c == '\t'; }

    std::string_view m_text;
    std::size_t m_pos = 0;
    bool m_ended = false;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view SkipBlanks(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    return text.substr(i);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The C escapes Wine writes for control characters.
constexpr std::string_view kControlLetters = "abtnvfre";
constexpr char16_t kControlCodes[] = {u'\a', u'\b', u'\t', u'\n', u'\v', u'\f', u'\r', u'\x1b'};

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

std::string_view TrimSeparators(std::string_view path) {
    while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    return path;
}

std::string KeyLookupName(std::string_view keyPath) {
    return FoldCase(TrimSeparators(keyPath));
}

// The folded lookup name of a section header (the text after '[') into `out`, without
// allocating once `out` has grown: only for names in plain ASCII with no escapes but \\, \[,
// \] and \". False for anything else, which then goes the long way.
bool QuickHeaderName(std::string_view afterBracket, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < afterBracket.size(); ++i) {
        char c = afterBracket[i];
        if (c == ']') {
            while (!out.empty() && out.back() == '\\') out.pop_back();
            const std::size_t lead = out.find_first_not_of('\\');
            out.erase(0, lead == std::string::npos ? out.size() : lead);
            return true;
        }
        if (static_cast<unsigned char>(c) >= 0x80U) return false;
        if (c == '\\') {
            if (++i >= afterBracket.size()) return false;
            c = afterBracket[i];
            if (c != '\\' && c != '[' && c != ']' && c != '"') return false;
        }
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
        out.push_back(c);
    }
    return false;  // no closing bracket
}

// A folded key name as Wine escapes it in a section header (backslashes doubled), when that is
// the only escape it needs; nullopt otherwise, and for a '|', which MayNameKey's comparison of
// eight bytes at a time could not tell from a backslash.
std::optional<std::string> PlainHeaderText(std::string_view folded) {
    std::string text;
    for (const char c : folded) {
        if (static_cast<unsigned char>(c) >= 0x80U || static_cast<unsigned char>(c) < 0x20U ||
            c == '[' || c == ']' || c == '|') {
            return std::nullopt;
        }
        if (c == '\\') text.push_back('\\');
        text.push_back(c);
    }
    return text;
}

// Whether a header (the text after '[') may name the key whose PlainHeaderText is `text`: false
// as soon as an ASCII letter differs; true when it matches, or when an escape or a non-ASCII
// byte makes it a question for the full reading.
bool MayNameKey(std::string_view afterBracket, std::string_view text) {
    if (afterBracket.size() < text.size()) return false;  // too short to hold it
    std::size_t i = 0;
    // Eight bytes at a time while they agree with 0x20 set in every byte: that bit is all that
    // tells an ASCII capital from its small letter, so a difference there is a difference.
    constexpr std::uint64_t kCaseBits = 0x2020202020202020U;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t a = 0;
        std::uint64_t b = 0;
        std::memcpy(&a, afterBracket.data() + i, 8);
        std::memcpy(&b, text.data() + i, 8);
        if ((a | kCaseBits) != (b | kCaseBits)) break;
    }
    for (; i < text.size(); ++i) {
        char c = afterBracket[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
        if (c == text[i]) continue;
        return c == '\\' || static_cast<unsigned char>(c) >= 0x80U;
    }
    return true;
}

}  // namespace

class RegistryParser {
public:
    // `quick`: step over the sections of other keys without reading them (see SkipToSection),
    // and stop once every key asked for has been read.
    RegistryParser(RegistryFile& file, std::span<const std::string_view> onlyKeys,
                   bool quick = false)
        : m_file(file), m_filtered(!onlyKeys.empty()), m_quick(quick && m_filtered) {
        for (const std::string_view key : onlyKeys) m_wanted.insert(KeyLookupName(key));
        for (const std::string& key : m_wanted) {
            auto text = PlainHeaderText(key);
            if (!text) {
                m_headerTexts.clear();
                break;
            }
            m_headerTexts.push_back(std::move(*text));
        }
    }

    bool Run(std::string_view bytes, bool headerOnly) {
        LineReader lines(bytes);
        std::string_view line;
        if (!lines.Next(line) || line != kHeader) return false;
        while (lines.Next(line)) {
            line = SkipBlanks(line);
            if (line.empty()) continue;
            switch (line.front()) {
                case '[':
                    if (headerOnly) return true;
                    // Every key asked for has been read to its end: Wine writes a key once.
                    if (m_quick && m_file.m_keys.size() == m_wanted.size()) return true;
                    StartSection(line.substr(1));
                    if (m_quick && m_current == nullptr &&
                        !lines.SkipToSection([this](std::string_view afterBracket) {
                            return MayNameWanted(afterBracket);
                        })) {
                        return true;
                    }
                    break;
                case '@':
                case '"':
                    ReadValue(line, lines);
                    break;
                case '#':
                    if (!m_inSections) ReadGlobalOption(line.substr(1));
                    break;  // #time, #class and #link of a key carry nothing we need
                default:
                    break;  // comments and unrecognised lines
            }
        }
        return true;
    }

private:
    void StartSection(std::string_view afterBracket) {
        m_inSections = true;
        m_current = nullptr;
        if (!MayNameWanted(afterBracket)) return;
        if (m_filtered && QuickHeaderName(afterBracket, m_quickName) &&
            m_wanted.find(m_quickName) == m_wanted.end()) {
            return;
        }
        // The path ends at the first unescaped ']'; a timestamp may follow.
        if (ParseEscaped(afterBracket, ']', m_scratch) == kMissing) return;
        const std::string name = Utf16ToUtf8(m_scratch);
        std::string folded = KeyLookupName(name);
        if (m_filtered && m_wanted.find(folded) == m_wanted.end()) return;
        auto [it, inserted] = m_file.m_keys.try_emplace(std::move(folded));
        if (inserted) it->second.name = std::string(TrimSeparators(name));
        m_current = &it->second;
    }

    // Most headers differ from every key asked for within their first few bytes.
    bool MayNameWanted(std::string_view afterBracket) const {
        return m_headerTexts.empty() ||
               std::any_of(m_headerTexts.begin(), m_headerTexts.end(),
                           [&](const std::string& text) { return MayNameKey(afterBracket, text); });
    }

    void ReadValue(std::string_view line, LineReader& lines) {
        std::size_t pos = 1;
        if (line.front() == '@') {
            m_name.clear();
        } else {
            const std::size_t used = ParseEscaped(line.substr(1), '"', m_name);
            if (used == kMissing) return;
            pos += used;
        }
        std::string_view rest = SkipBlanks(line.substr(pos));
        if (rest.empty() || rest.front() != '=') return;
        rest = SkipBlanks(rest.substr(1));
        // Parsed even when the key is not kept, so that continuation lines are consumed.
        RegistryValue value;
        if (!ParseData(rest, lines, value, m_scratch) || m_current == nullptr) return;
        m_current->values[FoldCase(Utf16ToUtf8(m_name))] = std::move(value);
    }

    void ReadGlobalOption(std::string_view option) {
        constexpr std::string_view kArch = "arch=";
        if (!option.starts_with(kArch)) return;
        const std::string_view arch = option.substr(kArch.size());
        if (arch == "win32") {
            m_file.m_arch = Arch::Win32;
        } else if (arch == "win64") {
            m_file.m_arch = Arch::Win64;
        } else {
            m_file.m_arch = Arch::Unknown;
        }
    }

    RegistryFile& m_file;
    bool m_filtered;
    bool m_quick;
    std::string m_quickName;
    std::vector<std::string> m_headerTexts;  // of the keys asked for, when all are plain
    std::set<std::string, std::less<>> m_wanted;
    bool m_inSections = false;
    RegistryFile::Key* m_current = nullptr;
    std::u16string m_scratch;
    std::u16string m_name;
};

std::optional<RegistryFile> RegistryFile::ScanKeys(std::string_view bytes,
                                                   std::span<const std::string_view> keys) {
    RegistryFile file;
    RegistryParser parser(file, keys, true);
    if (!parser.Run(bytes, false)) return std::nullopt;
    return file;
}

std::optional<RegistryFile> RegistryFile::Parse(std::string_view bytes) {
    return Parse(bytes, {});
}

std::optional<RegistryFile> RegistryFile::Parse(std::string_view bytes,
                                                std::span<const std::string_view> onlyKeys) {
    RegistryFile file;
    RegistryParser parser(file, onlyKeys);
    if (!parser.Run(bytes, false)) return std::nullopt;
    return file;
}

bool RegistryFile::HasKey(std::string_view keyPath) const {
    return m_keys.find(KeyLookupName(keyPath)) != m_keys.end();
}

std::optional<std::string> RegistryFile::KeyName(std::string_view keyPath) const {
    const auto it = m_keys.find(KeyLookupName(keyPath));
    if (it == m_keys.end()) return std::nullopt;
    return it->second.name;
}

const RegistryValue* RegistryFile::FindValue(std::string_view keyPath,
                                             std::string_view valueName) const {
    const auto key = m_keys.find(KeyLookupName(keyPath));
    if (key == m_keys.end()) return nullptr;
    const auto value = key->second.values.find(FoldCase(valueName));
    return value == key->second.values.end() ? nullptr : &value->second;
}

std::optional<std::string> RegistryFile::FindString(std::string_view keyPath,
                                                    std::string_view valueName) const {
    const RegistryValue* value = FindValue(keyPath, valueName);
    if (value == nullptr) return std::nullopt;
    return StringFromValue(*value);
}

std::optional<std::string> StringFromValue(const RegistryValue& value) {
    if (value.type != kRegSz && value.type != kRegExpandSz && value.type != kRegMultiSz) {
        return std::nullopt;
    }
    std::u16string units;
    for (std::size_t i = 0; i + 1 < value.data.size(); i += 2) {
        const auto unit = static_cast<char16_t>(value.data[i] | (value.data[i + 1] << 8));
        if (unit == 0) break;
        units.push_back(unit);
    }
    return Utf16ToUtf8(units);
}

std::optional<std::string> ReadRegistryString(std::string_view fileBytes, std::string_view keyPath,
                                              std::string_view valueName) {
    const std::string_view keys[] = {keyPath};
    const auto file = RegistryFile::Parse(fileBytes, keys);
    if (!file) return std::nullopt;
    return file->FindString(keyPath, valueName);
}

Arch ReadRegistryArch(std::string_view fileBytes) {
    RegistryFile file;
    RegistryParser parser(file, {});
    if (!parser.Run(fileBytes, true)) return Arch::Unknown;
    return file.GetArch();
}

}  // namespace settings::wine

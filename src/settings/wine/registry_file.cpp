#include "settings/wine/registry_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>

#include "settings/wine/registry_values.h"
#include "settings/wine/unicode_text.h"

namespace settings::wine {

namespace {

using namespace registry_text;

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";

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
        m_current = &m_file.m_keys.try_emplace(std::move(folded)).first->second;
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

Arch ReadRegistryArch(std::string_view fileBytes) {
    RegistryFile file;
    RegistryParser parser(file, {});
    if (!parser.Run(fileBytes, true)) return Arch::Unknown;
    return file.GetArch();
}

}  // namespace settings::wine

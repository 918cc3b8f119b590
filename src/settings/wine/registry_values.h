#pragma once
// The values a registry file holds, and its lines and value data as the reader parses them.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace settings::wine {

// Registry value types that hold text.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

struct RegistryValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;  // as stored: strings are UTF-16LE with their NUL
};

}  // namespace settings::wine

// What the reader of registry files uses inside.
namespace settings::wine::registry_text {

inline constexpr std::size_t kMissing = std::string_view::npos;

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

std::string_view SkipBlanks(std::string_view text);
// Unescapes a quoted name or string up to `delimiter` into `out`; the bytes used, including
// the delimiter, or kMissing when the line ends first.
std::size_t ParseEscaped(std::string_view src, char delimiter, std::u16string& out);
// A value's data after its '=': its type and bytes, reading on over continued hex lines.
bool ParseData(std::string_view rest, LineReader& lines, RegistryValue& value,
               std::u16string& scratch);

}  // namespace settings::wine::registry_text

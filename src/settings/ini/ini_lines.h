#pragma once
// The lines of a profile file as the engine reads them: where each line starts and ends, and
// what kind of line it is.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace settings::ini {

inline constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

inline std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

inline std::string_view CutAtNul(std::string_view s) {
    const std::size_t nul = s.find('\0');
    return nul == std::string_view::npos ? s : s.substr(0, nul);
}

// Section and key arguments: C strings with their surrounding spaces (only spaces) ignored.
std::string_view NormalizeName(std::string_view name);

struct Line {
    std::size_t begin = 0;  // first byte of the line
    std::size_t end = 0;    // end of its text, before the line end
    std::size_t next = 0;   // first byte after the line end

    bool Terminated() const { return next != end; }
};

// Walks the lines of a buffer; CR, LF and CRLF each end one line. The next CR and the next LF
// are each searched once and remembered, so a file that uses only one of them is still walked
// in linear time.
class LineCursor {
public:
    explicit LineCursor(std::string_view bytes, std::size_t pos = 0)
        : m_bytes(bytes),
          m_pos(std::min(pos, bytes.size())),
          m_nextLf(Find('\n')),
          m_nextCr(Find('\r')) {}

    bool Next(Line& line) {
        const std::size_t size = m_bytes.size();
        if (m_pos >= size) return false;
        if (m_nextLf < m_pos) m_nextLf = Find('\n');
        if (m_nextCr < m_pos) m_nextCr = Find('\r');
        std::size_t i = std::min(m_nextLf, m_nextCr);
        line.begin = m_pos;
        line.end = i;
        if (i < size) i += (i == m_nextCr && i + 1 < size && m_nextLf == i + 1) ? 2u : 1u;
        line.next = i;
        m_pos = i;
        return true;
    }

private:
    std::size_t Find(char c) const {
        const void* hit = std::memchr(m_bytes.data() + m_pos, c, m_bytes.size() - m_pos);
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - m_bytes.data())
                   : m_bytes.size();
    }

    std::string_view m_bytes;
    std::size_t m_pos;
    std::size_t m_nextLf;  // the first LF at or after m_pos, or the size
    std::size_t m_nextCr;
};

// The line starting at `pos`. A plain scan: it reads no further than the line's end.
Line LineAt(std::string_view bytes, std::size_t pos);

enum class Kind { Blank, Comment, Header, Key, Other };

struct Parsed {
    Kind kind = Kind::Blank;
    std::string_view name;   // section name for headers, key name for keys
    std::string_view value;  // keys only: the raw text after the first '=' (blanks trimmed)
};

Parsed ParseText(std::string_view text);
Parsed ParseLine(std::string_view bytes, const Line& line);

// The header of the first section of that name. Only lines that start with '[' (after blanks)
// are headers, so the search jumps from one '[' to the next and parses only those lines.
std::optional<Line> FindHeader(std::string_view bytes, std::string_view section);

// A value as read: one pair of matching outer quotes removed, then cut to the buffer.
std::string ValueAsRead(std::string_view value, std::size_t bufferSize);

}  // namespace settings::ini

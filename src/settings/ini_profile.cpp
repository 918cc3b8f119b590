#include "settings/ini_profile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

// Rules this engine settles where the Windows functions leave nothing observable or crash:
// - Bytes are bytes. Any byte value may appear; lines end at CR, LF or CRLF, and there is no
//   limit on the length of a line or of the file other than memory.
// - A NUL byte ends the text of its line for reading: the rest of that line is ignored (so
//   "k=ab<NUL>cd" reads as "ab"), and the next line parses normally. On writing, the names and the
//   value are C strings: they end at their first NUL.
// - Names compare case-insensitively in ASCII only; other bytes must match exactly.
// - An empty section or key name is an ordinary name: "[]" is section "", "=v" is key "".
// - A UTF-8 byte-order mark is three ordinary bytes of line 1; UTF-16 files are not understood.
// - A non-blank line without '=' that is not a comment is no key, but it counts as an entry of its
//   section, so new keys are placed after it.
// - The value written is verbatim. A value or name holding a line break therefore writes several
//   lines, exactly as the Windows function would.

namespace ini {
namespace {

constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

constexpr char ToLowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
    }
    return true;
}

struct NoCaseHash {
    std::size_t operator()(std::string_view s) const {
        std::uint64_t h = 14695981039346656037ull;
        for (char c : s) {
            h ^= static_cast<unsigned char>(ToLowerAscii(c));
            h *= 1099511628211ull;
        }
        return static_cast<std::size_t>(h);
    }
};
struct NoCaseEqual {
    bool operator()(std::string_view a, std::string_view b) const { return EqualsNoCase(a, b); }
};

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::string_view CutAtNul(std::string_view s) {
    const std::size_t nul = s.find('\0');
    return nul == std::string_view::npos ? s : s.substr(0, nul);
}

// Section and key arguments: C strings with their surrounding spaces (only spaces) ignored.
std::string_view NormalizeName(std::string_view name) {
    name = CutAtNul(name);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    return name;
}

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
Line LineAt(std::string_view bytes, std::size_t pos) {
    Line line;
    line.begin = pos;
    std::size_t i = pos;
    while (i < bytes.size() && bytes[i] != '\n' && bytes[i] != '\r') ++i;
    line.end = i;
    if (i < bytes.size()) {
        const bool crlf = bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
        i += crlf ? 2u : 1u;
    }
    line.next = i;
    return line;
}

enum class Kind { Blank, Comment, Header, Key, Other };

struct Parsed {
    Kind kind = Kind::Blank;
    std::string_view name;   // section name for headers, key name for keys
    std::string_view value;  // keys only: the raw text after the first '=' (blanks trimmed)
};

Parsed ParseText(std::string_view text) {
    Parsed p;
    text = CutAtNul(text);
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    if (text.empty()) return p;
    if (text.front() == ';') {
        p.kind = Kind::Comment;
        return p;
    }
    if (text.front() == '[') {
        p.kind = Kind::Header;
        std::string_view name = text.substr(1);
        const std::size_t close = name.find(']');
        if (close != std::string_view::npos) name = name.substr(0, close);
        p.name = TrimBlanks(name);
        return p;
    }
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) {
        p.kind = Kind::Other;
        return p;
    }
    p.kind = Kind::Key;
    p.name = TrimBlanks(text.substr(0, eq));
    p.value = TrimBlanks(text.substr(eq + 1));
    return p;
}

Parsed ParseLine(std::string_view bytes, const Line& line) {
    return ParseText(bytes.substr(line.begin, line.end - line.begin));
}

// The header of the first section of that name. Only lines that start with '[' (after blanks)
// are headers, so the search jumps from one '[' to the next and parses only those lines.
std::optional<Line> FindHeader(std::string_view bytes, std::string_view section) {
    const char* data = bytes.data();
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const void* hit = std::memchr(data + pos, '[', bytes.size() - pos);
        if (!hit) break;
        const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
        std::size_t start = at;
        while (start > pos && IsBlank(data[start - 1])) --start;
        const bool lineStart = start == 0 || data[start - 1] == '\n' || data[start - 1] == '\r';
        if (!lineStart) {
            pos = at + 1;
            continue;
        }
        const Line line = LineAt(bytes, start);
        const Parsed p = ParseLine(bytes, line);
        if (p.kind == Kind::Header && EqualsNoCase(p.name, section)) return line;
        pos = line.next;
    }
    return std::nullopt;
}

// A value as read: one pair of matching outer quotes removed, then cut to the buffer.
std::string ValueAsRead(std::string_view value, std::size_t bufferSize) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    if (bufferSize == 0) return {};
    return std::string(value.substr(0, std::min(value.size(), bufferSize - 1)));
}

constexpr std::string_view kLineEnd = "\r\n";

std::string KeyLine(std::string_view key, std::string_view value) {
    std::string line;
    line.reserve(key.size() + value.size() + 3);
    line.append(key).append("=").append(value).append(kLineEnd);
    return line;
}

bool EndsWithLineEnd(std::string_view bytes) {
    return bytes.empty() || bytes.back() == '\n' || bytes.back() == '\r';
}

void AppendSection(std::string& bytes, std::string_view section, std::string_view body) {
    std::string block;
    if (!EndsWithLineEnd(bytes)) block.append(kLineEnd);
    block.append("[").append(section).append("]").append(kLineEnd).append(body);
    bytes.append(block);
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// Whether a section written as "[name]" reads back as one header of that same name.
bool SectionRoundTrips(std::string_view section) {
    if (HasLineBreak(section)) return false;
    std::string header = "[";
    header.append(section).append("]");
    const Parsed p = ParseText(header);
    return p.kind == Kind::Header && p.name == section;
}

// An edit whose line is one line and no section header: the batch path can model it.
bool IsPlainEdit(std::string_view key, std::string_view value) {
    if (HasLineBreak(key) || HasLineBreak(value)) return false;
    for (char c : key) {
        if (!IsBlank(c)) return c != '[';
    }
    return true;  // the line starts with '='
}

}  // namespace

std::vector<std::string> GetStrings(std::string_view bytes, std::string_view section,
                                    std::span<const std::string_view> keys,
                                    std::size_t bufferSize) {
    std::vector<std::string> values(keys.size());
    if (keys.empty()) return values;
    const std::optional<Line> header = FindHeader(bytes, NormalizeName(section));
    if (!header) return values;

    // Name -> indices of the keys asking for it; an entry is dropped once found.
    std::unordered_map<std::string_view, std::vector<std::size_t>, NoCaseHash, NoCaseEqual> wanted;
    for (std::size_t i = 0; i < keys.size(); ++i) wanted[NormalizeName(keys[i])].push_back(i);

    LineCursor cursor(bytes, header->next);
    Line line;
    while (!wanted.empty() && cursor.Next(line)) {
        const Parsed p = ParseLine(bytes, line);
        if (p.kind == Kind::Header) break;
        if (p.kind != Kind::Key) continue;
        const auto it = wanted.find(p.name);
        if (it == wanted.end()) continue;
        const std::string value = ValueAsRead(p.value, bufferSize);
        for (std::size_t index : it->second) values[index] = value;
        wanted.erase(it);
    }
    return values;
}

std::string GetString(std::string_view bytes, std::string_view section, std::string_view key,
                      std::size_t bufferSize) {
    const std::string_view keys[] = {key};
    return std::move(GetStrings(bytes, section, keys, bufferSize).front());
}

void SetString(std::string& bytes, std::string_view section, std::string_view key,
               std::string_view value) {
    section = NormalizeName(section);
    key = NormalizeName(key);
    value = CutAtNul(value);

    const std::optional<Line> header = FindHeader(bytes, section);
    if (!header) {
        AppendSection(bytes, section, KeyLine(key, value));
        return;
    }

    Line lastEntry = *header;  // a new key goes after this line
    LineCursor cursor(bytes, header->next);
    Line line;
    while (cursor.Next(line)) {
        const Parsed p = ParseLine(bytes, line);
        if (p.kind == Kind::Header) break;
        if (p.kind == Kind::Key && EqualsNoCase(p.name, key)) {
            // The name keeps the spelling it has in the file.
            bytes.replace(line.begin, line.next - line.begin, KeyLine(p.name, value));
            return;
        }
        if (p.kind == Kind::Key || p.kind == Kind::Other) lastEntry = line;
    }
    std::string text;
    if (!lastEntry.Terminated()) text.append(kLineEnd);
    text.append(KeyLine(key, value));
    bytes.insert(lastEntry.next, text);
}

void SetStrings(std::string& bytes, std::string_view section, std::span<const KeyValue> edits) {
    if (edits.empty()) return;
    section = NormalizeName(section);

    // Edits that write several lines or a header change the layout the next edit sees; they are
    // rare enough to be applied one at a time.
    bool plain = SectionRoundTrips(section);
    for (std::size_t i = 0; plain && i < edits.size(); ++i) {
        plain = IsPlainEdit(NormalizeName(edits[i].key), CutAtNul(edits[i].value));
    }
    if (!plain) {
        for (const KeyValue& edit : edits) SetString(bytes, section, edit.key, edit.value);
        return;
    }

    std::unordered_set<std::string_view, NoCaseHash, NoCaseEqual> editKeys;
    for (const KeyValue& edit : edits) editKeys.insert(NormalizeName(edit.key));

    // Existing key lines that the edits name (first of each name), and the last entry line.
    struct Existing {
        Line line;
        std::string_view spelling;
        std::optional<std::string> replacement;
    };
    std::unordered_map<std::string_view, Existing, NoCaseHash, NoCaseEqual> existing;

    const std::optional<Line> header = FindHeader(bytes, section);
    Line lastEntry;
    if (header) {
        lastEntry = *header;
        LineCursor cursor(bytes, header->next);
        Line line;
        while (cursor.Next(line)) {
            const Parsed p = ParseLine(bytes, line);
            if (p.kind == Kind::Header) break;
            if (p.kind == Kind::Key || p.kind == Kind::Other) lastEntry = line;
            if (p.kind == Kind::Key && editKeys.contains(p.name)) {
                existing.try_emplace(p.name, Existing{line, p.name, std::nullopt});
            }
        }
    }

    // New lines all land after the last entry: key lines in the order written, each after the
    // previous one; comment lines (keys starting with ';') right after the last key line, so each
    // one goes in front of the comments added before it.
    struct Added {
        std::string spelling;  // the name as it reads back from the line
        std::string text;
    };
    std::vector<Added> addedKeys;
    std::unordered_map<std::string, std::size_t, NoCaseHash, NoCaseEqual> addedIndex;
    std::vector<std::string> addedComments;

    for (const KeyValue& edit : edits) {
        const std::string_view key = NormalizeName(edit.key);
        const std::string_view value = CutAtNul(edit.value);
        if (const auto it = existing.find(key); it != existing.end()) {
            it->second.replacement = KeyLine(it->second.spelling, value);
            continue;
        }
        if (const auto it = addedIndex.find(std::string(key)); it != addedIndex.end()) {
            Added& added = addedKeys[it->second];
            added.text = KeyLine(added.spelling, value);
            continue;
        }
        std::string text = KeyLine(key, value);
        const Parsed p = ParseText(text);
        if (p.kind == Kind::Comment) {
            addedComments.push_back(std::move(text));
            continue;
        }
        // p.kind is Key: the line holds '=' and IsPlainEdit ruled out a header.
        std::string spelling(p.name);
        addedIndex.try_emplace(spelling, addedKeys.size());
        addedKeys.push_back(Added{std::move(spelling), std::move(text)});
    }

    std::string slot;
    for (const Added& added : addedKeys) slot.append(added.text);
    for (auto it = addedComments.rbegin(); it != addedComments.rend(); ++it) slot.append(*it);

    if (!header) {
        AppendSection(bytes, section, slot);
        return;
    }

    struct Splice {
        std::size_t begin;
        std::size_t end;
        std::string_view text;
    };
    std::vector<Splice> splices;
    bool lastEntryReplaced = false;
    std::size_t extra = 0;
    for (const auto& [name, hit] : existing) {
        if (!hit.replacement) continue;
        splices.push_back(Splice{hit.line.begin, hit.line.next, *hit.replacement});
        extra += hit.replacement->size();
        if (hit.line.begin == lastEntry.begin) lastEntryReplaced = true;
    }
    if (!slot.empty()) {
        if (!lastEntry.Terminated() && !lastEntryReplaced) slot.insert(0, kLineEnd);
        splices.push_back(Splice{lastEntry.next, lastEntry.next, slot});
        extra += slot.size();
    }
    if (splices.empty()) return;
    std::sort(splices.begin(), splices.end(), [](const Splice& a, const Splice& b) {
        return a.begin != b.begin ? a.begin < b.begin : a.end < b.end;
    });

    std::string out;
    out.reserve(bytes.size() + extra);
    std::size_t copied = 0;
    for (const Splice& splice : splices) {
        out.append(bytes, copied, splice.begin - copied);
        out.append(splice.text);
        copied = splice.end;
    }
    out.append(bytes, copied, std::string::npos);
    bytes.swap(out);
}

}  // namespace ini

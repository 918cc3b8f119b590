#include "settings/ini/ini_profile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "base/ascii_case.h"
#include "base/windows_1252.h"
#include "settings/ini/ini_lines.h"

// Rules this engine settles where the Windows functions leave nothing observable or crash:
// - Bytes are bytes. Any byte value may appear; lines end at CR, LF or CRLF, and there is no
//   limit on the length of a line or of the file other than memory.
// - A NUL byte ends the text of its line for reading: the rest of that line is ignored (so
//   "k=ab<NUL>cd" reads as "ab"), and the next line parses normally. On writing, the names and the
//   value are C strings: they end at their first NUL.
// - Names compare case-insensitively in ASCII only; other bytes must match exactly.
// - An empty section or key name is an ordinary name: "[]" is section "", "=v" is key "".
// - A UTF-8 byte-order mark is three ordinary bytes of line 1, and FE FF is no mark either, as on
//   Windows. FF FE marks a UTF-16LE file (see Utf16File below).
// - A non-blank line without '=' that is not a comment is no key, but it counts as an entry of its
//   section, so new keys are placed after it.
// - The value written is verbatim. A value or name holding a line break therefore writes several
//   lines, exactly as the Windows function would.

namespace settings::ini {
namespace {

using base::AsciiLower;
using base::EqualsNoCase;

struct NoCaseHash {
    std::size_t operator()(std::string_view s) const {
        std::uint64_t h = 14695981039346656037ull;
        for (char c : s) {
            h ^= static_cast<unsigned char>(AsciiLower(c));
            h *= 1099511628211ull;
        }
        return static_cast<std::size_t>(h);
    }
};
struct NoCaseEqual {
    bool operator()(std::string_view a, std::string_view b) const { return EqualsNoCase(a, b); }
};

constexpr std::string_view kLineEnd = "\r\n";

std::string KeyLine(std::string_view key, std::string_view value) {
    std::string line;
    line.reserve(key.size() + value.size() + 3);
    line.append(key).append("=").append(value).append(kLineEnd);
    return line;
}

// The text of a file as the engine sees it. `marked`: the file holds bytes in front of the text
// (the UTF-16 mark), so an empty text is not an empty file.
struct Text {
    std::string_view bytes;
    bool marked = false;
};

bool EndsWithLineEnd(const Text& text) {
    if (text.bytes.empty()) return !text.marked;
    return text.bytes.back() == '\n' || text.bytes.back() == '\r';
}

// One change to a text: [begin, end) becomes `text`.
struct Splice {
    std::size_t begin;
    std::size_t end;
    std::string text;
};
using Splices = std::vector<Splice>;

Splice AppendedSection(const Text& text, std::string_view section, std::string_view body) {
    std::string block;
    if (!EndsWithLineEnd(text)) block.append(kLineEnd);
    block.append("[").append(section).append("]").append(kLineEnd).append(body);
    return Splice{text.bytes.size(), text.bytes.size(), std::move(block)};
}

// A key line rewritten with a new value: its leading blanks go, the name stays as it is in the
// file (its own bytes, whatever the encoding), and everything after the name is replaced.
void ReplaceValue(std::string_view bytes, const Line& line, std::string_view name,
                  std::string_view value, Splices& out) {
    const std::size_t nameBegin = static_cast<std::size_t>(name.data() - bytes.data());
    const std::size_t nameEnd = nameBegin + name.size();
    if (nameBegin > line.begin) out.push_back(Splice{line.begin, nameBegin, {}});
    out.push_back(Splice{nameEnd, line.next, KeyLine({}, value)});
}

std::string Applied(std::string_view bytes, const Splices& splices) {
    std::size_t extra = 0;
    for (const Splice& splice : splices) extra += splice.text.size();
    std::string out;
    out.reserve(bytes.size() + extra);
    std::size_t copied = 0;
    for (const Splice& splice : splices) {
        out.append(bytes.substr(copied, splice.begin - copied));
        out.append(splice.text);
        copied = splice.end;
    }
    out.append(bytes.substr(copied));
    return out;
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

// The changes one WritePrivateProfileStringA makes; names and value already normalized.
Splices PlanSet(const Text& text, std::string_view section, std::string_view key,
                std::string_view value) {
    const std::string_view bytes = text.bytes;
    Splices splices;
    const std::optional<Line> header = FindHeader(bytes, section);
    if (!header) {
        splices.push_back(AppendedSection(text, section, KeyLine(key, value)));
        return splices;
    }

    Line lastEntry = *header;  // a new key goes after this line
    LineCursor cursor(bytes, header->next);
    Line line;
    while (cursor.Next(line)) {
        const Parsed p = ParseLine(bytes, line);
        if (p.kind == Kind::Header) break;
        if (p.kind == Kind::Key && EqualsNoCase(p.name, key)) {
            ReplaceValue(bytes, line, p.name, value, splices);
            return splices;
        }
        if (p.kind == Kind::Key || p.kind == Kind::Other) lastEntry = line;
    }
    std::string added;
    if (!lastEntry.Terminated()) added.append(kLineEnd);
    added.append(KeyLine(key, value));
    splices.push_back(Splice{lastEntry.next, lastEntry.next, std::move(added)});
    return splices;
}

// The changes of a batch of plain edits to one section, in one pass.
Splices PlanSetBatch(const Text& text, std::string_view section, std::span<const KeyValue> edits) {
    const std::string_view bytes = text.bytes;
    std::unordered_set<std::string_view, NoCaseHash, NoCaseEqual> editKeys;
    for (const KeyValue& edit : edits) editKeys.insert(NormalizeName(edit.key));

    // Existing key lines that the edits name (first of each name), and the last entry line.
    struct Existing {
        Line line;
        std::string_view spelling;
        std::optional<std::string_view> value;
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
            it->second.value = value;
            continue;
        }
        if (const auto it = addedIndex.find(std::string(key)); it != addedIndex.end()) {
            Added& added = addedKeys[it->second];
            added.text = KeyLine(added.spelling, value);
            continue;
        }
        std::string line = KeyLine(key, value);
        const Parsed p = ParseText(line);
        if (p.kind == Kind::Comment) {
            addedComments.push_back(std::move(line));
            continue;
        }
        // p.kind is Key: the line holds '=' and IsPlainEdit ruled out a header.
        std::string spelling(p.name);
        addedIndex.try_emplace(spelling, addedKeys.size());
        addedKeys.push_back(Added{std::move(spelling), std::move(line)});
    }

    std::string slot;
    for (const Added& added : addedKeys) slot.append(added.text);
    for (auto it = addedComments.rbegin(); it != addedComments.rend(); ++it) slot.append(*it);

    Splices splices;
    if (!header) {
        if (!slot.empty()) splices.push_back(AppendedSection(text, section, slot));
        return splices;
    }

    bool lastEntryReplaced = false;
    for (const auto& [name, hit] : existing) {
        if (!hit.value) continue;
        ReplaceValue(bytes, hit.line, hit.spelling, *hit.value, splices);
        if (hit.line.begin == lastEntry.begin) lastEntryReplaced = true;
    }
    if (!slot.empty()) {
        if (!lastEntry.Terminated() && !lastEntryReplaced) slot.insert(0, kLineEnd);
        splices.push_back(Splice{lastEntry.next, lastEntry.next, std::move(slot)});
    }
    std::sort(splices.begin(), splices.end(), [](const Splice& a, const Splice& b) {
        return a.begin != b.begin ? a.begin < b.begin : a.end < b.end;
    });
    return splices;
}

// ---- UTF-16LE files ---------------------------------------------------------------------------
// A file that starts with FF FE is UTF-16LE, as for the Windows functions. Its text is read in
// Windows-1252, one character per UTF-16 character ('?' where there is no Windows-1252 form), so
// every rule above applies unchanged; changes go back as UTF-16LE and every byte outside them is
// kept. A surrogate pair is one character ('?'); an unpaired surrogate is one '?'. A final odd
// byte belongs to no character: it is ignored for reading and stays the last byte of the file.

constexpr char kUnmappable = '?';

std::uint16_t UnitOf(char c) {
    return base::DecodeWindows1252(static_cast<unsigned char>(c));
}

char CharOf(std::uint16_t unit) {
    return base::EncodeWindows1252(static_cast<char16_t>(unit));
}

bool IsUtf16(std::string_view bytes) {
    return bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
}

void AppendUtf16(std::string& out, std::string_view chars) {
    for (char c : chars) {
        const std::uint16_t unit = UnitOf(c);
        out.push_back(static_cast<char>(unit & 0xFF));
        out.push_back(static_cast<char>(unit >> 8));
    }
}

class Utf16File {
public:
    explicit Utf16File(std::string_view bytes) : m_bytes(bytes) {
        const std::size_t units = (bytes.size() - 2) / 2;
        m_text.reserve(units);
        for (std::size_t i = 0; i < units; ++i) {
            const std::uint16_t unit = Unit(i);
            if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units) {
                const std::uint16_t low = Unit(i + 1);
                if (low >= 0xDC00 && low < 0xE000) {
                    m_pairs.push_back(m_text.size());
                    m_text.push_back(kUnmappable);
                    ++i;
                    continue;
                }
            }
            m_text.push_back(CharOf(unit));
        }
    }

    Text text() const { return Text{m_text, true}; }

    // The file with the text's splices made, each as UTF-16LE.
    std::string Applied(const Splices& splices) const {
        std::string out;
        std::size_t copied = 0;
        for (const Splice& splice : splices) {
            const std::size_t begin = Offset(splice.begin);
            out.append(m_bytes.substr(copied, begin - copied));
            AppendUtf16(out, splice.text);
            copied = Offset(splice.end);
        }
        out.append(m_bytes.substr(copied));
        return out;
    }

private:
    std::uint16_t Unit(std::size_t i) const {
        const auto lo = static_cast<unsigned char>(m_bytes[2 + 2 * i]);
        const auto hi = static_cast<unsigned char>(m_bytes[3 + 2 * i]);
        return static_cast<std::uint16_t>(lo | (hi << 8));
    }

    // The byte offset of a text position: two bytes a character, four for a pair.
    std::size_t Offset(std::size_t position) const {
        const auto pairs = static_cast<std::size_t>(
            std::lower_bound(m_pairs.begin(), m_pairs.end(), position) - m_pairs.begin());
        return 2 + 2 * (position + pairs);
    }

    std::string_view m_bytes;
    std::string m_text;
    std::vector<std::size_t> m_pairs;  // text positions of characters written as a pair
};

void Apply(std::string& bytes, const Splices& splices, const Utf16File* utf16) {
    if (splices.empty()) return;
    std::string out = utf16 ? utf16->Applied(splices) : Applied(bytes, splices);
    bytes.swap(out);
}

}  // namespace

std::vector<std::string> GetStrings(std::string_view bytes, std::string_view section,
                                    std::span<const std::string_view> keys,
                                    std::size_t bufferSize) {
    std::vector<std::string> values(keys.size());
    if (keys.empty()) return values;
    std::optional<Utf16File> utf16;
    if (IsUtf16(bytes)) {
        utf16.emplace(bytes);
        bytes = utf16->text().bytes;
    }
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
    if (IsUtf16(bytes)) {
        const Utf16File file(bytes);
        Apply(bytes, PlanSet(file.text(), section, key, value), &file);
        return;
    }
    Apply(bytes, PlanSet(Text{bytes, false}, section, key, value), nullptr);
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
    if (IsUtf16(bytes)) {
        const Utf16File file(bytes);
        Apply(bytes, PlanSetBatch(file.text(), section, edits), &file);
        return;
    }
    Apply(bytes, PlanSetBatch(Text{bytes, false}, section, edits), nullptr);
}

}  // namespace settings::ini

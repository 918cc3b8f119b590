#include "settings/ini/ini_lines.h"

#include "base/ascii_case.h"

namespace settings::ini {

std::string_view NormalizeName(std::string_view name) {
    name = CutAtNul(name);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    return name;
}

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
        if (p.kind == Kind::Header && base::EqualsNoCase(p.name, section)) return line;
        pos = line.next;
    }
    return std::nullopt;
}

std::string ValueAsRead(std::string_view value, std::size_t bufferSize) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    if (bufferSize == 0) return {};
    return std::string(value.substr(0, std::min(value.size(), bufferSize - 1)));
}

}  // namespace settings::ini

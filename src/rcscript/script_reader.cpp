// Reading the text: comments out, lines into tokens (names, numbers, strings, punctuators).
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "rcscript/parser.h"

namespace rcscript {

using namespace framework;  // written in the dialog layer's names

// Comments become blanks (block comments keep their line breaks) so that lines keep their
// numbers; strings are left alone. Text between the bytes that matter is copied a run at a time.
std::string ResourceScriptParser::StripComments(std::string_view text, const char* source) {
    std::string out;
    out.reserve(text.size());
    const char* p = text.data();
    const char* const end = p + text.size();
    bool inString = false;
    int line = 1;
    while (p != end) {
        const char* run = p;
        if (inString) {
            while (run != end && *run != '"' && *run != '\\' && *run != '\n') ++run;
        } else {
            while (run != end && *run != '"' && *run != '/' && *run != '\n') ++run;
        }
        out.append(p, static_cast<std::size_t>(run - p));
        p = run;
        if (p == end) break;
        const char c = *p++;
        if (c == '\n') {
            ++line;
            inString = false;
            out += c;
        } else if (c == '"') {
            inString = !inString;
            out += c;
        } else if (c == '\\') {  // in a string: the next byte is copied as it stands
            out += c;
            if (p != end && *p != '\n') out += *p++;
        } else if (p != end && *p == '/') {  // a line comment, up to the line break
            const std::string_view rest(p, static_cast<std::size_t>(end - p));
            const std::size_t lineEnd = rest.find('\n');
            p = lineEnd == std::string_view::npos ? end : p + lineEnd;
            out += ' ';
        } else if (p != end && *p == '*') {
            const std::string_view rest(p + 1, static_cast<std::size_t>(end - p - 1));
            const std::size_t close = rest.find("*/");
            if (close == std::string_view::npos) FailAt(source, line, "comment is not closed");
            const std::string_view body = rest.substr(0, close);
            const auto breaks = std::count(body.begin(), body.end(), '\n');
            out.append(static_cast<std::size_t>(breaks), '\n');
            line += static_cast<int>(breaks);
            out += ' ';
            p = rest.data() + close + 2;
        } else {
            out += c;  // a lone slash
        }
    }
    return out;
}

void ResourceScriptParser::Tokenize(std::string_view line, const char* source, int lineNo,
                                    std::vector<Token>& out) {
    std::size_t i = 0;
    auto fail = [&](const std::string& message) { FailAt(source, lineNo, message); };
    while (i < line.size()) {
        const char c = line[i];
        if (IsBlank(c)) {
            ++i;
            continue;
        }
        Token t;
        t.line = lineNo;
        t.source = source;
        if ((c == 'L' || c == 'l') && i + 1 < line.size() && line[i + 1] == '"') {
            t.wide = true;
            ++i;
        }
        if (line[i] == '"') {
            t.kind = Kind::String;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                const char s = line[i];
                if (s == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {  // "" is one quote
                        t.text += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                if (s == '\\' && i + 1 < line.size()) {
                    i = ReadEscape(line, i + 1, t.text, fail);
                    continue;
                }
                // Up to the next quote or backslash in one go.
                std::size_t run = i + 1;
                while (run < line.size() && line[run] != '"' && line[run] != '\\') ++run;
                t.text.append(line.substr(i, run - i));
                i = run;
            }
            if (!closed) fail("string is not closed on its line");
        } else if (IsIdentStart(c)) {
            t.kind = Kind::Ident;
            const std::size_t b = i;
            while (i < line.size() && IsIdentChar(line[i])) ++i;
            t.text = std::string(line.substr(b, i - b));
        } else if (IsDigit(c)) {
            t.kind = Kind::Number;
            const std::size_t b = i;
            while (i < line.size() && IsIdentChar(line[i])) ++i;
            t.text = std::string(line.substr(b, i - b));
            ReadNumber(t, fail);
        } else {
            t.kind = Kind::Punct;
            // << >> <= >= == != && ||
            const char d = i + 1 < line.size() ? line[i + 1] : '\0';
            const bool pair = ((c == '<' || c == '>') && (d == c || d == '=')) ||
                              ((c == '=' || c == '!') && d == '=') ||
                              ((c == '&' || c == '|') && d == c);
            if (pair) {
                t.text = std::string(line.substr(i, 2));
                i += 2;
            } else if (std::string_view(",|&^+-*/%~(){}!<>").find(c) != std::string_view::npos) {
                t.text = std::string(1, c);
                ++i;
            } else {
                fail("unexpected character '" + std::string(1, c) + "'");
            }
        }
        out.push_back(std::move(t));
    }
}

template <typename Fail>
// Reads the escape whose letter is at `i`; returns the index after it.
std::size_t ResourceScriptParser::ReadEscape(std::string_view line, std::size_t i, std::string& out,
                                             const Fail& fail) {
    const char e = line[i];
    switch (e) {
        case 'n':
            out += '\n';
            return i + 1;
        case 't':
            out += '\t';
            return i + 1;
        case 'r':
            out += '\r';
            return i + 1;
        case '\\':
        case '"':
            out += e;
            return i + 1;
        case 'x':
        case 'X': {
            unsigned value = 0;
            std::size_t k = i + 1;
            int digits = 0;
            while (k < line.size() && digits < 2 && HexDigit(line[k]) >= 0) {
                value = value * 16 + static_cast<unsigned>(HexDigit(line[k]));
                ++k;
                ++digits;
            }
            if (digits == 0) fail("\\x needs hexadecimal digits");
            out += static_cast<char>(value);
            return k;
        }
        default:
            break;
    }
    if (e >= '0' && e <= '7') {
        unsigned value = 0;
        std::size_t k = i;
        while (k < line.size() && k < i + 3 && line[k] >= '0' && line[k] <= '7') {
            value = value * 8 + static_cast<unsigned>(line[k] - '0');
            ++k;
        }
        if (value > 0xFF) fail("octal escape beyond one byte");
        out += static_cast<char>(value);
        return k;
    }
    // The resource compiler keeps other backslashes as they stand.
    out += '\\';
    out += e;
    return i + 1;
}

template <typename Fail>
void ResourceScriptParser::ReadNumber(Token& t, const Fail& fail) {
    std::string_view s = t.text;
    while (!s.empty() &&
           (s.back() == 'L' || s.back() == 'l' || s.back() == 'U' || s.back() == 'u')) {
        if (s.back() == 'L' || s.back() == 'l') t.isLong = true;
        s.remove_suffix(1);
    }
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty()) fail("bad number '" + t.text + "'");
    std::uint64_t value = 0;
    for (char ch : s) {
        const int d = HexDigit(ch);
        if (d < 0 || d >= base) fail("bad number '" + t.text + "'");
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(d);
        if (value > 0xFFFFFFFFu) fail("number too large: " + t.text);
    }
    t.value = static_cast<std::int64_t>(value);
}

}  // namespace rcscript

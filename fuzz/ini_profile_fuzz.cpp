// Fuzzes the profile engine. Input: SECTION RS KEY RS VALUE RS KEY2 RS VALUE2 RS FILE, where RS is
// the byte 0x1E; missing fields are empty and the file takes everything after the fifth RS.
//
// A file that starts with FF FE is UTF-16LE; the same checks apply to its characters.
//
// Checked for every input: reads stay within the buffer and never carry a line break or NUL; a
// shorter buffer gets the start of the same value; GetStrings agrees with GetString; SetStrings
// gives the bytes of one SetString per edit; a write changes no more than one line or adds one
// key line (and a header). For names and values that survive the trip through the file
// unchanged, the value reads back as written and no other key's value changes. Each engine call
// walks the whole file (a UTF-16 one is decoded first), so the checks that repeat one with other
// names run on one input in eight.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_input.h"
#include "settings/ini/ini_profile.h"

namespace {

using fuzz::Check;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

bool HasAny(std::string_view s, std::string_view chars) {
    return s.find_first_of(chars) != std::string_view::npos;
}

const std::string_view kBreaks("\r\n\0", 3);

bool TrimmedAlready(std::string_view s) {
    return s.empty() || (!IsBlank(s.front()) && !IsBlank(s.back()));
}

bool CleanSection(std::string_view s) {
    return !HasAny(s, kBreaks) && !HasAny(s, "]") && TrimmedAlready(s);
}

bool CleanKey(std::string_view k) {
    return !HasAny(k, kBreaks) && !HasAny(k, "=") && TrimmedAlready(k) &&
           (k.empty() || (k.front() != ';' && k.front() != '['));
}

bool CleanValue(std::string_view v) {
    if (HasAny(v, kBreaks) || !TrimmedAlready(v)) return false;
    return !(v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front());
}

// How the engine matches names: a C string, surrounding spaces ignored, ASCII case folded.
std::string Folded(std::string_view name) {
    name = name.substr(0, name.find('\0'));
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    std::string out(name);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// A value read with a buffer of `size` characters.
void CheckValue(std::string_view value, std::size_t size) {
    Check(value.size() <= (size == 0 ? 0 : size - 1));
    Check(!HasAny(value, kBreaks));
}

bool IsUtf16(std::string_view bytes) {
    return bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
}

// The characters of a UTF-16LE file after its mark, one char16_t each; a final odd byte is not
// one of them.
std::u16string Units(std::string_view bytes) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                              (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return units;
}

// The edit replaced at most one line (with its line end) and added at most one key line, a
// header and line ends.
template <class Chars>
void CheckLocal(Chars before, Chars after, std::size_t maxAdded) {
    std::size_t prefix = 0;
    const std::size_t common = std::min(before.size(), after.size());
    while (prefix < common && before[prefix] == after[prefix]) ++prefix;
    std::size_t suffix = 0;
    while (suffix < common - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
        ++suffix;
    }
    const Chars removed = before.substr(prefix, before.size() - suffix - prefix);
    const Chars added = after.substr(prefix, after.size() - suffix - prefix);
    std::size_t ends = 0;
    for (auto c : removed) ends += (c == '\r' || c == '\n') ? 1 : 0;
    Check(ends <= 2);
    Check(added.size() <= maxAdded);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fuzz::kMaxInput) return fuzz::kRejected;
    std::string_view input = fuzz::Bytes(data, size);
    const std::uint32_t pick = fuzz::Pick(input);
    const bool deep = pick % 8 == 0;
    std::string_view fields[6];
    for (int i = 0; i < 5; ++i) {
        const std::size_t rs = input.find('\x1e');
        if (rs == std::string_view::npos) {
            fields[i] = input;
            input = {};
            break;
        }
        fields[i] = input.substr(0, rs);
        input.remove_prefix(rs + 1);
    }
    fields[5] = input;
    const std::string_view section = fields[0], key = fields[1], value = fields[2];
    const std::string_view key2 = fields[3], value2 = fields[4];
    const std::string_view original = fields[5];

    const std::string_view keys[] = {key, key2, key};
    const std::vector<std::string> many = settings::ini::GetStrings(original, section, keys);
    Check(many.size() == 3);
    for (const std::string& read : many) CheckValue(read, 64);
    Check(many[0] == settings::ini::GetString(original, section, key));
    Check(many[1] == settings::ini::GetString(original, section, key2));
    Check(many[2] == many[0]);
    const std::size_t shortBuffer = std::size_t{(pick >> 3) % 3};  // 0, 1 or 2
    const std::string cut = settings::ini::GetString(original, section, key, shortBuffer);
    CheckValue(cut, shortBuffer);
    Check(many[0].starts_with(cut));
    if (deep) CheckValue(settings::ini::GetString(original, key, section), 64);

    std::string once(original);
    settings::ini::SetString(once, section, key, value);
    const std::size_t maxAdded = section.size() + key.size() + value.size() + 9;
    if (IsUtf16(original)) {
        // Still UTF-16LE, with a final odd byte kept last and every character outside the edit.
        Check(IsUtf16(once) && once.size() % 2 == original.size() % 2);
        if (original.size() % 2 != 0) Check(once.back() == original.back());
        const std::u16string before = Units(original), after = Units(once);
        CheckLocal(std::u16string_view(before), std::u16string_view(after), maxAdded);
    } else {
        CheckLocal(original, std::string_view(once), maxAdded);
    }
    const std::string readBack = settings::ini::GetString(once, section, key, value.size() + 1);
    CheckValue(readBack, value.size() + 1);

    if (CleanSection(section) && CleanKey(key)) {
        if (CleanValue(value)) Check(readBack == value);
        // Any other key reads as before, unless the value wrote more lines.
        const std::string_view probeSections[] = {section, key};
        std::size_t probes = deep ? 2 : 1;
        if (HasAny(value.substr(0, value.find('\0')), "\r\n")) probes = 0;
        for (std::size_t i = 0; i < probes; ++i) {
            const std::string_view probeSection = probeSections[i];
            if (Folded(probeSection) == Folded(section) && Folded(key2) == Folded(key)) continue;
            Check(settings::ini::GetString(once, probeSection, key2, 1000) ==
                  settings::ini::GetString(original, probeSection, key2, 1000));
        }
    }

    std::string twice = once;
    settings::ini::SetString(twice, section, key2, value2);
    std::string batch(original);
    const settings::ini::KeyValue edits[] = {{key, value}, {key2, value2}};
    settings::ini::SetStrings(batch, section, edits);
    Check(batch == twice);
    return 0;
}

#pragma once
// What the profile engine must do with any file and any names, checked by its fuzzer on every
// input and by the test of its seed files (tests/settings/ini_corpus_test.cpp) on every seed and
// every cut of it. Each property is told to `check(holds, what)`.
//
// Input: SECTION RS KEY RS VALUE RS KEY2 RS VALUE2 RS FILE, where RS is the byte 0x1E; missing
// fields are empty and the file takes everything after the fifth RS. A file that starts with
// FF FE is UTF-16LE; the same checks apply to its characters.
//
// Reads stay within the buffer and never carry a line break or NUL; a shorter buffer gets the
// start of the same value; GetStrings agrees with GetString; SetStrings gives the bytes of one
// SetString per edit; a write changes no more than one line or adds one key line (and a
// header). For names and values that survive the trip through the file unchanged, the value
// reads back as written, writing it back keeps the bytes, and no other key's value changes.
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ini/ini_profile.h"

namespace fuzz {

struct ProfileInput {
    std::string_view section, key, value, key2, value2, file;
};

inline ProfileInput SplitProfileInput(std::string_view input) {
    std::string_view fields[6];
    for (int i = 0; i < 5; ++i) {
        const std::size_t rs = input.find('\x1e');
        fields[i] = input.substr(0, rs);
        input = rs == std::string_view::npos ? std::string_view() : input.substr(rs + 1);
    }
    fields[5] = input;
    return {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]};
}

namespace profile {

inline bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

inline bool HasAny(std::string_view s, std::string_view chars) {
    return s.find_first_of(chars) != std::string_view::npos;
}

inline constexpr std::string_view kBreaks("\r\n\0", 3);

inline bool TrimmedAlready(std::string_view s) {
    return s.empty() || (!IsBlank(s.front()) && !IsBlank(s.back()));
}

inline bool CleanSection(std::string_view s) {
    return !HasAny(s, kBreaks) && !HasAny(s, "]") && TrimmedAlready(s);
}

inline bool CleanKey(std::string_view k) {
    return !HasAny(k, kBreaks) && !HasAny(k, "=") && TrimmedAlready(k) &&
           (k.empty() || (k.front() != ';' && k.front() != '['));
}

inline bool CleanValue(std::string_view v) {
    if (HasAny(v, kBreaks) || !TrimmedAlready(v)) return false;
    return !(v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front());
}

// How the engine matches names: a C string, surrounding spaces ignored, ASCII case folded.
inline std::string Folded(std::string_view name) {
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
inline bool FitsBuffer(std::string_view value, std::size_t size) {
    return value.size() <= (size == 0 ? 0 : size - 1) && !HasAny(value, kBreaks);
}

inline bool IsUtf16(std::string_view bytes) {
    return bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
}

// The characters of a UTF-16LE file after its mark, one char16_t each; a final odd byte is not
// one of them.
inline std::u16string Units(std::string_view bytes) {
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
bool IsLocal(Chars before, Chars after, std::size_t maxAdded) {
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
    return ends <= 2 && added.size() <= maxAdded;
}

}  // namespace profile

// `shortBuffer` (0, 1 or 2) is the size of a buffer too short for most values; `deep` adds the
// checks that repeat a pass over the whole file with other names.
template <class Check>
void CheckProfileEngine(const ProfileInput& in, std::size_t shortBuffer, bool deep, Check&& check) {
    using namespace profile;
    namespace ini = settings::ini;
    const std::string_view original = in.file;

    const std::string_view keys[] = {in.key, in.key2, in.key};
    const std::vector<std::string> many = ini::GetStrings(original, in.section, keys);
    check(many.size() == 3, "GetStrings reads one value a name");
    if (many.size() != 3) return;
    for (const std::string& read : many) check(FitsBuffer(read, 64), "a read fits its buffer");
    check(many[0] == ini::GetString(original, in.section, in.key) &&
              many[1] == ini::GetString(original, in.section, in.key2) && many[2] == many[0],
          "GetStrings reads what GetString does");
    const std::string cut = ini::GetString(original, in.section, in.key, shortBuffer);
    check(FitsBuffer(cut, shortBuffer) && many[0].starts_with(cut),
          "a short buffer gets the start of the value");
    if (deep) {
        check(FitsBuffer(ini::GetString(original, in.key, in.section), 64),
              "a read fits its buffer");
    }

    std::string once(original);
    ini::SetString(once, in.section, in.key, in.value);
    const std::size_t maxAdded = in.section.size() + in.key.size() + in.value.size() + 9;
    if (IsUtf16(original)) {
        // Still UTF-16LE, with a final odd byte kept last and every character outside the edit.
        check(IsUtf16(once) && once.size() % 2 == original.size() % 2 &&
                  (original.size() % 2 == 0 || once.back() == original.back()),
              "a UTF-16 file stays UTF-16");
        const std::u16string before = Units(original), after = Units(once);
        check(IsLocal(std::u16string_view(before), std::u16string_view(after), maxAdded),
              "a write changes one line");
    } else {
        check(IsLocal(original, std::string_view(once), maxAdded), "a write changes one line");
    }
    const std::string readBack = ini::GetString(once, in.section, in.key, in.value.size() + 1);
    check(FitsBuffer(readBack, in.value.size() + 1), "a read fits its buffer");

    if (CleanSection(in.section) && CleanKey(in.key)) {
        if (CleanValue(in.value)) {
            const std::string whole = ini::GetString(once, in.section, in.key, once.size() + 2);
            check(whole == in.value, "a value reads back as written");
            std::string again = once;
            ini::SetString(again, in.section, in.key, whole);
            check(again == once, "writing back what was read keeps the bytes");
        }
        // Any other key reads as before, unless the value wrote more lines.
        const std::string_view probeSections[] = {in.section, in.key};
        std::size_t probes = deep ? 2 : 1;
        if (HasAny(in.value.substr(0, in.value.find('\0')), "\r\n")) probes = 0;
        for (std::size_t i = 0; i < probes; ++i) {
            const std::string_view probeSection = probeSections[i];
            if (Folded(probeSection) == Folded(in.section) && Folded(in.key2) == Folded(in.key)) {
                continue;
            }
            check(ini::GetString(once, probeSection, in.key2, 1000) ==
                      ini::GetString(original, probeSection, in.key2, 1000),
                  "no other key changes");
        }
    }

    std::string twice = once;
    ini::SetString(twice, in.section, in.key2, in.value2);
    std::string batch(original);
    const ini::KeyValue edits[] = {{in.key, in.value}, {in.key2, in.value2}};
    ini::SetStrings(batch, in.section, edits);
    check(batch == twice, "SetStrings writes what one SetString per key does");
}

}  // namespace fuzz

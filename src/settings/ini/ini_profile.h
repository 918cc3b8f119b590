#pragma once
// Our own private-profile engine. The game and its tools read these files with
// GetPrivateProfileStringA / WritePrivateProfileStringA, so reads and writes here give the
// results those functions give on Windows, on every platform, without calling them.
//
// Reading: names match case-insensitively; the first matching section and, inside it, the first
// matching key win; blanks around names and values are trimmed; one pair of matching outer quotes
// is removed; lines starting with ';' are comments; there are no inline comments; a section name
// ends at the first ']'; lines before the first section header belong to no section.
//
// Writing edits the bytes in place, as Windows does: a replaced key keeps its line position and
// the spelling of its name, a new key goes right after the last key line of its section, a new
// section goes at the end (after a CRLF when the file lacks a final line end), new and rewritten
// lines end in CRLF, and every other byte stays as it was.
//
// A file that starts with the UTF-16LE mark FF FE is read and written as UTF-16LE, as Windows does:
// values come out in Windows-1252 ('?' for characters it cannot hold) and names and values go in
// as Windows-1252; new and rewritten lines are written as UTF-16LE.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace settings::ini {

// The buffer GetPrivateProfileStringA is given for each of the record's reads: at most 63
// characters arrive.
inline constexpr std::size_t kValueBufferSize = 64;

// What GetPrivateProfileStringA returns with default "" and a buffer of `bufferSize` characters:
// at most bufferSize - 1 characters of the value; "" when the key is absent or empty.
std::string GetString(std::string_view bytes, std::string_view section, std::string_view key,
                      std::size_t bufferSize = kValueBufferSize);

// The same for several keys of one section, found in one pass over the bytes.
std::vector<std::string> GetStrings(std::string_view bytes, std::string_view section,
                                    std::span<const std::string_view> keys,
                                    std::size_t bufferSize = kValueBufferSize);

// WritePrivateProfileStringA(section, key, value) applied to the bytes in memory.
void SetString(std::string& bytes, std::string_view section, std::string_view key,
               std::string_view value);

struct KeyValue {
    std::string_view key;
    std::string_view value;
};

// The edits of one section applied in order, in one pass: the same bytes as calling SetString
// once per edit.
void SetStrings(std::string& bytes, std::string_view section, std::span<const KeyValue> edits);

}  // namespace settings::ini

#pragma once
// Reader for Valve's text key-value format (libraryfolders.vdf and the like):
//
//   "libraryfolders" { "0" { "path" "/home/u/.local/share/Steam" "apps" { "220" "0" } } }
//
// Keys and values are quoted strings (escapes \\ \" \n \t) or bare words; a key is followed by
// either a value or a block in braces. "//" starts a comment; a "[$CONDITION]" after a value or
// block is ignored. Input that does not follow this form, blocks nested deeper than
// kMaxVdfDepth included, is refused as a whole rather than read in part.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings::prefixes {

struct VdfNode {
    std::string key;
    std::string value;  // empty for a block
    bool isBlock = false;
    std::vector<VdfNode> children;

    // The first child whose key matches case-insensitively (ASCII), or nullptr.
    const VdfNode* Find(std::string_view childKey) const;
};

inline constexpr int kMaxVdfDepth = 32;

// The top-level entries of the text; nullopt when it is not in the format.
std::optional<std::vector<VdfNode>> ParseVdf(std::string_view text);

// The library folders listed in a libraryfolders.vdf, in file order: each "path" of the current
// format ("libraryfolders" { "0" { "path" "..." } }) and each numbered value of the old one
// ("LibraryFolders" { "1" "..." }). Empty when the text is not such a file.
std::vector<std::string> SteamLibraryFolders(std::string_view text);

}  // namespace settings::prefixes

#pragma once
// The Wine prefixes that game launchers name in their own configuration files. Each function
// takes a file's text and gives nothing for text it cannot use (not the format, cut off, values
// of the wrong type); it never throws.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings::wine {

// Heroic's GamesConfig/<game>.json: { "<game>": { "winePrefix": "/path", ... }, ... }. Every
// "winePrefix" text of the top-level objects, in file order.
std::vector<std::string> HeroicWinePrefixes(std::string_view json);

// A Lutris game's <name>.yml: the text of "game: prefix:". A leading "~" or "~/" stands for
// `home`; nullopt when the value is missing, not text, or empty.
std::optional<std::string> LutrisGamePrefix(std::string_view yaml, std::string_view home);

}  // namespace settings::wine

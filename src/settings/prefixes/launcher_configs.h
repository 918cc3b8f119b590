#pragma once
// The Wine prefixes that game launchers name in their own configuration files. Each reader takes
// a file's text and never throws. Every one answers the same way: nullopt when the file is of no
// use (not the format, cut off, the value it exists for missing or of the wrong type), which the
// search passes over and reports; otherwise what the file names, which is empty when it names
// nothing and the search just moves on.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings::prefixes {

// Heroic's GamesConfig/<game>.json: { "<game>": { "winePrefix": "/path", ... }, ... }. Every
// non-empty "winePrefix" text of the top-level objects, in file order; nullopt when the text is
// not such an object or names none (the file is there to hold the game's prefix).
std::optional<std::vector<std::string>> HeroicWinePrefixes(std::string_view json);

// A Lutris game's <name>.yml: the text of "game: prefix:". A leading "~" or "~/" stands for
// `home`; nullopt when the value is missing, not text, empty, or "~" with no home.
std::optional<std::string> LutrisGamePrefix(std::string_view yaml, std::string_view home);

// A prefix a launcher's file names, with the game's entry there (its title or id).
struct NamedPrefix {
    std::string entry;
    std::string prefix;
};

// Faugus Launcher's games.json: [ { "gameid": "...", "title": "...", "prefix": "/path" }, ... ].
// Every non-empty "prefix" text, in file order; nullopt when the text is not such a list.
std::optional<std::vector<NamedPrefix>> FaugusGamePrefixes(std::string_view json);

// PortProton's ~/.config/PortProton.conf: the folder on its first line (surrounding blanks
// removed); nullopt when that line is empty.
std::optional<std::string> PortProtonFolder(std::string_view text);

// A text value at the top of a YAML map: Bottles' data.yml "custom_bottles_path", a moved
// bottle's placeholder.yml "Path". nullopt when the text is not a YAML map; empty when the key
// is missing, not text, or empty.
std::optional<std::string> YamlTopLevelText(std::string_view yaml, const std::string& key);

// Minigalaxy's config.json: { "install_dir": "/path", ... }. A leading "~" stands for `home`.
// nullopt when the text is not a JSON object; empty when the key is missing, not text, empty,
// or "~" with no home (Minigalaxy's default folder applies).
std::optional<std::string> MinigalaxyInstallDir(std::string_view json, std::string_view home);

}  // namespace settings::prefixes

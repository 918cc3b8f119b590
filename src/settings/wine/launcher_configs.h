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
// bottle's placeholder.yml "Path". nullopt when missing, not text, or empty; `valid` is false
// when the text is not a YAML map at all.
std::optional<std::string> YamlTopLevelText(std::string_view yaml, const std::string& key,
                                            bool& valid);

// Minigalaxy's config.json: { "install_dir": "/path", ... }. A leading "~" stands for `home`.
// nullopt when the key is missing or not text; `valid` is false when the text is not a JSON
// object at all.
std::optional<std::string> MinigalaxyInstallDir(std::string_view json, std::string_view home,
                                                bool& valid);

}  // namespace settings::wine

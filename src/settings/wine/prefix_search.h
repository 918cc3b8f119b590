#pragma once
// Finding the game's folder in the Wine prefixes of the current user.
//
// Prefixes are tried in this order:
//  1. $WINEPREFIX when it is set to an absolute path; otherwise $HOME/.wine. (Wine refuses a
//     relative WINEPREFIX, so one is ignored here, as is an empty one.)
//  2. Heroic: the "winePrefix" of every game in GamesConfig/*.json under $XDG_CONFIG_HOME/heroic
//     (when set and absolute), ~/.config/heroic and the Flatpak's
//     ~/.var/app/com.heroicgameslauncher.hgl/config/heroic; then ~/Games/Heroic/Prefixes/default/*
//     and (older versions) ~/Games/Heroic/Prefixes/*. Each folder is tried, then its pfx/
//     (where a Proton game keeps the prefix).
//  3. Lutris: the "game: prefix:" of every games/*.yml under $XDG_CONFIG_HOME/lutris,
//     ~/.config/lutris, $XDG_DATA_HOME/lutris, ~/.local/share/lutris and the Flatpak's
//     ~/.var/app/net.lutris.Lutris/config/lutris and .../data/lutris; then ~/Games/* (its
//     installers make the game folder the prefix).
//  4. Steam Proton: for each Steam root (~/.local/share/Steam, ~/.steam/steam, the Flatpak's
//     ~/.var/app/com.valvesoftware.Steam/.local/share/Steam, the Snap's
//     ~/snap/steam/common/.local/share/Steam), the root itself and then every library listed in
//     its steamapps/libraryfolders.vdf and config/libraryfolders.vdf: <library>/steamapps/
//     compatdata/*/pfx.
//  5. CrossOver: ~/.cxoffice/* (one bottle each).
//  6. Bottles: $XDG_DATA_HOME/bottles/bottles/* when XDG_DATA_HOME is set and absolute, then
//     ~/.local/share/bottles/bottles/* and
//     ~/.var/app/com.usebottles.bottles/data/bottles/bottles/*.
//  7. PlayOnLinux: ~/.PlayOnLinux/wineprefix/*.
//  8. $XDG_DATA_HOME/wineprefixes/* (when set and absolute), then ~/.local/share/wineprefixes/*.
// Then, so that a prefix found by the steps above still wins:
//  9. Faugus Launcher: the "prefix" of every game in faugus-launcher/games.json under
//     $XDG_DATA_HOME, ~/.local/share, then (older versions) $XDG_CONFIG_HOME and ~/.config, then
//     the Flatpak's data/ and config/; then ~/Faugus/*.
// 10. umu-launcher on its own: ~/Games/umu/*.
// 11. PortProton: <folder>/data/prefixes/* for the folder on the first line of
//     $XDG_CONFIG_HOME/PortProton.conf and ~/.config/PortProton.conf; the Flatpak's
//     ~/.var/app/ru.linux_gaming.PortProton/data/prefixes/*.
// 12. Bottles: <custom_bottles_path>/* from bottles/data.yml (the XDG data folders of step 6 and
//     the Flatpak's); then every bottle of every Bottles library whose placeholder.yml names
//     the folder the bottle was moved to ("Path").
// 13. Flatpak Heroic and Steam: a folder below the home that a Flatpak's file names but that
//     does not exist is looked for under ~/.var/app/<app id>/ with the same path below it.
// 14. Steam libraries whose steamapps folder is spelled in another case (SteamApps).
// 15. Minigalaxy: <install_dir>/*/prefix, install_dir from minigalaxy/config.json under
//     $XDG_CONFIG_HOME, ~/.config and the Flatpak's config/ (default ~/GOG Games).
// Folders found by listing, and configuration files, are taken in name order; prefixes named in
// a configuration file in the file's order. A configuration file that is not a regular file, is
// larger than kMaxLauncherConfigSize or cannot be read is passed over, as is a value in it that
// is not an absolute path. Only folders that hold a system.reg count, and a folder reached twice
// (~/.steam/steam is usually a link to ~/.local/share/Steam) is tried once. The first prefix
// whose registry holds the value and whose folder exists wins; when no such folder exists, the
// first prefix that holds a usable value does.
//
// Within a prefix, see MachineKeyViews for where the key is looked up.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/locate/lookup_account.h"
#include "settings/wine/registry_file.h"

namespace settings::wine {

// The environment the search depends on; unset variables are nullopt.
struct Environment {
    std::optional<std::string> winePrefix;     // WINEPREFIX
    std::optional<std::string> home;           // HOME, or the account's home folder
    std::optional<std::string> xdgDataHome;    // XDG_DATA_HOME
    std::optional<std::string> xdgConfigHome;  // XDG_CONFIG_HOME
};

// Launchers' configuration files are a few kilobytes; anything this big is not one of them.
inline constexpr std::uintmax_t kMaxLauncherConfigSize = 1024U * 1024U;

// Where a 32-bit program's HKLM key is found, in the order tried. A win64 prefix (and one that
// does not say) keeps a 32-bit installer's keys under Software\Wow6432Node, so that copy comes
// first and Software\... second; a win32 prefix has only Software\....
std::vector<std::string> MachineKeyViews(std::string_view keyPath, Arch arch);

// A string value of HKLM from the text of a prefix's system.reg, looked up in MachineKeyViews
// order; nullopt when no view holds it. The text is read once, up to the end of the last view's
// section (RegistryFile::ScanKeys).
// `view`, when given, gets the key path of the view that held it.
std::optional<std::string> ReadMachineString(std::string_view systemReg, std::string_view keyPath,
                                             std::string_view valueName,
                                             std::string* view = nullptr);

// Where a prefix to try came from, for the account of the search.
struct PrefixOrigin {
    std::string launcher;        // "Wine", "Heroic", "Steam", ...
    std::filesystem::path file;  // the launcher's file that names it; empty when listed
    std::string entry;           // the game's entry in that file, when it names several
};

struct PrefixCandidate {
    std::filesystem::path prefix;
    PrefixOrigin origin;
};

// The prefix folders to try, in order (see above), with where each came from.
std::vector<PrefixCandidate> ListPrefixCandidates(const Environment& env);
std::vector<std::filesystem::path> ListPrefixes(const Environment& env);

struct GameFolderMatch {
    std::filesystem::path prefix;
    std::string windowsPath;       // the value as stored
    std::filesystem::path folder;  // its host path
    bool exists = false;
    PrefixOrigin origin;
    std::string keyView;  // the key that held the value
};

// With `account`, the search writes down what it does: the places passed over and why, and
// for the match the facts F1 shows.
std::optional<GameFolderMatch> FindGameFolder(const Environment& env, std::string_view keyPath,
                                              std::string_view valueName,
                                              locate::LookupAccount* account = nullptr);

// Where a match came from: launcher file and entry, prefix, registry key and value.
locate::FoundHow HowFound(const GameFolderMatch& match);
// The account of a lookup that ended at `match`.
void DescribeMatch(const GameFolderMatch& match, locate::LookupAccount& account);

// Every prefix's match whose folder exists, in the order above, where FindGameFolder stops at
// the first. The deadline is checked between prefixes; `incomplete` says that it stopped the
// search.
std::vector<GameFolderMatch> FindAllGameFolders(const Environment& env, std::string_view keyPath,
                                                std::string_view valueName,
                                                std::chrono::steady_clock::time_point deadline,
                                                bool& incomplete);

// FindGameFolder that remembers the prefix where the folder was found and asks that prefix
// first next time (its registry is read again and the path built afresh). When the remembered
// prefix no longer leads to an existing folder, it is forgotten and every prefix is searched
// again. A search that finds no existing folder is not remembered.
class GameFolderSearch {
public:
    std::optional<GameFolderMatch> Find(const Environment& env, std::string_view keyPath,
                                        std::string_view valueName,
                                        locate::LookupAccount* account = nullptr);

private:
    std::optional<PrefixCandidate> m_prefix;
};

}  // namespace settings::wine

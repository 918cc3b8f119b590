#pragma once
// Finding the game's folder in the Wine prefixes of the current user.
//
// Prefixes are tried in this order:
//  1. $WINEPREFIX when it is set to an absolute path; otherwise $HOME/.wine. (Wine refuses a
//     relative WINEPREFIX, so one is ignored here, as is an empty one.)
//  2. Steam Proton: <root>/steamapps/compatdata/*/pfx for the roots ~/.local/share/Steam,
//     ~/.steam/steam and ~/.var/app/com.valvesoftware.Steam/.local/share/Steam.
//  3. Lutris: ~/Games/* (its installers make the game folder the prefix).
//  4. Bottles: $XDG_DATA_HOME/bottles/bottles/* when XDG_DATA_HOME is set and absolute, then
//     ~/.local/share/bottles/bottles/* and
//     ~/.var/app/com.usebottles.bottles/data/bottles/bottles/*.
//  5. PlayOnLinux: ~/.PlayOnLinux/wineprefix/*.
//  6. $XDG_DATA_HOME/wineprefixes/* (when set and absolute), then ~/.local/share/wineprefixes/*.
// Inside a group, folders are taken in name order. Only folders that hold a system.reg count,
// and a folder reached twice (~/.steam/steam is usually a link to ~/.local/share/Steam) is tried
// once. The first prefix whose registry holds the value and whose folder exists wins; when no
// such folder exists, the first prefix that holds a usable value does.
//
// Within a prefix, see MachineKeyViews for where the key is looked up.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/wine/registry_file.h"

namespace settings::wine {

// The environment the search depends on; unset variables are nullopt.
struct Environment {
    std::optional<std::string> winePrefix;   // WINEPREFIX
    std::optional<std::string> home;         // HOME, or the account's home folder
    std::optional<std::string> xdgDataHome;  // XDG_DATA_HOME
};

// Where a 32-bit program's HKLM key is found, in the order tried. A win64 prefix (and one that
// does not say) keeps a 32-bit installer's keys under Software\Wow6432Node, so that copy comes
// first and Software\... second; a win32 prefix has only Software\....
std::vector<std::string> MachineKeyViews(std::string_view keyPath, Arch arch);

// A string value of HKLM from the text of a prefix's system.reg, looked up in MachineKeyViews
// order; nullopt when no view holds it.
std::optional<std::string> ReadMachineString(std::string_view systemReg, std::string_view keyPath,
                                             std::string_view valueName);

// The prefix folders to try, in order (see above).
std::vector<std::filesystem::path> ListPrefixes(const Environment& env);

struct GameFolderMatch {
    std::filesystem::path prefix;
    std::string windowsPath;       // the value as stored
    std::filesystem::path folder;  // its host path
    bool exists = false;
};

std::optional<GameFolderMatch> FindGameFolder(const Environment& env, std::string_view keyPath,
                                              std::string_view valueName);

}  // namespace settings::wine

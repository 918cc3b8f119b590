#pragma once
// The order in which the Wine prefixes of the current user are searched: one table of steps
// (kSearchSteps in search_order.cpp), each adding the prefixes of one launcher's places; the
// function of each step says which places. The README, the manual page, docs/ARCHITECTURE.md,
// the AppStream metainfo and the package description list the same steps, and a test holds
// them to SearchedLaunchers().
//
// Folders found by listing, and configuration files, are taken in name order; prefixes named in
// a configuration file in the file's order. A configuration file that is not a regular file, is
// larger than kMaxLauncherConfigSize or cannot be read is passed over, as is a value in it that
// is not an absolute path. Only folders that hold a system.reg count, and a folder reached twice
// (~/.steam/steam is usually a link to ~/.local/share/Steam) is tried once.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/prefixes/prefix_list.h"

namespace settings::prefixes {

// The environment the search depends on; unset variables are nullopt.
struct Environment {
    std::optional<std::string> winePrefix;     // WINEPREFIX
    std::optional<std::string> home;           // HOME, or the account's home folder
    std::optional<std::string> xdgDataHome;    // XDG_DATA_HOME
    std::optional<std::string> xdgConfigHome;  // XDG_CONFIG_HOME
};

// The launcher whose places each step of the search reads, step by step; empty for a step that
// is no one launcher's (the shared wineprefixes folder, the Flatpak places of earlier steps).
std::vector<std::string_view> SearchedLaunchers();

// Every step's prefixes in order, with the places passed over on the way.
PrefixList BuildPrefixList(const Environment& env);

}  // namespace settings::prefixes

#pragma once
// The words of the F1 box: where the game folder was found and how, or every place looked; the
// files the settings are read from and written to; the other installations of the game.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "settings/locate/lookup_account.h"
#include "settings/store/profile_files.h"

// Places looked are grouped by launcher, a run of places with the same reason on one line, and
// at most `maxPlaceLines` lines of them. Every other installation follows the edited one's
// files, each folder on a line of its own and below it the lines that start `program` (this
// program, as a player starts it) on that folder.
std::string DescribeLookup(const settings::locate::LookupAccount& account,
                           const std::vector<settings::store::ProfileCopies>& files,
                           std::size_t maxPlaceLines = 20,
                           const settings::locate::OtherInstallations& others = {},
                           std::string_view program = {});

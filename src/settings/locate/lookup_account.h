#pragma once
// What the most recent game-folder lookup did: where it found the folder and how, or every place
// it looked and why each was passed over. The lookups record it as they run and F1 shows it;
// Load and Save never read it, they look the folder up afresh.
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "settings/store/file_store.h"

namespace settings {

enum class PassedOver {
    kNotThere,           // the folder or file does not exist
    kUnreadable,         // a launcher file that could not be read or used
    kNoGameKey,          // a registry without the game's key or value
    kGameFolderMissing,  // the registry names a game folder that is missing
};

struct LookedPlace {
    std::string group;  // the launcher (or registry view) the place belongs to
    std::string path;   // as the file system spells it
    PassedOver why = PassedOver::kNotThere;
};

struct LookupAccount {
    bool found = false;
    std::string gameFolder;
    std::vector<std::string> how;     // found: where the folder came from, one fact a line
    std::vector<LookedPlace> looked;  // not found: in the order looked
    std::string advice;               // not found: what the player can do
};

const LookupAccount& LastLookupAccount();
void SetLastLookupAccount(LookupAccount account);

// One settings file as Load reads it: its path in the game folder and, where Windows keeps one
// for the game, its VirtualStore copy and whether that copy exists.
struct SettingsFileCopy {
    std::string path;
    std::optional<std::string> virtualStore;
    bool virtualStoreExists = false;
    BackupFinding backup = BackupFinding::kNone;  // what lies at its backup's name
};
// The file at `path` as Load reads it: which copy, and what lies beside that copy.
SettingsFileCopy SettingsFileAsRead(const std::string& path);

// A game folder some lookup names, for F1's list of installations.
struct FoundFolder {
    std::string folder;  // in this platform's path form
    std::string group;   // the launcher or registry view, for grouping the list
    std::string how;     // how it was found, one line
};

struct FoundFolders {
    std::vector<FoundFolder> found;  // in the order looked
    bool incomplete = false;         // the deadline came before every place was looked at
};

// The installations besides the edited one (FindOtherInstallations).
struct OtherInstallations {
    std::vector<FoundFolder> found;
    bool incomplete = false;
    std::chrono::milliseconds waited{0};  // the budget, when `incomplete`
    std::string command;                  // starts this program on found.front()
};

// The text F1 shows. Places looked are grouped by launcher, a run of places with the same reason
// on one line, and at most `maxPlaceLines` lines of them. Other installations follow the edited
// one's files, grouped and capped the same way, with the command that edits the first of them.
std::string DescribeLookup(const LookupAccount& account, const std::vector<SettingsFileCopy>& files,
                           std::size_t maxPlaceLines = 20, const OtherInstallations& others = {});

}  // namespace settings

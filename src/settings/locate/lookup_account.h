#pragma once
// What a game-folder lookup did: where it found the folder and how, or every place it looked and
// why each was passed over. The lookups write it down as they run when asked to, for F1, which
// turns it into words; Load and Save never ask.
#include <chrono>
#include <string>
#include <vector>

namespace settings::locate {

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

enum class FoundThrough {
    kVariable,    // the environment variable that names the folder
    kRegistry,    // the system's registry (Windows)
    kWinePrefix,  // a Wine prefix's registry files
};

// Where a folder came from. Which fields are set depends on `through`.
struct FoundHow {
    FoundThrough through = FoundThrough::kRegistry;
    std::string variable;      // kVariable: its name
    std::string key;           // the key that held the game's value, below HKEY_LOCAL_MACHINE
    bool view32 = false;       // the key is the 32-bit view's (Wow6432Node)
    std::string launcher;      // kWinePrefix: "Wine", "Heroic", "Steam", ...
    std::string launcherFile;  // the launcher's file that names the prefix; empty when listed
    std::string entry;         // the game's entry in that file, when it names several
    std::string prefix;        // the prefix folder
    std::string registryFile;  // the prefix's file that holds the key
    std::string storedAs;      // the value as stored there
};

// What the player can do when no folder was found.
enum class Advice {
    kNone,
    kLauncherOrWinePrefix,  // install through a launcher, or name the prefix in WINEPREFIX
    kReinstall,             // the game's installer records the folder
    kFixVariable,           // TAVREL_GAME_DIR names a folder that is not there
};

struct LookupAccount {
    bool found = false;
    std::string gameFolder;
    FoundHow how;                     // found: where the folder came from
    std::vector<LookedPlace> looked;  // not found: in the order looked
    Advice advice = Advice::kNone;    // not found
};

// A game folder some lookup names, for F1's list of installations.
struct FoundFolder {
    std::string folder;  // in this platform's path form
    std::string group;   // the launcher or registry view, for grouping the list
    FoundHow how;
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
};

}  // namespace settings::locate

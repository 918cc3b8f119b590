#pragma once
// Where the game is installed. On Windows its installer records the folder in the registry; on
// Linux the game runs inside a Wine prefix and the same value is read from the prefix's registry
// files. The environment variable TAVREL_GAME_DIR, when set and not empty, takes precedence; a
// folder it names that does not exist is a game folder that cannot be found.
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "settings/locate/lookup_account.h"

namespace settings::locate {

inline constexpr std::string_view kGameRegistryKey = "Software\\Taldren\\Starfleet Command II";
inline constexpr std::string_view kGameRegistryValue = "Path";
inline constexpr std::string_view kGameDirVariable = "TAVREL_GAME_DIR";

class GameFolderLocator {
public:
    virtual ~GameFolderLocator() = default;
    // The game folder in this platform's path form, as found (with or without a trailing
    // separator). std::nullopt when it cannot be found; the platform's last error is then set.
    // With `account`, what the lookup did is written there (F1 asks; Load and Save do not).
    virtual std::optional<std::string> Find(LookupAccount* account) = 0;
    // Every game folder this lookup can see, not only the first, in its order; whether each
    // exists is not checked here. Stops between places once `deadline` has passed. F1 alone
    // asks this: it does not change what Find returns.
    virtual FoundFolders FindAll(std::chrono::steady_clock::time_point deadline) {
        static_cast<void>(deadline);
        return {};
    }
};

// The registry (Windows) or Wine-prefix (Linux) lookup of this platform.
std::unique_ptr<GameFolderLocator> MakePlatformLocator();

// The lookup the program uses: TAVREL_GAME_DIR, then the platform's (made on first use).
std::unique_ptr<GameFolderLocator> MakeGameFolderLocator();

}  // namespace settings::locate

#pragma once
// Where the game is installed. On Windows its installer records the folder in the registry; on
// Linux the game runs inside a Wine prefix and the same value is read from the prefix's registry
// files. The environment variable TAVREL_GAME_DIR, when set and not empty, takes precedence.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace settings {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

inline constexpr std::string_view kGameRegistryKey = "Software\\Taldren\\Starfleet Command II";
inline constexpr std::string_view kGameRegistryValue = "Path";
inline constexpr std::string_view kGameDirVariable = "TAVREL_GAME_DIR";

class GameFolderLocator {
public:
    virtual ~GameFolderLocator() = default;
    // The game folder in this platform's path form, as found (with or without a trailing
    // separator). std::nullopt when it cannot be found; the platform's last error is then set.
    virtual std::optional<std::string> Find() = 0;
};

// The registry (Windows) or Wine-prefix (Linux) lookup of this platform.
std::unique_ptr<GameFolderLocator> MakePlatformLocator();

// The locator the settings record asks. By default: TAVREL_GAME_DIR, then the platform's.
GameFolderLocator& CurrentLocator();
// Replaces it (tests, tools); nullptr restores the default.
void SetLocator(std::unique_ptr<GameFolderLocator> locator);

// Appends one name to a folder that ends in the separator; a folder name gets a separator after
// it. On POSIX an existing entry whose name matches case-insensitively is used, as Wine would
// find it; a name with no such entry is appended as written.
std::string AppendPathComponent(std::string_view folder, std::string_view name, bool isFolder);

}  // namespace settings

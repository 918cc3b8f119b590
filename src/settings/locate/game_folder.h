#pragma once
// Where the game is installed. On Windows its installer records the folder in the registry; on
// Linux the game runs inside a Wine prefix and the same value is read from the prefix's registry
// files. The environment variable TAVREL_GAME_DIR, when set and not empty, takes precedence; a
// folder it names that does not exist is a game folder that cannot be found.
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/locate/lookup_account.h"

namespace settings::locate {

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

// Appends one name to a folder that ends in the separator; a folder name gets a separator after
// it. On POSIX an existing entry whose name matches case-insensitively is used, as Wine would
// find it; a name with no such entry is appended as written.
std::string AppendPathComponent(std::string_view folder, std::string_view name, bool isFolder);

// What tells one file or folder from every other on this machine, whatever the path that
// reaches it: device and inode on POSIX, volume serial number and file index on Windows.
struct DiskIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    bool operator==(const DiskIdentity&) const = default;
};
// The identity of an existing folder (`folder` set) or regular file; nullopt when there is none,
// with the platform's last error set to say why.
std::optional<DiskIdentity> IdentifyOnDisk(std::string_view path, bool folder);

// Whether a folder holds the game's files; the record knows where they lie in it.
using GameFilesTest = bool (*)(std::string_view folder);

// The installations of the game F1 lists besides the one at `edited` (the folder Load and Save
// use; may be empty): each folder `locator` names that exists and `holdsGameFiles`, once, in the
// order found, each with the command lines that start this program on it. The search ends
// `budget` after `start`.
OtherInstallations FindOtherInstallations(GameFolderLocator& locator, std::string_view edited,
                                          std::chrono::milliseconds budget,
                                          std::chrono::steady_clock::time_point start,
                                          GameFilesTest holdsGameFiles);

// How this program was started, as a command to type. POSIX: kLauncherVariable when a launcher
// script that starts the program sets it, else argv[0] as typed when it was found on PATH, else
// its full path. Windows: the .exe's full path.
inline constexpr std::string_view kLauncherVariable = "TAVREL_LAUNCHER";
std::string ProgramAsStarted();

// A command line that starts `program` with TAVREL_GAME_DIR set to `folder`. For a POSIX shell
// or fish, which read it alike: every argument quoted unless plainly safe; nullopt when either
// holds a line break, which no pasted line can carry. For the Command Prompt: carets before the
// characters it treats specially, the program in double quotes. For PowerShell (Windows only,
// as it reads the quotes of the ANSI code page): single quotes, each quote doubled.
std::optional<std::string> PosixStartCommand(std::string_view program, std::string_view folder);
std::string CmdStartCommand(std::string_view program, std::string_view folder);
std::string PowerShellStartCommand(std::string_view program, std::string_view folder);

}  // namespace settings::locate

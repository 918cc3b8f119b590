#pragma once
// The game's two settings files in a throw-away folder, reached through a locator the caller
// steers. Shared by the settings, dialog and Qt tests and by the benchmarks, so it has no test
// framework in it.
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "settings/locate/game_folder.h"
#include "settings/store/profile_files.h"

namespace test_support {

// ---- Files ---------------------------------------------------------------------------------

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    explicit TempFolder(std::string_view prefix = "tc-test-");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    // Creates the folder (and its parents) below this one and returns its path.
    std::filesystem::path MakeDir(const std::filesystem::path& relative) const;

private:
    std::filesystem::path m_path;
};

// The file's bytes; "" when it cannot be read.
std::string ReadBytes(const std::filesystem::path& path);
// Replaces the file with `bytes`; false when that fails (its folder must exist).
bool WriteBytes(const std::filesystem::path& path, std::string_view bytes);

// ---- What the files hold -------------------------------------------------------------------

// Four odds bytes as the file holds them: one little-endian word in decimal.
std::string PackOdds(int e0, int e1, int e2, int e3);

// The keys of section Mul_Tavrel of scripts.ini and UIType of sfc.ini, as text; an empty
// optional leaves the key out of the file.
struct GameKeys {
    std::optional<std::string> multiplier = "1.25";
    std::optional<std::string> type = "0";
    std::optional<std::string> rrace = "3";    // Federation, Klingon
    std::optional<std::string> srace = "544";  // Gorn, monster
    std::optional<std::string> race = "0";
    std::optional<std::string> hull = "5144";  // Frigate, Destroyer, Carrier, Battleship
    std::optional<std::string> hullpercentA = PackOdds(11, 22, 33, 44);
    std::optional<std::string> hullpercentB = PackOdds(55, 66, 77, 88);
    std::optional<std::string> hullpercentC = PackOdds(99, 100, 25, 0);
    std::optional<std::string> era = "1";
    std::optional<std::string> modSupport = "280";  // bits 3, 4 and 8
    std::optional<std::string> uiType = "1";
};

// scripts.ini with CRLF line ends and sections around ours, one with a key of the same name,
// that nothing may touch.
std::string ScriptsIniBytes(const GameKeys& keys);
// sfc.ini with a section before [UI] and a key after UIType.
std::string SfcIniBytes(const GameKeys& keys);

// ---- The locator ---------------------------------------------------------------------------

// What a failing lookup reports as the platform's last error.
inline constexpr int kLookupErrorCode = 3;

struct LocatorState {
    std::string folder;
    int calls = 0;
    int failFromCall = 0;  // 0: never fails; n: the n-th and later lookups fail
};

// Answers from `state`, which the test may change between lookups.
class StubLocator final : public settings::locate::GameFolderLocator {
public:
    explicit StubLocator(std::shared_ptr<LocatorState> state) : m_state(std::move(state)) {}
    std::optional<std::string> Find(settings::locate::LookupAccount* account) override;

private:
    std::shared_ptr<LocatorState> m_state;
};

// ---- The game folder -----------------------------------------------------------------------

// A temporary game folder with Assets/Scripts, installed as the locator's answer (without a
// trailing separator: the record adds it) for as long as this object lives.
class GameFolder {
public:
    explicit GameFolder(std::string_view prefix = "tc-game-");
    ~GameFolder();
    GameFolder(const GameFolder&) = delete;
    GameFolder& operator=(const GameFolder&) = delete;

    const std::filesystem::path& root() const { return m_folder.path(); }
    const std::shared_ptr<LocatorState>& locator() const { return m_locator; }
    std::filesystem::path ScriptsIni() const;
    std::filesystem::path SfcIni() const;

    // Both files from `keys`; false when either cannot be written.
    bool Write(const GameKeys& keys) const;

    // Installs `files` beside this folder's locator (nullptr: the platform's again).
    void UseFiles(std::unique_ptr<settings::store::ProfileFiles> files) const;

private:
    TempFolder m_folder;
    std::shared_ptr<LocatorState> m_locator;
};

}  // namespace test_support

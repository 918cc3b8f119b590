// The game folder on Linux and other POSIX systems: the game runs in a Wine prefix, whose
// system.reg holds the value its installer wrote.
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "settings/file_store.h"
#include "settings/game_folder.h"
#include "settings/lookup_account.h"
#include "settings/wine/prefix_search.h"
#include "settings/wine/windows_path.h"

namespace settings {

namespace {

std::optional<std::string> Variable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    return std::string(value);
}

// Wine falls back to the account's home folder when HOME is not set.
std::optional<std::string> AccountHome() {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384U);
    passwd entry{};
    passwd* result = nullptr;
    while (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == ERANGE &&
           buffer.size() < (1U << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    if (result == nullptr || result->pw_dir == nullptr || *result->pw_dir == '\0') {
        return std::nullopt;
    }
    return std::string(result->pw_dir);
}

class WinePrefixLocator final : public GameFolderLocator {
public:
    std::optional<std::string> Find() override {
        wine::Environment env;
        env.winePrefix = Variable("WINEPREFIX");
        env.home = Variable("HOME");
        if (!env.home) env.home = AccountHome();
        env.xdgDataHome = Variable("XDG_DATA_HOME");
        env.xdgConfigHome = Variable("XDG_CONFIG_HOME");
        LookupAccount account;
        const auto match = m_search.Find(env, kGameRegistryKey, kGameRegistryValue, &account);
        if (!account.found) {
            account.advice =
                "Install the game through a launcher, or start this program with the game's "
                "prefix in WINEPREFIX (WINEPREFIX=/path/to/prefix tavrel-customizer).";
        }
        SetLastLookupAccount(std::move(account));
        if (!match) {
            SetLastErrorCode(ENOENT);
            return std::nullopt;
        }
        return wine::Utf8FromPath(match->folder);
    }

private:
    // Load and Save each ask twice; after the first success only that prefix is read.
    wine::GameFolderSearch m_search;
};

}  // namespace

std::unique_ptr<GameFolderLocator> MakePlatformLocator() {
    return std::make_unique<WinePrefixLocator>();
}

}  // namespace settings
